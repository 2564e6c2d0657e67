#include <QCryptographicHash>
#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include "fixtures.h"
#include "sshmanager.h"

namespace {

const QString connecting = QStringLiteral("status:开始连接服务器...");
const QString connectedLine = QStringLiteral("line:\x1b[32m已连接到服务器，开始交互会话...\x1b[0m\r\n");
const QString droppedLine = QStringLiteral("line:\x1b[31m连接异常断开\x1b[0m\r\n");
const QString notConnectedLine = QStringLiteral("\x1b[31m错误：连接未建立\x1b[0m\r\n");
const QString connectFailed = QStringLiteral("failed:连接失败！检查IP和端口是否正确！");
const QString disconnectedEvents = QStringLiteral("disconnected|status:已断开与服务器的连接");

// Everything a manager emits, in order, as "kind:argument" lines; shell output
// is also kept whole, so markers split over chunks are still found.
class Recorder
{
public:
    explicit Recorder(SSHManager &manager)
    {
        QObject::connect(&manager, &SSHManager::connectionSuccess, [this] { events << QStringLiteral("success"); });
        QObject::connect(&manager, &SSHManager::connectionFailed,
                         [this](const QString &e) { events << QStringLiteral("failed:") + e; });
        QObject::connect(&manager, &SSHManager::statusMessage,
                         [this](const QString &m) { events << QStringLiteral("status:") + m; });
        QObject::connect(&manager, &SSHManager::disconnected, [this] { events << QStringLiteral("disconnected"); });
        QObject::connect(&manager, &SSHManager::shellOutput, [this](const QString &d) {
            output += d;
            if (ownLine.match(d).hasMatch())
                events << QStringLiteral("line:") + d;
        });
    }

    int count(const QString &event) const { return events.count(event); }

    // Waits until the output after `from` matches, and returns the last capture.
    QString waitForOutput(const QRegularExpression &pattern, int timeoutMs = 10000, int from = 0)
    {
        QRegularExpressionMatch match;
        const bool found = QTest::qWaitFor([&] {
            match = pattern.match(output, from);
            return match.hasMatch();
        }, timeoutMs);
        return found ? match.captured(match.lastCapturedIndex()) : QString();
    }

    QStringList events;
    QString output;

private:
    // The manager's own coloured status lines, told apart from shell output
    // (whose prompt may carry escape sequences too).
    const QRegularExpression ownLine{QStringLiteral("^\x1b\\[3[12]m[^\x1b]*\x1b\\[0m\r\n$")};
};

struct Account
{
    QString host, port, user, password;
};

Account fixtureAccount()
{
    const QJsonObject sshd = Fixtures::sshd();
    return {sshd.value("host").toString(), sshd.value("port").toVariant().toString(),
            sshd.value("user").toString(), sshd.value("password").toString()};
}

// A loopback port where nothing listens.
quint16 closedPort(const QString &host = QStringLiteral("127.0.0.1"))
{
    QTcpServer server;
    server.listen(QHostAddress(host));
    return server.serverPort();
}

QByteArray md5Hex(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex();
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QList<int> descendantsOf(int ancestor)
{
    QMultiMap<int, int> children;
    for (const QString &line : run(QStringLiteral("ps"), {"-e", "-o", "pid=,ppid="}).split(QLatin1Char('\n'))) {
        const QStringList pids = line.simplified().split(QLatin1Char(' '));
        children.insert(pids.value(1).toInt(), pids.value(0).toInt());
    }
    QList<int> found = children.values(ancestor);
    for (int i = 0; i < found.size(); ++i)
        found += children.values(found.at(i));
    return found;
}

// A second OpenSSH server for one test, on a port of its own, with the host
// keys the test gives it: the fixture's configuration and account, plain
// logins. Restarting keeps the port, as a server with new keys would.
class OwnSshd
{
public:
    ~OwnSshd() { stop(); }

    static QStringList fixtureKeys()
    {
        QFile config(Fixtures::sshd().value("config").toString());
        config.open(QIODevice::ReadOnly);
        QStringList keys;
        for (const QByteArray &line : config.readAll().split('\n')) {
            if (line.startsWith("HostKey "))
                keys << QString::fromUtf8(line.mid(8).trimmed());
        }
        return keys;
    }

    bool start(const QStringList &keys)
    {
        stop();
        host = Fixtures::sshd().value("host").toString();
        port = port ? port : closedPort(host);
        QFile source(Fixtures::sshd().value("config").toString());
        QFile config(dir.filePath(QStringLiteral("sshd_config")));
        if (!source.open(QIODevice::ReadOnly) || !config.open(QIODevice::WriteOnly))
            return false;
        // Up to the per-address blocks, without what this server sets itself.
        const QRegularExpression own(QStringLiteral("^(Port|ListenAddress|HostKey|PidFile) "));
        for (const QByteArray &line : source.readAll().split('\n')) {
            if (line.startsWith("Match "))
                break;
            if (!own.match(QString::fromUtf8(line)).hasMatch())
                config.write(line + '\n');
        }
        config.write(QStringLiteral("Port %1\nListenAddress %2\nPidFile %3\nHostKey %4\n")
                         .arg(port).arg(host, dir.filePath(QStringLiteral("pid")),
                              keys.join(QStringLiteral("\nHostKey ")))
                         .toUtf8());
        config.close();
        QFile::remove(logPath());
        process.start(QStringLiteral("/usr/sbin/sshd"), {"-D", "-f", config.fileName(), "-E", logPath()});
        return QTest::qWaitFor([&] {
            QTcpSocket probe;
            probe.connectToHost(host, port);
            return probe.waitForReadyRead(200) && probe.readAll().startsWith("SSH-");
        }, 10000);
    }

    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        for (int pid : sessions()) {
            ::kill(pid, SIGCONT);
            ::kill(pid, SIGKILL);
        }
        process.kill();
        process.waitForFinished(5000);
    }

    // The processes serving the open sessions.
    QList<int> sessions() const { return descendantsOf(int(process.processId())); }

    QString log() const
    {
        QFile file(logPath());
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

    QString host;
    quint16 port = 0;
    QTemporaryDir dir;

private:
    QString logPath() const { return dir.filePath(QStringLiteral("sshd.log")); }

    QProcess process;
};

} // namespace

class TestSSHManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shell_output_arrives_as_sent_data();
    void shell_output_arrives_as_sent();
    void large_output_arrives_complete_and_in_order();
    void input_arrives_byte_for_byte_data();
    void input_arrives_byte_for_byte();
    void refused_attempt_releases_everything_data();
    void refused_attempt_releases_everything();
    void session_end_data();
    void session_end();
    void unanswered_connect_times_out_and_late_accept_changes_nothing();
    void non_ascii_password_is_sent_as_utf8();
    void host_key_recorded_then_checked_data();
    void host_key_recorded_then_checked();
    void dead_link_is_reported_and_live_one_kept();

private:
    bool openShell(SSHManager &target, Recorder &events, const Account &account = fixtureAccount());
    bool openShell() { return openShell(*manager, *recorder); }
    // Runs command with echo and line-end translation off, and returns what it
    // printed between two markers.
    QString outputOf(const QString &command, int timeoutMs = 20000);

    // Each test starts in an empty working directory: no host key recorded.
    std::unique_ptr<QTemporaryDir> workDir;
    std::unique_ptr<SSHManager> manager;
    std::unique_ptr<Recorder> recorder;
    std::unique_ptr<OwnSshd> ownSshd;
};

void TestSSHManager::init()
{
    workDir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(workDir->path()));
    manager = std::make_unique<SSHManager>();
    recorder = std::make_unique<Recorder>(*manager);
}

void TestSSHManager::cleanup()
{
    recorder.reset();
    manager.reset();
    ownSshd.reset();
    QDir::setCurrent(QDir::tempPath());
    workDir.reset();
}

bool TestSSHManager::openShell(SSHManager &target, Recorder &events, const Account &account)
{
    const int before = events.count(QStringLiteral("success"));
    target.connectAndStartShell(account.host, account.port, account.user, account.password);
    return QTest::qWaitFor([&] { return events.count(QStringLiteral("success")) > before; }, 15000);
}

QString TestSSHManager::outputOf(const QString &command, int timeoutMs)
{
    // Computed markers, so the terminal's echo of the command line never matches.
    manager->sendInput(QStringLiteral("stty -echo -onlcr; echo begin_$((1+1)); %1; echo end_$((2+2))").arg(command));
    if (!QTest::qWaitFor([&] { return recorder->output.contains(QStringLiteral("end_4")); }, timeoutMs))
        return QStringLiteral("(no end marker)");
    const QString beginMark = QStringLiteral("begin_2\n");
    const int begin = recorder->output.indexOf(beginMark) + beginMark.size();
    return recorder->output.mid(begin, recorder->output.indexOf(QStringLiteral("end_4")) - begin);
}

void TestSSHManager::shell_output_arrives_as_sent_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("expected");
    QTest::newRow("stderr merged in order") << QStringLiteral("echo out_$((6*7)); echo err_$((6*8)) >&2")
                                            << QStringLiteral("out_42\nerr_48\n");
    // 3-byte characters in 4096-byte reads: nearly every read ends inside one.
    const QString line = QStringLiteral("插件解压成功服务器控制台").repeated(40);
    QTest::newRow("characters split between reads") << QStringLiteral("for i in $(seq 60); do echo %1; done").arg(line)
                                                    << (line + QLatin1Char('\n')).repeated(60);
    QTest::newRow("text of a chunk ends at NUL")
        << QStringLiteral("sleep 0.5; printf 'before_%s\\0after_%s' 1 2; sleep 1") << QStringLiteral("before_1");
}

void TestSSHManager::shell_output_arrives_as_sent()
{
    QFETCH(QString, command);
    QFETCH(QString, expected);
    QVERIFY(openShell());
    QCOMPARE(recorder->events, (QStringList{connecting, connectedLine, QStringLiteral("success")}));
    QCOMPARE(outputOf(command), expected);
}

// Far more than one turn of the event loop drains: the rest follows in order.
void TestSSHManager::large_output_arrives_complete_and_in_order()
{
    QVERIFY(openShell());
    manager->sendInput(QStringLiteral("f=$(mktemp); head -c 12M /dev/urandom | base64 > $f; "
                                      "echo sum_$(md5sum < $f | cut -c1-32)_"));
    const QString sum = recorder->waitForOutput(QRegularExpression("sum_([0-9a-f]{32})_"), 30000);
    QVERIFY(!sum.isEmpty());
    const QByteArray received = outputOf(QStringLiteral("cat $f; rm -f $f"), 60000).toLatin1();
    QVERIFY2(received.size() > 16 * 1000 * 1000, QByteArray::number(received.size()));
    QCOMPARE(md5Hex(received), sum.toLatin1());
}

void TestSSHManager::input_arrives_byte_for_byte_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("command") << QStringLiteral("ls") << QByteArray("ls\n");
    QTest::newRow("interrupt code") << QStringLiteral("\x03") << QByteArray("\x03\n");
    QTest::newRow("empty line") << QString() << QByteArray("\n");
    QTest::newRow("chinese") << QStringLiteral("中") << QByteArray("\xe4\xb8\xad\n");
    // Far past what a terminal's line editor keeps, and past the channel's window.
    QByteArray payload;
    quint32 seed = 12345;
    while (payload.size() < 1024 * 1024) {
        seed = seed * 1103515245u + 12345u;
        payload.append(char('a' + (seed >> 16) % 26));
    }
    QTest::newRow("one megabyte line") << QString::fromLatin1(payload) << payload + '\n';
}

void TestSSHManager::input_arrives_byte_for_byte()
{
    QFETCH(QString, input);
    QFETCH(QByteArray, bytes);
    QVERIFY(openShell());
    // Raw mode hands every byte over as it was sent: no echo, no signals, no line editing.
    manager->sendInput(QStringLiteral("stty raw -echo; echo ready_$((2+3)); head -c %1 | md5sum; stty sane")
                           .arg(bytes.size()));
    QVERIFY(!recorder->waitForOutput(QRegularExpression("ready_5")).isEmpty());
    const int from = recorder->output.size();
    manager->sendInput(input);
    QCOMPARE(recorder->waitForOutput(QRegularExpression("([0-9a-f]{32})  -"), 60000, from).toLatin1(), md5Hex(bytes));
}

void TestSSHManager::refused_attempt_releases_everything_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("passwordSuffix");
    QTest::addColumn<QString>("failure");
    // Ports that are no port fail before any connection is tried.
    QTest::addColumn<bool>("atOnce");
    const QString port = fixtureAccount().port;
    QTest::newRow("wrong password") << port << "x" << "failed:账号或密码错误！请检查！" << false;
    QTest::newRow("refused port") << QString::number(closedPort()) << "" << connectFailed << false;
    QTest::newRow("not a number") << "abc" << "" << connectFailed << true;
    QTest::newRow("zero") << "0" << "" << connectFailed << true;
    QTest::newRow("past 65535 by a multiple of 65536") << QString::number(port.toInt() + 65536) << ""
                                                      << connectFailed << true;
}

void TestSSHManager::refused_attempt_releases_everything()
{
    QFETCH(QString, port);
    QFETCH(QString, passwordSuffix);
    QFETCH(QString, failure);
    QFETCH(bool, atOnce);
    Account account = fixtureAccount();
    manager->connectAndStartShell(account.host, port, account.user, account.password + passwordSuffix);
    if (!atOnce)
        QVERIFY(QTest::qWaitFor([&] { return recorder->events.size() > 1; }, 15000));
    QCOMPARE(recorder->events, (QStringList{connecting, failure}));

    // Nothing is held any more: input is refused instead of queued, and the
    // next attempt starts clean.
    manager->sendInput(QStringLiteral("echo queued_$((5*5))"));
    QVERIFY(recorder->output.endsWith(notConnectedLine));
    QVERIFY(openShell());
    QCOMPARE(outputOf(QStringLiteral("echo fresh_$((4*4))")), QStringLiteral("fresh_16\n"));
    QVERIFY(!recorder->output.contains(QStringLiteral("queued_25")));
    QCOMPARE(recorder->events.filter(QStringLiteral("failed:")).size(), 1);
}

void TestSSHManager::session_end_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("events");
    QTest::newRow("new attempt") << "connect" << connecting + "|" + connectedLine + "|success";
    QTest::newRow("new attempt while connecting") << "reconnect"
                                                  << connecting + "|" + connecting + "|" + connectedLine + "|success";
    QTest::newRow("disconnect") << "disconnect" << disconnectedEvents;
    QTest::newRow("remote shell exits") << "exit" << droppedLine;
    QTest::newRow("disconnect with nothing open") << "" << disconnectedEvents;
}

// Seen from a second session, the ended shell goes away; nothing is left to
// take input unless a new session replaced it.
void TestSSHManager::session_end()
{
    QFETCH(QString, how);
    QFETCH(QString, events);
    SSHManager watcher;
    Recorder watched(watcher);
    QString pid;
    if (!how.isEmpty() && how != QLatin1String("reconnect")) {
        QVERIFY(openShell(watcher, watched));
        QVERIFY(openShell());
        manager->sendInput(QStringLiteral("echo pid=$$"));
        pid = recorder->waitForOutput(QRegularExpression("pid=(\\d+)"));
        QVERIFY(!pid.isEmpty());
    }
    recorder->events.clear();
    if (how == QLatin1String("reconnect")) {
        const Account account = fixtureAccount();
        manager->connectAndStartShell(account.host, account.port, account.user, account.password);
        QVERIFY(openShell());
    } else if (how == QLatin1String("connect")) {
        QVERIFY(openShell());
    } else if (how == QLatin1String("exit")) {
        manager->sendInput(QStringLiteral("exit"));
        QVERIFY(QTest::qWaitFor([&] { return !recorder->events.isEmpty(); }, 10000));
    } else {
        manager->disconnectFromServer();
    }
    if (!pid.isEmpty()) {
        // The remote side polls for the end of the ended session's shell.
        watcher.sendInput(QStringLiteral("for i in $(seq 50); do kill -0 %1 2>/dev/null || break; sleep 0.1; done; "
                                         "echo state_$(kill -0 %1 2>/dev/null && echo up || echo gone)").arg(pid));
        QCOMPARE(watched.waitForOutput(QRegularExpression("state_(up|gone)"), 15000), QStringLiteral("gone"));
    }
    // Whatever the ended session still had to say has arrived by now.
    QCOMPARE(recorder->events.join(QLatin1Char('|')), events);
    recorder->output.clear();
    manager->sendInput(QStringLiteral("echo alive_$((9*9))"));
    if (how == QLatin1String("connect") || how == QLatin1String("reconnect"))
        QVERIFY(!recorder->waitForOutput(QRegularExpression("alive_81")).isEmpty());
    else
        QCOMPARE(recorder->output, notConnectedLine);
}

void TestSSHManager::unanswered_connect_times_out_and_late_accept_changes_nothing()
{
    // A listener that never accepts, with its queue already full: the kernel
    // drops further SYNs, so the connection neither succeeds nor fails.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&address), length) == 0 && ::listen(listener, 0) == 0);
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
    QVector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        fillers << ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(fillers.last(), reinterpret_cast<sockaddr *>(&address), length);
    }
    pollfd queued{fillers.first(), POLLOUT, 0};
    QCOMPARE(::poll(&queued, 1, 5000), 1);

    const Account account = fixtureAccount();
    manager->connectAndStartShell(QStringLiteral("127.0.0.1"), QString::number(ntohs(address.sin_port)),
                                  account.user, account.password);
    QVERIFY(QTest::qWaitFor([&] { return recorder->events.size() > 1; }, 8000));
    QCOMPARE(recorder->events.last(), QStringLiteral("failed:连接超时！请检查网络或稍后重试。"));

    // The listener finally goes, and the abandoned attempt with it, unheard.
    ::close(listener);
    for (int filler : fillers)
        ::close(filler);
    QVERIFY(openShell());
    QCOMPARE(recorder->events.filter(QStringLiteral("failed:")).size(), 1);
}

// The fixture's account has an ASCII password, so a small SSH server of our
// own reports the bytes that arrive.
void TestSSHManager::non_ascii_password_is_sent_as_utf8()
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (QProcess::execute(python, {QStringLiteral("-c"), QStringLiteral("import paramiko")}) != 0)
        QSKIP("python3-paramiko is not installed (scripts/setup installs it)");
    const QString password = QStringLiteral("Kxt密码ü-€");
    const QByteArray hex = password.toUtf8().toHex();

    QProcess probe;
    probe.start(python, {QStringLiteral(KXT_SSH_TEST_DIR "/password_probe_sshd.py"), QString::fromLatin1(hex)});
    QVERIFY(probe.waitForReadyRead(10000));
    const QByteArray greeting = probe.readLine().trimmed();
    QVERIFY2(greeting.startsWith("port "), greeting.constData());

    QVERIFY(openShell(*manager, *recorder,
                      {QStringLiteral("127.0.0.1"), QString::fromLatin1(greeting.mid(5)), "operator", password}));
    QVERIFY(!recorder->waitForOutput(QRegularExpression("probe_shell_ready")).isEmpty());
    QCOMPARE(probe.readAll().trimmed(), "password " + hex);

    manager->disconnectFromServer();
    QVERIFY(probe.waitForFinished(10000));
}

void TestSSHManager::host_key_recorded_then_checked_data()
{
    QTest::addColumn<bool>("sameKind");
    QTest::newRow("new key of the kind in use") << true;
    // Offering another kind must not slip past the recorded key.
    QTest::newRow("only a key of another kind") << false;
}

void TestSSHManager::host_key_recorded_then_checked()
{
    QFETCH(bool, sameKind);
    ownSshd = std::make_unique<OwnSshd>();
    const QStringList fixtureKeys = OwnSshd::fixtureKeys();
    QVERIFY(ownSshd->start(fixtureKeys));
    Account account = fixtureAccount();
    account.port = QString::number(ownSshd->port);
    const QString entry = QStringLiteral("[%1]:%2").arg(account.host, account.port);

    // First use: the key the server showed is recorded as OpenSSH would.
    QVERIFY(openShell(*manager, *recorder, account));
    QFile knownHosts(QStringLiteral("known_hosts"));
    QVERIFY(knownHosts.open(QIODevice::ReadOnly));
    const QStringList recorded = QString::fromUtf8(knownHosts.readAll().trimmed()).split(QLatin1Char(' '));
    knownHosts.close();
    QCOMPARE(recorded.value(0), entry);
    QString usedKey;
    for (const QString &key : fixtureKeys) {
        QFile pub(key + QStringLiteral(".pub"));
        pub.open(QIODevice::ReadOnly);
        if (QString::fromUtf8(pub.readAll()).split(QLatin1Char(' ')).mid(0, 2) == recorded.mid(1, 2))
            usedKey = key;
    }
    QVERIFY2(!usedKey.isEmpty(), qPrintable(recorded.join(QLatin1Char(' '))));
    manager->disconnectFromServer();

    // The server comes back with another key at the same address and port.
    QString newKey = fixtureKeys.value(fixtureKeys.indexOf(usedKey) == 0 ? 1 : 0);
    if (sameKind) {
        newKey = ownSshd->dir.filePath(QStringLiteral("new_host_key"));
        const QString kind = recorded.value(1).contains(QLatin1String("ed25519")) ? QStringLiteral("ed25519")
                             : recorded.value(1).startsWith(QLatin1String("ecdsa")) ? QStringLiteral("ecdsa")
                                                                                    : QStringLiteral("rsa");
        run(QStringLiteral("ssh-keygen"), {"-q", "-t", kind, "-N", "", "-f", newKey});
    }
    QVERIFY(ownSshd->start({newKey}));
    const QString fingerprint = QRegularExpression(QStringLiteral("SHA256:\\S+"))
                                    .match(run(QStringLiteral("ssh-keygen"), {"-lf", newKey + ".pub"}))
                                    .captured();
    QVERIFY(!fingerprint.isEmpty());

    recorder->events.clear();
    manager->connectAndStartShell(account.host, account.port, account.user, account.password);
    QVERIFY(QTest::qWaitFor([&] { return recorder->events.size() > 1; }, 15000));
    QCOMPARE(recorder->events.last(), QStringLiteral("failed:服务器主机密钥已改变，可能存在中间人攻击！ %1 %2")
                                          .arg(fingerprint, QDir::current().absoluteFilePath("known_hosts")));
    QCOMPARE(manager->changedHostKey(), fingerprint);

    // Trusting it, for this address only, lets the next attempt in.
    QVERIFY(!manager->trustNewHostKey(account.host, QString::number(ownSshd->port + 1)));
    QVERIFY(manager->trustNewHostKey(account.host, account.port));
    QVERIFY(manager->changedHostKey().isEmpty());
    QVERIFY(openShell(*manager, *recorder, account));
    QVERIFY(knownHosts.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(knownHosts.readAll()).count(entry), 1);
    // The refused attempt was over before authentication: one login only, no
    // password offered before it.
    const QString log = ownSshd->log();
    QCOMPARE(log.count(QLatin1String("Accepted password")), 1);
    QVERIFY2(!log.left(log.indexOf(QLatin1String("Accepted password"))).contains(QLatin1String("password")),
             qPrintable(log));
}

void TestSSHManager::dead_link_is_reported_and_live_one_kept()
{
    ownSshd = std::make_unique<OwnSshd>();
    QVERIFY(ownSshd->start(OwnSshd::fixtureKeys()));
    Account account = fixtureAccount();
    account.port = QString::number(ownSshd->port);
    const int interval = 2;
    manager->setKeepAliveInterval(interval);
    QVERIFY(openShell(*manager, *recorder, account));

    // A link that answers its keep-alives stays up past three silent intervals.
    manager->sendInput(QStringLiteral("sleep %1; echo quiet_$((3*3))").arg(4 * interval));
    QVERIFY(!recorder->waitForOutput(QRegularExpression("quiet_9"), 6 * interval * 1000).isEmpty());
    QCOMPARE(recorder->events.last(), QStringLiteral("success"));

    for (int pid : ownSshd->sessions())
        ::kill(pid, SIGSTOP);
    QVERIFY(QTest::qWaitFor([&] { return recorder->events.last() != QLatin1String("success"); },
                            4 * interval * 1000 + 1000));
    QCOMPARE(recorder->events.mid(3), (QStringList{"disconnected", "status:与服务器的连接已断开"}));
    recorder->output.clear();
    manager->sendInput(QStringLiteral("ls"));
    QCOMPARE(recorder->output, notConnectedLine);
}

QTEST_GUILESS_MAIN(TestSSHManager)

#include "tst_sshmanager.moc"
