#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <libssh2.h>

// The host keys met so far, kept in a file of OpenSSH's known_hosts format.
// Lines it cannot read (other key kinds, markers, comments) are kept as they
// are whenever the file is written.
class KnownHosts
{
public:
    enum Verdict { Known, Unknown, Changed };

    // A server's host key as libssh2 reports it after the handshake.
    struct Key
    {
        QByteArray blob;
        int type = LIBSSH2_HOSTKEY_TYPE_UNKNOWN;
        bool isNull() const { return blob.isEmpty(); }
    };

    // The session only lends libssh2 its allocator.
    KnownHosts(LIBSSH2_SESSION *session, const QString &path);
    ~KnownHosts();
    KnownHosts(const KnownHosts &) = delete;
    KnownHosts &operator=(const KnownHosts &) = delete;

    static Key sessionKey(LIBSSH2_SESSION *session);
    // OpenSSH's form: "SHA256:" and the unpadded base64 of the key's hash.
    static QString fingerprint(const QByteArray &blob);

    // A key of another kind than the one recorded counts as changed too:
    // otherwise a machine in the middle would only need to offer another kind.
    Verdict check(const QString &host, int port, const Key &key) const;
    // Adds the key; with replace, the address's earlier keys go.
    bool record(const QString &host, int port, const Key &key, bool replace);

private:
    bool concerns(const QByteArray &line, const QString &host, int port) const;

    LIBSSH2_SESSION *session;
    QString path;
    QList<QByteArray> lines;
    LIBSSH2_KNOWNHOSTS *hosts;
};
