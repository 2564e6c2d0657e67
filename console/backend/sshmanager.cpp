#include "sshmanager.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QNetworkProxy>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTextCodec>
#include <QTimer>

#include <cstring>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

const int connectTimeoutMs = 5000;
const int readChunk = 4096;
// Output drained in one turn of the event loop before the GUI gets a turn.
const int drainBudget = 1024 * 1024;
const int closeWaitMs = 1000;
// Keep-alive intervals without a word from the server before the link counts as dead.
const int silentIntervals = 3;
const int maxTerminalSide = 1000;

const char *const textConnecting = "开始连接服务器...";
const char *const textInitFailed = "初始化SSH失败！";
const char *const textTimeout = "连接超时！请检查网络或稍后重试。";
const char *const textConnectFailed = "连接失败！检查IP和端口是否正确！";
const char *const textSessionFailed = "启动会话失败！";
const char *const textLoginFailed = "账号或密码错误！请检查！";
const char *const textChannelFailed = "\x1b[31mERROR: 无法创建终端通道\x1b[0m\r\n";
const char *const textPtyFailed = "\x1b[31mERROR: 无法分配伪终端\x1b[0m\r\n";
const char *const textShellFailed = "\x1b[31mERROR: 无法启动Shell\x1b[0m\r\n";
const char *const textConnected = "\x1b[32m已连接到服务器，开始交互会话...\x1b[0m\r\n";
const char *const textDropped = "\x1b[31m连接异常断开\x1b[0m\r\n";
const char *const textNotConnected = "\x1b[31m错误：连接未建立\x1b[0m\r\n";
const char *const textSendFailed = "\x1b[31m发送失败，连接可能已断开\x1b[0m\r\n";
const char *const textDisconnected = "已断开与服务器的连接";
const char *const textLinkLost = "与服务器的连接已断开";
const char *const textHostKeyChanged = "服务器主机密钥已改变，可能存在中间人攻击！";

// The socket object buffers whatever arrives on its descriptor, so it cannot
// stay open beside libssh2. A duplicate refers to the same connection and
// keeps it alive after the socket object closes its own descriptor.
qintptr duplicateDescriptor(qintptr fd)
{
#ifdef Q_OS_WIN
    WSAPROTOCOL_INFOW info;
    if (WSADuplicateSocketW(SOCKET(fd), GetCurrentProcessId(), &info) != 0)
        return -1;
    const SOCKET copy = WSASocketW(FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO,
                                   &info, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    return copy == INVALID_SOCKET ? -1 : qintptr(copy);
#else
    return ::fcntl(int(fd), F_DUPFD_CLOEXEC, 0);
#endif
}

enum class Shut { Write, Both };

void shutdownDescriptor(qintptr fd, Shut how)
{
#ifdef Q_OS_WIN
    ::shutdown(SOCKET(fd), how == Shut::Write ? SD_SEND : SD_BOTH);
#else
    ::shutdown(int(fd), how == Shut::Write ? SHUT_WR : SHUT_RDWR);
#endif
}

void closeDescriptor(qintptr fd)
{
#ifdef Q_OS_WIN
    ::closesocket(SOCKET(fd));
#else
    ::close(int(fd));
#endif
}

// After our side has shut its sending half: reads and drops what the server
// still sends until it closes too, or the time is up.
void waitForPeerClose(qintptr fd, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    char sink[readChunk];
    while (!deadline.hasExpired()) {
#ifdef Q_OS_WIN
        WSAPOLLFD entry{SOCKET(fd), POLLRDNORM, 0};
        if (WSAPoll(&entry, 1, int(deadline.remainingTime())) <= 0)
            return;
        const int got = ::recv(SOCKET(fd), sink, sizeof sink, 0);
        if (got == 0 || (got < 0 && WSAGetLastError() != WSAEWOULDBLOCK))
            return;
#else
        pollfd entry{int(fd), POLLIN, 0};
        if (::poll(&entry, 1, int(deadline.remainingTime())) <= 0)
            return;
        const ssize_t got = ::recv(int(fd), sink, sizeof sink, 0);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR))
            return;
#endif
    }
}

} // namespace

SSHManager *SSHManager::instance()
{
    static SSHManager *manager = new SSHManager;
    return manager;
}

SSHManager::SSHManager(QObject *parent)
    : QObject(parent)
    , pumpTimer(new QTimer(this))
    , keepAliveTimer(new QTimer(this))
{
    pumpTimer->setSingleShot(true);
    pumpTimer->setInterval(0);
    connect(pumpTimer, &QTimer::timeout, this, &SSHManager::pump);
    connect(keepAliveTimer, &QTimer::timeout, this, &SSHManager::keepAlive);
    resetDecoder();
}

QString SSHManager::knownHostsPath()
{
    return QDir::current().absoluteFilePath(QStringLiteral("known_hosts"));
}

SSHManager::~SSHManager()
{
    releaseSession(Close::Replace);
}

void SSHManager::connectAndStartShell(const QString &ip, const QString &port,
                                      const QString &username, const QString &password)
{
    releaseSession(Close::Replace);
    const quint64 attempt = generation;

    emit statusMessage(QString::fromUtf8(textConnecting));
    if (generation != attempt)
        return;

    host = ip;
    this->port = port;
    this->username = username;
    this->password = password;
    setChangedKey(QString(), 0, {});
    if (generation != attempt)
        return;

    bool isNumber = false;
    const int portNumber = port.toInt(&isNumber, 10);
    if (!isNumber || portNumber < 1 || portNumber > 65535) {
        emit connectionFailed(QString::fromUtf8(textConnectFailed));
        return;
    }

    if (libssh2_init(0) != 0) {
        emit connectionFailed(QString::fromUtf8(textInitFailed));
        return;
    }
    libraryHeld = true;

    socket = new QTcpSocket(this);
    socket->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    connectTimer = new QTimer(this);
    connectTimer->setSingleShot(true);
    connect(connectTimer, &QTimer::timeout, this, &SSHManager::onConnectTimeout);
    connect(socket, &QTcpSocket::connected, this, &SSHManager::onSocketConnected);
    connect(socket, &QTcpSocket::errorOccurred, this, &SSHManager::onSocketError);

    // Started first: connectToHost may report an error synchronously, and a
    // handler may then already have begun the next attempt.
    connectTimer->start(connectTimeoutMs);
    socket->connectToHost(host, quint16(portNumber), QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
}

void SSHManager::onConnectTimeout()
{
    if (!socket || socket->state() == QAbstractSocket::ConnectedState)
        return;
    // The socket stays until the next attempt; it must not report the abort as an error.
    socket->disconnect(this);
    socket->abort();
    emit connectionFailed(QString::fromUtf8(textTimeout));
}

void SSHManager::onSocketError()
{
    if (connectTimer)
        connectTimer->stop();
    emit connectionFailed(QString::fromUtf8(textConnectFailed));
}

void SSHManager::onSocketConnected()
{
    connectTimer->stop();
    descriptor = duplicateDescriptor(socket->socketDescriptor());

    // From here on the connection belongs to libssh2 alone: the socket object
    // and its own notifiers go, its descriptor closes, the duplicate remains.
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    socket = nullptr;
    connectTimer->deleteLater();
    connectTimer = nullptr;

    if (descriptor != -1)
        session = libssh2_session_init_ex(nullptr, nullptr, nullptr, nullptr);
    if (!session) {
        teardown();
        emit connectionFailed(QString::fromUtf8(textSessionFailed));
        return;
    }
    libssh2_session_set_blocking(session, 0);

    readNotifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    writeNotifier = new QSocketNotifier(descriptor, QSocketNotifier::Write, this);
    readNotifier->setEnabled(false);
    writeNotifier->setEnabled(false);
    connect(readNotifier, &QSocketNotifier::activated, this,
            [this] { onSocketActivity(readNotifier); });
    connect(writeNotifier, &QSocketNotifier::activated, this,
            [this] { onSocketActivity(writeNotifier); });

    step = 0;
    runStep();
}

void SSHManager::runStep()
{
    for (;;) {
        int rc = 0;
        switch (step) {
        case 0:
            rc = libssh2_session_handshake(session, libssh2_socket_t(descriptor));
            break;
        case 1: {
            const QByteArray user = username.toUtf8();
            const QByteArray secret = password.toUtf8();
            rc = libssh2_userauth_password_ex(session, user.constData(), unsigned(user.size()),
                                              secret.constData(), unsigned(secret.size()), nullptr);
            break;
        }
        case 2:
            channel = libssh2_channel_open_ex(session, "session", 7, 2 * 1024 * 1024, 32768,
                                              nullptr, 0);
            if (channel)
                libssh2_channel_handle_extended_data2(channel, LIBSSH2_CHANNEL_EXTENDED_DATA_MERGE);
            else
                rc = libssh2_session_last_error(session, nullptr, nullptr, 0) == LIBSSH2_ERROR_EAGAIN
                         ? LIBSSH2_ERROR_EAGAIN
                         : -1;
            break;
        case 3:
            terminalSizeSent = terminalSize;
            rc = libssh2_channel_request_pty_ex(channel, "xterm-256color", 14, nullptr, 0,
                                                terminalSize.width(), terminalSize.height(), 0, 0);
            break;
        default:
            rc = libssh2_channel_process_startup(channel, "shell", 5, nullptr, 0);
            break;
        }

        if (rc == LIBSSH2_ERROR_EAGAIN) {
            waitForSocket();
            return;
        }
        if (rc != 0) {
            failStep();
            return;
        }
        if (step == 0 && !acceptHostKey())
            return;
        if (step == 4) {
            startInteractive();
            return;
        }
        ++step;
    }
}

bool SSHManager::acceptHostKey()
{
    const KnownHosts::Key key = KnownHosts::sessionKey(session);
    const int portNumber = port.toInt();
    {
        // Gone before the teardown below: it allocates through the session.
        KnownHosts known(session, knownHostsPath());
        switch (known.check(host, portNumber, key)) {
        case KnownHosts::Known:
            return true;
        case KnownHosts::Unknown:
            if (!known.record(host, portNumber, key, false))
                qWarning("SSHManager: cannot record the host key of %s in %s", qPrintable(host),
                         qPrintable(knownHostsPath()));
            return true;
        case KnownHosts::Changed:
            break;
        }
    }
    teardown();
    if (key.isNull()) {
        emit connectionFailed(QString::fromUtf8(textSessionFailed));
        return false;
    }
    const quint64 current = generation;
    setChangedKey(host, portNumber, key);
    if (generation != current)
        return false;
    emit connectionFailed(QStringLiteral("%1 %2 %3").arg(QString::fromUtf8(textHostKeyChanged),
                                                        KnownHosts::fingerprint(key.blob),
                                                        QDir::toNativeSeparators(knownHostsPath())));
    return false;
}

bool SSHManager::trustNewHostKey(const QString &ip, const QString &port)
{
    if (changedKey.isNull() || ip != changedKeyHost || port.toInt() != changedKeyPort)
        return false;
    // libssh2 wants a session for its allocator, whether or not one is open.
    if (libssh2_init(0) != 0)
        return false;
    LIBSSH2_SESSION *scratch = libssh2_session_init_ex(nullptr, nullptr, nullptr, nullptr);
    bool recorded = false;
    if (scratch) {
        recorded = KnownHosts(scratch, knownHostsPath()).record(changedKeyHost, changedKeyPort, changedKey, true);
        libssh2_session_free(scratch);
    }
    libssh2_exit();
    if (recorded)
        setChangedKey(QString(), 0, {});
    return recorded;
}

QString SSHManager::changedHostKey() const
{
    return changedKey.isNull() ? QString() : KnownHosts::fingerprint(changedKey.blob);
}

void SSHManager::setChangedKey(const QString &host, int port, const KnownHosts::Key &key)
{
    const bool wasNull = changedKey.isNull();
    changedKeyHost = host;
    changedKeyPort = port;
    changedKey = key;
    if (!(wasNull && key.isNull()))
        emit changedHostKeyChanged();
}

void SSHManager::failStep()
{
    const char *text = nullptr;
    switch (step) {
    case 0: text = textSessionFailed; break;
    case 1: text = textLoginFailed; break;
    case 2: text = textChannelFailed; break;
    case 3: text = textPtyFailed; break;
    default: text = textShellFailed; break;
    }
    const bool beforeChannel = step < 2;
    // Released before anyone hears of it, so a handler that retries at once
    // starts from a clean state.
    teardown();
    if (beforeChannel)
        emit connectionFailed(QString::fromUtf8(text));
    else
        emit shellOutput(QString::fromUtf8(text));
}

void SSHManager::waitForSocket()
{
    const int directions = libssh2_session_block_directions(session);
    const bool outbound = directions & LIBSSH2_SESSION_BLOCK_OUTBOUND;
    writeNotifier->setEnabled(outbound);
    readNotifier->setEnabled(!outbound || (directions & LIBSSH2_SESSION_BLOCK_INBOUND));
}

void SSHManager::startInteractive()
{
    interactive = true;
    writeNotifier->setEnabled(false);
    readNotifier->setEnabled(true);
    // libssh2 sends only when asked; the timer asks. Its own minimum spacing
    // must never hold back one of ours.
    libssh2_keepalive_config(session, 1, 1);
    lastHeard.start();
    keepAliveTimer->start(keepAliveSeconds * 1000);

    const quint64 current = generation;
    emit shellOutput(QString::fromUtf8(textConnected));
    if (generation != current)
        return;
    emit connectionSuccess();
    if (generation != current)
        return;
    // Input typed while the shell was being requested, and output that came
    // with the last handshake reply, are both waiting already.
    pumpTimer->start();
}

void SSHManager::onSocketActivity(QSocketNotifier *source)
{
    if (!interactive) {
        readNotifier->setEnabled(false);
        writeNotifier->setEnabled(false);
        runStep();
        return;
    }
    if (source == writeNotifier)
        writeNotifier->setEnabled(false);
    else
        lastHeard.start();
    pump();
}

void SSHManager::pump()
{
    if (!interactive)
        return;
    const quint64 current = generation;
    drainOutput();
    if (generation == current && !pendingInput.isEmpty())
        writePending();
    if (generation == current)
        sendTerminalSize();
}

void SSHManager::drainOutput()
{
    const quint64 current = generation;
    char buffer[readChunk];
    qint64 drained = 0;
    for (;;) {
        const ssize_t got = libssh2_channel_read_ex(channel, 0, buffer, sizeof buffer);
        if (got > 0) {
            // Text ends at a NUL; what follows it in the chunk is dropped, so
            // the decoder must not stitch it to the next chunk either.
            const char *nul = static_cast<const char *>(std::memchr(buffer, 0, size_t(got)));
            const QString text = decoder->toUnicode(buffer, nul ? int(nul - buffer) : int(got));
            if (nul)
                resetDecoder();
            lastHeard.start();
            if (!text.isEmpty()) {
                emit shellOutput(text);
                if (generation != current)
                    return;
            }
            drained += got;
            if (drained >= drainBudget) {
                pumpTimer->start();
                return;
            }
            continue;
        }
        if (got == LIBSSH2_ERROR_EAGAIN) {
            // libssh2 may owe the server a window adjustment it could not send yet.
            watchWritableIfBlockedOutbound();
            return;
        }
        teardown();
        if (got != LIBSSH2_ERROR_CHANNEL_CLOSED)
            emit shellOutput(QString::fromUtf8(textDropped));
        return;
    }
}

void SSHManager::sendInput(const QString &input)
{
    if (!channel || !session) {
        emit shellOutput(QString::fromUtf8(textNotConnected));
        return;
    }
    pendingInput.append(input.toUtf8());
    pendingInput.append('\n');
    if (!interactive)
        return;
    const quint64 current = generation;
    writePending();
    // Writing lets libssh2 read incoming packets into memory; get them shown.
    if (generation == current)
        pumpTimer->start();
}

void SSHManager::writePending()
{
    while (writeOffset < pendingInput.size()) {
        const ssize_t sent = libssh2_channel_write_ex(channel, 0, pendingInput.constData() + writeOffset,
                                                      size_t(pendingInput.size() - writeOffset));
        if (sent > 0) {
            writeOffset += sent;
            continue;
        }
        if (sent == LIBSSH2_ERROR_EAGAIN) {
            // Either the socket is full, or the server's window is: its
            // adjustment arrives as a read, which pumps the input again.
            watchWritableIfBlockedOutbound();
            return;
        }
        teardown();
        emit shellOutput(QString::fromUtf8(textSendFailed));
        return;
    }
    pendingInput.clear();
    writeOffset = 0;
}

void SSHManager::watchWritableIfBlockedOutbound()
{
    if (libssh2_session_block_directions(session) & LIBSSH2_SESSION_BLOCK_OUTBOUND)
        writeNotifier->setEnabled(true);
}

void SSHManager::setTerminalSize(int columns, int rows)
{
    terminalSize = QSize(qBound(1, columns, maxTerminalSide), qBound(1, rows, maxTerminalSide));
    sendTerminalSize();
}

void SSHManager::sendTerminalSize()
{
    while (interactive && (terminalSizeInFlight.isValid() || terminalSizeSent != terminalSize)) {
        if (!terminalSizeInFlight.isValid())
            terminalSizeInFlight = terminalSize;
        const int rc = libssh2_channel_request_pty_size_ex(channel, terminalSizeInFlight.width(),
                                                           terminalSizeInFlight.height(), 0, 0);
        if (rc == LIBSSH2_ERROR_EAGAIN) {
            watchWritableIfBlockedOutbound();
            return;
        }
        // A size the server refuses leaves the shell with the one it had.
        terminalSizeSent = terminalSizeInFlight;
        terminalSizeInFlight = QSize();
    }
}

void SSHManager::setKeepAliveInterval(int seconds)
{
    seconds = qMax(1, seconds);
    if (seconds == keepAliveSeconds)
        return;
    keepAliveSeconds = seconds;
    if (keepAliveTimer->isActive())
        keepAliveTimer->start(keepAliveSeconds * 1000);
    emit keepAliveIntervalChanged();
}

void SSHManager::keepAlive()
{
    if (lastHeard.elapsed() < qint64(silentIntervals) * keepAliveSeconds * 1000) {
        int secondsToNext = 0;
        const int rc = libssh2_keepalive_send(session, &secondsToNext);
        if (rc == 0 || rc == LIBSSH2_ERROR_EAGAIN) {
            watchWritableIfBlockedOutbound();
            return;
        }
    }
    teardown();
    emit disconnected();
    emit statusMessage(QString::fromUtf8(textLinkLost));
}

void SSHManager::disconnectFromServer()
{
    releaseSession(Close::Orderly);
    emit disconnected();
    emit statusMessage(QString::fromUtf8(textDisconnected));
}

void SSHManager::teardown()
{
    releaseSession(Close::Abandon);
}

void SSHManager::releaseSession(Close mode)
{
    ++generation;
    pumpTimer->stop();
    keepAliveTimer->stop();
    interactive = false;
    terminalSizeInFlight = QSize();

    if (connectTimer) {
        connectTimer->disconnect(this);
        connectTimer->stop();
        connectTimer->deleteLater();
        connectTimer = nullptr;
    }
    if (socket) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
        socket = nullptr;
    }
    for (QSocketNotifier **notifier : {&readNotifier, &writeNotifier}) {
        if (*notifier) {
            (*notifier)->setEnabled(false);
            (*notifier)->disconnect(this);
            (*notifier)->deleteLater();
            *notifier = nullptr;
        }
    }

    // Non-blocking, each call sends what it can without waiting for answers.
    // Shutting the descriptor down afterwards makes every further libssh2 call
    // fail at once instead of asking to be called again, so the frees below
    // always complete.
    if (mode != Close::Abandon && session && step > 0) {
        if (channel)
            libssh2_channel_close(channel);
        libssh2_session_disconnect_ex(session, SSH_DISCONNECT_BY_APPLICATION,
                                      "User initiated disconnect", "");
    }
    if (descriptor != -1) {
        if (mode == Close::Orderly) {
            shutdownDescriptor(descriptor, Shut::Write);
            waitForPeerClose(descriptor, closeWaitMs);
        }
        shutdownDescriptor(descriptor, Shut::Both);
    }
    if (channel) {
        libssh2_channel_free(channel);
        channel = nullptr;
    }
    if (session) {
        libssh2_session_free(session);
        session = nullptr;
    }
    if (descriptor != -1) {
        closeDescriptor(descriptor);
        descriptor = -1;
    }

    pendingInput.clear();
    writeOffset = 0;
    resetDecoder();
    if (libraryHeld) {
        libssh2_exit();
        libraryHeld = false;
    }
}

void SSHManager::resetDecoder()
{
    decoder.reset(QTextCodec::codecForMib(106)->makeDecoder(QTextCodec::IgnoreHeader));
}
