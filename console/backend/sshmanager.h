#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTextDecoder>

#include <memory>

#include <libssh2.h>

#include "knownhosts.h"

class QSocketNotifier;
class QTcpSocket;
class QTimer;

// One interactive SSH shell with password login, driven from the event loop:
// libssh2 runs non-blocking and every step that would block is resumed by a
// socket notifier. Results arrive only through the signals; terminal status
// lines are coloured with ANSI sequences so a console view shows them like
// shell output.
//
// Host keys are trusted on first use: the first key met at an address and
// port is recorded in known_hosts in the working directory, and a different
// one later fails the attempt before the password is sent. While a shell is
// open, keep-alives go out every keepAliveInterval seconds; three intervals
// without a word from the server end the session as a dead link.
class SSHManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int keepAliveInterval READ keepAliveInterval WRITE setKeepAliveInterval
                   NOTIFY keepAliveIntervalChanged)
    Q_PROPERTY(QString changedHostKey READ changedHostKey NOTIFY changedHostKeyChanged)
public:
    // The process-wide instance handed to QML; created on first call, never deleted.
    static SSHManager *instance();

    explicit SSHManager(QObject *parent = nullptr);
    ~SSHManager() override;

    // Closes whatever session is open or being opened, then starts a new one.
    // port is decimal text; anything but a number from 1 to 65535 fails at once.
    Q_INVOKABLE void connectAndStartShell(const QString &ip, const QString &port,
                                          const QString &username, const QString &password);
    // Queues input as UTF-8 plus one line feed and writes as much as the channel takes.
    Q_INVOKABLE void sendInput(const QString &input);
    Q_INVOKABLE void disconnectFromServer();
    // The view's size in characters: the pseudo-terminal is asked for with it,
    // and an open shell is told of every change.
    Q_INVOKABLE void setTerminalSize(int columns, int rows);
    // Records the key that the latest attempt refused as changed, in place of
    // the address's earlier keys. False when that attempt was not for ip and
    // port, or refused nothing; the caller then connects again.
    Q_INVOKABLE bool trustNewHostKey(const QString &ip, const QString &port);

    int keepAliveInterval() const { return keepAliveSeconds; }
    void setKeepAliveInterval(int seconds);
    // Fingerprint of the key refused as changed by the latest attempt; empty otherwise.
    QString changedHostKey() const;

    static QString knownHostsPath();

signals:
    void connectionSuccess();
    void connectionFailed(const QString &error);
    void statusMessage(const QString &message);
    // After disconnectFromServer, and when a link dies without a word.
    void disconnected();
    void shellOutput(const QString &data);
    void keepAliveIntervalChanged();
    void changedHostKeyChanged();

private:
    enum class Close {
        Abandon, // after an error: send nothing more, just release
        Replace, // a new attempt takes over: tell the server, do not wait
        Orderly, // the operator asked: tell the server and wait up to a second for it to close
    };

    void onConnectTimeout();
    void onSocketError();
    void onSocketConnected();
    void runStep();
    bool acceptHostKey();
    void failStep();
    void waitForSocket();
    void startInteractive();
    void onSocketActivity(QSocketNotifier *source);
    void pump();
    void drainOutput();
    void writePending();
    void watchWritableIfBlockedOutbound();
    void sendTerminalSize();
    void keepAlive();
    void setChangedKey(const QString &host, int port, const KnownHosts::Key &key);
    void releaseSession(Close mode);
    void teardown();
    void resetDecoder();

    int step = 0;
    // One notifier per direction on the descriptor; only this object ever
    // watches it, so nothing else competes for its readiness.
    QSocketNotifier *readNotifier = nullptr;
    QSocketNotifier *writeNotifier = nullptr;
    QString host;
    QString port;
    QString username;
    QString password;
    LIBSSH2_SESSION *session = nullptr;
    LIBSSH2_CHANNEL *channel = nullptr;
    // Our own duplicate of the connected socket's descriptor: the socket object
    // is closed once connected, so libssh2 is the only reader and writer.
    qintptr descriptor = -1;
    QTcpSocket *socket = nullptr;
    QTimer *connectTimer = nullptr;
    QByteArray pendingInput;
    qint64 writeOffset = 0;

    // Carries a character split across two reads into the next chunk.
    std::unique_ptr<QTextDecoder> decoder;
    // Continues draining output that libssh2 already holds in memory, where no
    // notifier would fire for it.
    QTimer *pumpTimer = nullptr;
    // Counts releases, so a caller re-entering through a signal handler is
    // noticed and the interrupted code leaves the new session alone.
    quint64 generation = 0;
    bool libraryHeld = false;
    bool interactive = false;

    QSize terminalSize{80, 24};
    // What the server was last told, and a request libssh2 has begun but not
    // finished sending (it must be called again until it has).
    QSize terminalSizeSent;
    QSize terminalSizeInFlight;

    int keepAliveSeconds = 15;
    QTimer *keepAliveTimer = nullptr;
    QElapsedTimer lastHeard;

    // The key the latest attempt refused, and where it was met.
    QString changedKeyHost;
    int changedKeyPort = 0;
    KnownHosts::Key changedKey;
};
