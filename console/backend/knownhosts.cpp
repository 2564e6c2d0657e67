#include "knownhosts.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>

namespace {

const int plainRaw = LIBSSH2_KNOWNHOST_TYPE_PLAIN | LIBSSH2_KNOWNHOST_KEYENC_RAW;

int knownHostKeyType(int hostKeyType)
{
    switch (hostKeyType) {
    case LIBSSH2_HOSTKEY_TYPE_RSA: return LIBSSH2_KNOWNHOST_KEY_SSHRSA;
    case LIBSSH2_HOSTKEY_TYPE_DSS: return LIBSSH2_KNOWNHOST_KEY_SSHDSS;
    case LIBSSH2_HOSTKEY_TYPE_ECDSA_256: return LIBSSH2_KNOWNHOST_KEY_ECDSA_256;
    case LIBSSH2_HOSTKEY_TYPE_ECDSA_384: return LIBSSH2_KNOWNHOST_KEY_ECDSA_384;
    case LIBSSH2_HOSTKEY_TYPE_ECDSA_521: return LIBSSH2_KNOWNHOST_KEY_ECDSA_521;
    case LIBSSH2_HOSTKEY_TYPE_ED25519: return LIBSSH2_KNOWNHOST_KEY_ED25519;
    default: return LIBSSH2_KNOWNHOST_KEY_UNKNOWN;
    }
}

// As OpenSSH writes it: the port only when it is not 22. Checked as written:
// given a port, libssh2 would let an entry without one stand for every port.
QByteArray entryName(const QString &host, int port)
{
    return (port == 22 ? host : QStringLiteral("[%1]:%2").arg(host).arg(port)).toUtf8();
}

} // namespace

KnownHosts::KnownHosts(LIBSSH2_SESSION *session, const QString &path)
    : session(session)
    , path(path)
    , hosts(libssh2_knownhost_init(session))
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd())
            lines.append(file.readLine());
    }
    if (!hosts)
        return;
    for (const QByteArray &line : qAsConst(lines))
        libssh2_knownhost_readline(hosts, line.constData(), size_t(line.size()), LIBSSH2_KNOWNHOST_FILE_OPENSSH);
}

KnownHosts::~KnownHosts()
{
    if (hosts)
        libssh2_knownhost_free(hosts);
}

KnownHosts::Key KnownHosts::sessionKey(LIBSSH2_SESSION *session)
{
    size_t length = 0;
    int type = LIBSSH2_HOSTKEY_TYPE_UNKNOWN;
    const char *blob = libssh2_session_hostkey(session, &length, &type);
    if (!blob || knownHostKeyType(type) == LIBSSH2_KNOWNHOST_KEY_UNKNOWN)
        return {};
    return {QByteArray(blob, int(length)), type};
}

QString KnownHosts::fingerprint(const QByteArray &blob)
{
    return QStringLiteral("SHA256:")
        + QString::fromLatin1(QCryptographicHash::hash(blob, QCryptographicHash::Sha256)
                                  .toBase64(QByteArray::OmitTrailingEquals));
}

KnownHosts::Verdict KnownHosts::check(const QString &host, int port, const Key &key) const
{
    if (!hosts || key.isNull())
        return Changed;
    const QByteArray name = entryName(host, port);
    const int typed = libssh2_knownhost_checkp(hosts, name.constData(), -1, key.blob.constData(),
                                               size_t(key.blob.size()), plainRaw | knownHostKeyType(key.type),
                                               nullptr);
    if (typed == LIBSSH2_KNOWNHOST_CHECK_MATCH)
        return Known;
    if (typed != LIBSSH2_KNOWNHOST_CHECK_NOTFOUND)
        return Changed;
    // Without a key kind libssh2 compares against every key of the address.
    const int anyKind = libssh2_knownhost_checkp(hosts, name.constData(), -1, key.blob.constData(),
                                                 size_t(key.blob.size()), plainRaw, nullptr);
    return anyKind == LIBSSH2_KNOWNHOST_CHECK_NOTFOUND ? Unknown : Changed;
}

bool KnownHosts::concerns(const QByteArray &line, const QString &host, int port) const
{
    LIBSSH2_KNOWNHOSTS *single = libssh2_knownhost_init(session);
    if (!single)
        return false;
    libssh2_knownhost_readline(single, line.constData(), size_t(line.size()), LIBSSH2_KNOWNHOST_FILE_OPENSSH);
    // No key is a single byte long: any entry of the address answers "mismatch".
    const int verdict = libssh2_knownhost_checkp(single, entryName(host, port).constData(), -1, "-", 1, plainRaw,
                                                 nullptr);
    libssh2_knownhost_free(single);
    return verdict == LIBSSH2_KNOWNHOST_CHECK_MISMATCH || verdict == LIBSSH2_KNOWNHOST_CHECK_MATCH;
}

bool KnownHosts::record(const QString &host, int port, const Key &key, bool replace)
{
    if (!hosts || key.isNull())
        return false;
    libssh2_knownhost *entry = nullptr;
    const QByteArray name = entryName(host, port);
    if (libssh2_knownhost_addc(hosts, name.constData(), nullptr, key.blob.constData(), size_t(key.blob.size()),
                               nullptr, 0, plainRaw | knownHostKeyType(key.type), &entry) != 0)
        return false;
    char buffer[8192];
    size_t length = 0;
    if (libssh2_knownhost_writeline(hosts, entry, buffer, sizeof buffer, &length, LIBSSH2_KNOWNHOST_FILE_OPENSSH) != 0)
        return false;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (QByteArray line : qAsConst(lines)) {
        if (replace && concerns(line, host, port))
            continue;
        if (!line.endsWith('\n'))
            line.append('\n');
        file.write(line);
    }
    file.write(buffer, qint64(length));
    return file.commit();
}
