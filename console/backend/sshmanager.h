#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTextDecoder>

#include <memory>

#include <libssh2.h>

class QSocketNotifier;
class QTcpSocket;
class QTimer;

// One interactive SSH shell with password login, driven from the event loop:
// libssh2 runs non-blocking and every step that would block is resumed by a
// socket notifier. Results arrive only through the signals; terminal status
// lines are coloured with ANSI sequences so a console view shows them like
// shell output.
class SSHManager : public QObject
{
    Q_OBJECT
public:
    // The process-wide instance handed to QML; created on first call, never deleted.
    static SSHManager *instance();

    explicit SSHManager(QObject *parent = nullptr);
    ~SSHManager() override;

    // Closes whatever session is open or being opened, then starts a new one.
    // port is decimal text; text that does not parse counts as 0, and the
    // value is narrowed to its low 16 bits.
    Q_INVOKABLE void connectAndStartShell(const QString &ip, const QString &port,
                                          const QString &username, const QString &password);
    // Queues input as UTF-8 plus one line feed and writes as much as the channel takes.
    Q_INVOKABLE void sendInput(const QString &input);
    Q_INVOKABLE void disconnectFromServer();

signals:
    void connectionSuccess();
    void connectionFailed(const QString &error);
    void statusMessage(const QString &message);
    void disconnected();
    void shellOutput(const QString &data);

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
    void failStep();
    void waitForSocket();
    void startInteractive();
    void onSocketActivity(QSocketNotifier *source);
    void pump();
    void drainOutput();
    void writePending();
    void watchWritableIfBlockedOutbound();
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
};
