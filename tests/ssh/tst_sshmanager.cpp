#include <QCryptographicHash>
#include <QDir>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include "files.h"
#include "fixtures.h"
#include "sshmanager.h"

namespace {

const QString connecting = QStringLiteral("status:开始连接服务器...");
const QString connectedLine = QStringLiteral("line:\x1b[32m已连接到服务器，开始交互会话...\x1b[0m\r\n");
const QString notConnectedLine = QStringLiteral("\x1b[31m错误：连接未建立\x1b[0m\r\n");
const QString connectFailed = QStringLiteral("failed:连接失败！检查IP和端口是否正确！");
const QStringList opened{connecting, connectedLine, QStringLiteral("success")};
const QStringList disconnectedEvents{QStringLiteral("disconnected"), QStringLiteral("status:已断开与服务器的连接")};

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

    // Waits until the output after `from` matches, and returns the last capture.
    QString waitForOutput(const QString &pattern, int timeoutMs = 10000, int from = 0)
    {
        QRegularExpressionMatch match;
        const bool found = QTest::qWaitFor([&] {
            match = QRegularExpression(pattern).match(output, from);
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

// A small SSH server of our own (password_probe_sshd.py) with a fresh host key
// of the kind asked for, at the port asked for: it reports the passwords that
// arrive, as bytes, and refuses them.
struct Probe
{
    ~Probe()
    {
        process.kill();
        process.waitForFinished(5000);
    }

    bool start(const QString &kind, const QString &atPort = QStringLiteral("0"))
    {
        process.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral(KXT_SSH_TEST_DIR "/password_probe_sshd.py"), kind, atPort});
        port = line().section(' ', 1);
        const QString keyLine = line();
        key = keyLine.section(' ', 1, 2);
        fingerprint = keyLine.section(' ', 3);
        return !fingerprint.isEmpty();
    }

    // The next line it prints; empty when none comes within 10 s.
    QString line()
    {
        while (!process.canReadLine() && process.waitForReadyRead(10000)) {
        }
        return QString::fromUtf8(process.readLine()).trimmed();
    }

    QProcess process;
    QString port, key, fingerprint;
};

} // namespace

class TestSSHManager : public QObject
{
    Q_OBJECT

private:
    // The fixture's account, unless told otherwise.
    void connectTo(const QString &port = {}, const QString &password = {}, const QString &host = {})
    {
        const QJsonObject sshd = Fixtures::sshd();
        s->manager.connectAndStartShell(host.isEmpty() ? sshd.value("host").toString() : host,
                                      port.isEmpty() ? sshd.value("port").toVariant().toString() : port,
                                      sshd.value("user").toString(),
                                      password.isEmpty() ? sshd.value("password").toString() : password);
    }

    bool openShell()
    {
        const int before = s->recorder.events.count(QStringLiteral("success"));
        connectTo();
        return QTest::qWaitFor([&] { return s->recorder.events.count(QStringLiteral("success")) > before; }, 15000);
    }

    // Runs command with echo and line-end translation off, and returns what it
    // printed between two markers (computed, so the terminal's echo of the command
    // line never matches).
    QString outputOf(const QString &command)
    {
        s->manager.sendInput(QStringLiteral("stty -echo -onlcr; echo begin_$((1+1)); %1; echo end_$((2+2))").arg(command));
        if (!QTest::qWaitFor([&] { return s->recorder.output.contains(QStringLiteral("end_4")); }, 60000))
            return QStringLiteral("(no end marker)");
        const QString &output = s->recorder.output;
        const int begin = output.indexOf(QStringLiteral("begin_2\n")) + 8;
        return output.mid(begin, output.indexOf(QStringLiteral("end_4")) - begin);
    }

    // Made afresh for each test and gone after it: an empty working directory (no
    // host key recorded), a manager and its recorder.
    struct Setup
    {
        WorkDir dir;
        SSHManager manager;
        Recorder recorder{manager};
    };
    std::unique_ptr<Setup> s;

private slots:
    void init() { s = std::make_unique<Setup>(); }
    void cleanup() { s.reset(); }

    // Both ways through the shell: what a command prints arrives as printed, and
    // what is typed arrives byte for byte.
    void shell_round_trip_data()
    {
        QTest::addColumn<QString>("command"); // empty: `typed` goes to the shell in raw mode
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("arrives");
        QTest::newRow("stderr merged in order") << QStringLiteral("echo out_$((6*7)); echo err_$((6*8)) >&2") << QString()
                                                << QByteArray("out_42\nerr_48\n");
        // 3-byte characters in 4096-byte reads: nearly every read ends inside one.
        const QString line = QStringLiteral("插件解压成功服务器控制台").repeated(40);
        QTest::newRow("characters split between reads") << QStringLiteral("for i in $(seq 60); do echo %1; done").arg(line)
                                                        << QString() << (line + QLatin1Char('\n')).repeated(60).toUtf8();
        QTest::newRow("text of a chunk ends at NUL")
            << QStringLiteral("sleep 0.5; printf 'before_%s\\0after_%s' 1 2; sleep 1") << QString() << QByteArray("before_1");
        // Far more than one turn of the event loop drains: the rest follows in order.
        QByteArray numbers;
        for (int i = 1; i <= 2000000; ++i)
            numbers += QByteArray::number(i) + '\n';
        QTest::newRow("megabytes of output") << QStringLiteral("seq 2000000") << QString() << numbers;
        QTest::newRow("typed interrupt code") << QString() << QStringLiteral("\x03") << QByteArray("\x03\n");
        QTest::newRow("typed empty line") << QString() << QString() << QByteArray("\n");
        QTest::newRow("typed chinese") << QString() << QStringLiteral("中") << QByteArray("\xe4\xb8\xad\n");
        // Far past what a terminal's line editor keeps, and past the channel's window.
        QByteArray payload;
        for (int i = 0; payload.size() < 1024 * 1024; ++i)
            payload += QByteArray::number(i) + ' ';
        QTest::newRow("typed megabyte line") << QString() << QString::fromLatin1(payload) << payload + '\n';
    }

    void shell_round_trip()
    {
        QFETCH(QString, command);
        QFETCH(QString, typed);
        QFETCH(QByteArray, arrives);
        QVERIFY(openShell());
        if (!command.isEmpty()) {
            const QByteArray output = outputOf(command).toUtf8();
            QVERIFY2(output == arrives, output.left(200).constData());
            return;
        }
        // Raw mode hands every byte over as it was sent: no echo, no signals, no line editing.
        s->manager.sendInput(QStringLiteral("stty raw -echo; echo ready_$((2+3)); head -c %1 | md5sum; stty sane")
                               .arg(arrives.size()));
        QVERIFY(!s->recorder.waitForOutput("ready_5").isEmpty());
        const int from = s->recorder.output.size();
        s->manager.sendInput(typed);
        QCOMPARE(s->recorder.waitForOutput("([0-9a-f]{32})  -", 60000, from).toLatin1(), QCryptographicHash::hash(arrives, QCryptographicHash::Md5).toHex());
    }

    void refused_attempt_releases_everything_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("failure");
        // Ports that are no port fail before any connection is tried.
        QTest::addColumn<bool>("atOnce");
        QTest::newRow("wrong password") << "" << "wrong" << "failed:账号或密码错误！请检查！" << false;
        // Nothing listens on port 1 of the loopback.
        QTest::newRow("refused port") << "1" << "" << connectFailed << false;
        QTest::newRow("not a number") << "abc" << "" << connectFailed << true;
        QTest::newRow("zero") << "0" << "" << connectFailed << true;
        QTest::newRow("past 65535 by a multiple of 65536")
            << QString::number(Fixtures::sshd().value("port").toInt() + 65536) << "" << connectFailed << true;
    }

    void refused_attempt_releases_everything()
    {
        QFETCH(QString, port);
        QFETCH(QString, password);
        QFETCH(QString, failure);
        QFETCH(bool, atOnce);
        connectTo(port, password);
        if (!atOnce)
            QTRY_VERIFY_WITH_TIMEOUT(s->recorder.events.size() >= 2, 15000);
        QCOMPARE(s->recorder.events, (QStringList{connecting, failure}));

        // Nothing is held any more: input is refused instead of queued, and the
        // next attempt starts clean.
        s->manager.sendInput(QStringLiteral("echo queued_$((5*5))"));
        QVERIFY(s->recorder.output.endsWith(notConnectedLine));
        QVERIFY(openShell());
        QCOMPARE(outputOf(QStringLiteral("echo fresh_$((4*4))")), QStringLiteral("fresh_16\n"));
        QVERIFY(!s->recorder.output.contains(QStringLiteral("queued_25")));
        QCOMPARE(s->recorder.events.filter(QStringLiteral("failed:")).size(), 1);
    }

    void session_end_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("new attempt") << "connect" << opened;
        QTest::newRow("new attempt while connecting") << "reconnect" << QStringList{connecting} + opened;
        QTest::newRow("disconnect") << "disconnect" << disconnectedEvents;
        QTest::newRow("remote shell exits") << "exit"
                                            << QStringList{QStringLiteral("line:\x1b[31m连接异常断开\x1b[0m\r\n")};
        QTest::newRow("disconnect with nothing open") << "idle" << disconnectedEvents;
    }

    // The ended shell goes away on the server; nothing is left to take input
    // unless a new session replaced it.
    void session_end()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, events);
        const bool replaced = how.endsWith(QLatin1String("connect")) && how != QLatin1String("disconnect");
        QString shell;
        if (how != QLatin1String("idle") && how != QLatin1String("reconnect")) {
            QVERIFY(openShell());
            shell = QStringLiteral("/proc/") + outputOf(QStringLiteral("echo $$")).trimmed();
            QVERIFY(QFileInfo::exists(shell));
        }
        s->recorder.events.clear();
        if (how == QLatin1String("reconnect"))
            connectTo();
        if (replaced) {
            QVERIFY(openShell());
        } else if (how == QLatin1String("exit")) {
            s->manager.sendInput(QStringLiteral("exit"));
            QTRY_VERIFY_WITH_TIMEOUT(s->recorder.events.size() >= 1, 15000);
        } else {
            s->manager.disconnectFromServer();
        }
        if (!shell.isEmpty())
            QVERIFY(QTest::qWaitFor([&] { return !QFileInfo::exists(shell); }, 10000));
        // Whatever the ended session still had to say has arrived by now.
        QCOMPARE(s->recorder.events, events);
        s->recorder.output.clear();
        s->manager.sendInput(QStringLiteral("echo alive_$((9*9))"));
        if (replaced)
            QVERIFY(!s->recorder.waitForOutput("alive_81").isEmpty());
        else
            QCOMPARE(s->recorder.output, notConnectedLine);
    }

    void unanswered_connect_times_out_and_late_accept_changes_nothing()
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

        connectTo(QString::number(ntohs(address.sin_port)), {}, QStringLiteral("127.0.0.1"));
        QTRY_VERIFY_WITH_TIMEOUT(s->recorder.events.size() >= 2, 8000);
        QCOMPARE(s->recorder.events.last(), QStringLiteral("failed:连接超时！请检查网络或稍后重试。"));

        // The listener finally goes, and the abandoned attempt with it, unheard.
        ::close(listener);
        for (int filler : fillers)
            ::close(filler);
        QVERIFY(openShell());
        QCOMPARE(s->recorder.events.filter(QStringLiteral("failed:")).size(), 1);
    }

    void host_key_recorded_then_checked_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("new key of the kind in use") << "ecdsa";
        // Offering another kind must not slip past the recorded key.
        QTest::newRow("only a key of another kind") << "rsa";
    }

    void host_key_recorded_then_checked()
    {
        QFETCH(QString, kind);
        const QString host = QStringLiteral("127.0.0.1");
        auto probe = std::make_unique<Probe>();
        QVERIFY(probe->start(QStringLiteral("ecdsa")));
        const QString port = probe->port;
        const QString entry = QStringLiteral("[127.0.0.1]:") + port;

        // First use: the key the server showed is recorded as OpenSSH would.
        connectTo(port, {}, host);
        QTRY_VERIFY_WITH_TIMEOUT(s->recorder.events.size() >= 2, 15000);
        QFile knownHosts(QStringLiteral("known_hosts"));
        QVERIFY(knownHosts.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(knownHosts.readAll().trimmed()), entry + QLatin1Char(' ') + probe->key);
        knownHosts.close();

        // The server comes back with another key at the same address and port.
        probe = std::make_unique<Probe>();
        QVERIFY(probe->start(kind, port));
        s->recorder.events.clear();
        connectTo(port, {}, host);
        QTRY_VERIFY_WITH_TIMEOUT(s->recorder.events.size() >= 2, 15000);
        QCOMPARE(s->recorder.events.last(), QStringLiteral("failed:服务器主机密钥已改变，可能存在中间人攻击！ %1 %2")
                                              .arg(probe->fingerprint, QDir::current().absoluteFilePath("known_hosts")));
        QCOMPARE(s->manager.changedHostKey(), probe->fingerprint);

        // Trusting it, for this address only, lets the next attempt through to the login.
        QVERIFY(!s->manager.trustNewHostKey(host, QString::number(port.toInt() + 1)));
        QVERIFY(s->manager.trustNewHostKey(host, port));
        QVERIFY(s->manager.changedHostKey().isEmpty());
        s->recorder.events.clear();
        const QString password = QStringLiteral("Kxt密码ü-€");
        connectTo(port, password, host);
        QTRY_VERIFY_WITH_TIMEOUT(s->recorder.events.size() >= 2, 15000);
        QCOMPARE(s->recorder.events.last(), QStringLiteral("failed:账号或密码错误！请检查！"));
        // One password only, as UTF-8: the refused attempt ended before sending one.
        QCOMPARE(probe->line(), "password " + password.toUtf8().toHex());
        QVERIFY(knownHosts.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(knownHosts.readAll()).trimmed(), entry + QLatin1Char(' ') + probe->key);
    }

    void dead_link_is_reported_and_live_one_kept()
    {
        const int interval = 2;
        s->manager.setKeepAliveInterval(interval);
        QVERIFY(openShell());

        // A link that answers its keep-alives stays up past three silent intervals.
        const int serving = outputOf(QStringLiteral("sleep %1; echo $PPID").arg(4 * interval)).trimmed().toInt();
        QVERIFY(serving > 1);
        QCOMPARE(s->recorder.events.last(), QStringLiteral("success"));

        // The server process serving the session stops answering.
        ::kill(serving, SIGSTOP);
        const bool ended = QTest::qWaitFor([&] { return s->recorder.events.last() != QLatin1String("success"); },
                                           4 * interval * 1000 + 1000);
        ::kill(serving, SIGKILL);
        QVERIFY(ended);
        QCOMPARE(s->recorder.events.mid(3), (QStringList{"disconnected", "status:与服务器的连接已断开"}));
        s->recorder.output.clear();
        s->manager.sendInput(QStringLiteral("ls"));
        QCOMPARE(s->recorder.output, notConnectedLine);
    }
};

QTEST_GUILESS_MAIN(TestSSHManager)

#include "tst_sshmanager.moc"
