#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <sys/socket.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <unistd.h>

#include "fixtures.h"
#include "sshmanager.h"

namespace {

const QString connectedLine = QStringLiteral("\x1b[32m已连接到服务器，开始交互会话...\x1b[0m\r\n");
const QString droppedLine = QStringLiteral("\x1b[31m连接异常断开\x1b[0m\r\n");
const QString notConnectedLine = QStringLiteral("\x1b[31m错误：连接未建立\x1b[0m\r\n");
const QString loginFailed = QStringLiteral("账号或密码错误！请检查！");
const QString connectFailed = QStringLiteral("连接失败！检查IP和端口是否正确！");

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
            ++chunks;
            if (ownLine.match(d).hasMatch())
                events << QStringLiteral("line:") + d;
        });
    }

    int count(const QString &event) const { return events.count(event); }

    // Waits until the accumulated output matches, and returns the first capture
    // (or the whole match). Only output after `from` is searched.
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
    int chunks = 0;

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

bool openShell(SSHManager &manager, Recorder &recorder)
{
    const Account account = fixtureAccount();
    manager.connectAndStartShell(account.host, account.port, account.user, account.password);
    return QTest::qWaitFor([&] { return recorder.count(QStringLiteral("success")) > 0; }, 15000);
}

QString shellPid(SSHManager &manager, Recorder &recorder)
{
    manager.sendInput(QStringLiteral("echo pid=$$"));
    return recorder.waitForOutput(QRegularExpression("pid=(\\d+)"));
}

// Asks a live shell, a few times over two seconds, whether process pid has ended.
bool processEnds(SSHManager &manager, Recorder &recorder, const QString &pid)
{
    for (int round = 0; round < 20; ++round) {
        const int from = recorder.output.size();
        manager.sendInput(QStringLiteral("echo state_$(kill -0 %1 2>/dev/null && echo up || echo gone)").arg(pid));
        if (recorder.waitForOutput(QRegularExpression("state_(up|gone)"), 5000, from) == QStringLiteral("gone"))
            return true;
        QTest::qWait(100);
    }
    return false;
}

// A loopback port where nothing listens.
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

QByteArray md5Hex(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex();
}

} // namespace

class TestSSHManager : public QObject
{
    Q_OBJECT

private slots:
    void connects_and_shows_stdout_and_stderr();
    void input_arrives_byte_for_byte_data();
    void input_arrives_byte_for_byte();
    void wrong_password_releases_and_next_attempt_succeeds();
    void non_ascii_password_is_sent_as_utf8();
    void port_text_is_parsed_and_narrowed_data();
    void port_text_is_parsed_and_narrowed();
    void port_65558_reaches_port_22();
    void unanswered_connect_times_out_and_late_accept_changes_nothing();
    void new_attempt_replaces_live_session();
    void new_attempt_while_connecting_leaves_one_session();
    void remote_shell_exit_is_reported_and_released();
    void disconnect_with_nothing_open();
    void disconnect_closes_the_remote_shell();
    void large_output_arrives_complete_and_in_order();
    void large_input_arrives_complete();
    void characters_split_between_reads_arrive_whole();
    void chunk_text_ends_at_nul();
};

void TestSSHManager::connects_and_shows_stdout_and_stderr()
{
    SSHManager manager;
    Recorder recorder(manager);
    QVERIFY(openShell(manager, recorder));

    QCOMPARE(recorder.events.first(), QStringLiteral("status:开始连接服务器..."));
    QCOMPARE(recorder.events, (QStringList{QStringLiteral("status:开始连接服务器..."),
                                           QStringLiteral("line:") + connectedLine,
                                           QStringLiteral("success")}));

    // Computed markers, so the terminal's echo of the command line never matches.
    manager.sendInput(QStringLiteral("echo out_$((6*7)); echo err_$((6*8)) >&2; echo end_$((1+1))"));
    QVERIFY(!recorder.waitForOutput(QRegularExpression("end_2")).isEmpty());
    QVERIFY(recorder.output.contains(QStringLiteral("out_42")));
    QVERIFY(recorder.output.contains(QStringLiteral("err_48")));
    QVERIFY(recorder.output.indexOf(QStringLiteral("out_42")) < recorder.output.indexOf(QStringLiteral("err_48")));
}

void TestSSHManager::input_arrives_byte_for_byte_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("bytes");
    QTest::newRow("command") << QStringLiteral("ls") << QStringLiteral("6c 73 0a");
    QTest::newRow("interrupt code") << QStringLiteral("\x03") << QStringLiteral("03 0a");
    QTest::newRow("empty line") << QString() << QStringLiteral("0a");
    QTest::newRow("chinese") << QStringLiteral("中") << QStringLiteral("e4 b8 ad 0a");
}

void TestSSHManager::input_arrives_byte_for_byte()
{
    QFETCH(QString, input);
    QFETCH(QString, bytes);
    SSHManager manager;
    Recorder recorder(manager);
    QVERIFY(openShell(manager, recorder));

    // Raw mode hands every byte to od as it was sent: no echo, no signals, no line editing.
    const int count = bytes.split(QLatin1Char(' ')).size();
    manager.sendInput(QStringLiteral("stty raw -echo; echo ready_$((2+3)); od -An -tx1 -N%1; stty sane; echo done_$((3+4))")
                          .arg(count));
    QVERIFY(!recorder.waitForOutput(QRegularExpression("ready_5")).isEmpty());
    const int from = recorder.output.size();
    manager.sendInput(input);
    const QString dumped = recorder.waitForOutput(QRegularExpression("^\\s*([0-9a-f ]+?)\\s*\\r?\\n",
                                                                     QRegularExpression::MultilineOption),
                                                  10000, from);
    QCOMPARE(dumped, bytes);
}

void TestSSHManager::wrong_password_releases_and_next_attempt_succeeds()
{
    const Account account = fixtureAccount();
    SSHManager manager;
    Recorder recorder(manager);

    manager.connectAndStartShell(account.host, account.port, account.user, account.password + "x");
    QVERIFY(QTest::qWaitFor([&] { return recorder.count(QStringLiteral("failed:") + loginFailed) == 1; }, 15000));
    QCOMPARE(recorder.count(QStringLiteral("success")), 0);

    // Nothing is held any more: input is refused instead of queued.
    manager.sendInput(QStringLiteral("echo queued_$((5*5))"));
    QVERIFY(recorder.output.endsWith(notConnectedLine));

    QVERIFY(openShell(manager, recorder));
    manager.sendInput(QStringLiteral("echo fresh_$((4*4))"));
    QVERIFY(!recorder.waitForOutput(QRegularExpression("fresh_16")).isEmpty());
    QVERIFY(!recorder.output.contains(QStringLiteral("queued_25")));
    QCOMPARE(recorder.events.filter(QStringLiteral("failed:")).size(), 1);
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

    SSHManager manager;
    Recorder recorder(manager);
    manager.connectAndStartShell(QStringLiteral("127.0.0.1"), QString::fromLatin1(greeting.mid(5)),
                                 QStringLiteral("operator"), password);
    QVERIFY(QTest::qWaitFor([&] { return recorder.events.size() > 2; }, 15000));
    QCOMPARE(recorder.events.last(), QStringLiteral("success"));
    QVERIFY(!recorder.waitForOutput(QRegularExpression("probe_shell_ready")).isEmpty());
    QCOMPARE(probe.readAll().trimmed(), "password " + hex);

    manager.disconnectFromServer();
    QVERIFY(probe.waitForFinished(10000));
}

void TestSSHManager::port_text_is_parsed_and_narrowed_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("expected");
    const Account account = fixtureAccount();
    QTest::newRow("not a number means port 0") << QStringLiteral("abc") << QStringLiteral("failed:") + connectFailed;
    QTest::newRow("refused port") << QString::number(closedPort()) << QStringLiteral("failed:") + connectFailed;
    QTest::newRow("fixture port plus 65536") << QString::number(account.port.toInt() + 65536)
                                             << QStringLiteral("success");
}

void TestSSHManager::port_text_is_parsed_and_narrowed()
{
    QFETCH(QString, port);
    QFETCH(QString, expected);
    const Account account = fixtureAccount();
    SSHManager manager;
    Recorder recorder(manager);
    manager.connectAndStartShell(account.host, port, account.user, account.password);
    // Well inside the connect timer: a refusal is reported as it happens.
    QVERIFY(QTest::qWaitFor([&] { return recorder.events.size() > 1 && !recorder.events.last().startsWith("line:"); },
                            4000));
    QCOMPARE(recorder.events.last(), expected);
    QTest::qWait(200);
    QCOMPARE(recorder.events.last(), expected);
}

// "65558" narrows to 22, a privileged port: checked on a loopback address of
// its own, where a test running as root may listen.
void TestSSHManager::port_65558_reaches_port_22()
{
    QTcpServer server;
    if (!server.listen(QHostAddress(QStringLiteral("127.0.0.222")), 22))
        QSKIP("cannot listen on 127.0.0.222:22 here (needs root and a free port)");
    SSHManager manager;
    Recorder recorder(manager);
    manager.connectAndStartShell(QStringLiteral("127.0.0.222"), QStringLiteral("65558"), "u", "p");
    QVERIFY(server.waitForNewConnection(3000));
    delete server.nextPendingConnection();
    QVERIFY(QTest::qWaitFor([&] { return recorder.events.size() > 1; }, 4000));
    QCOMPARE(recorder.events.last(), QStringLiteral("failed:启动会话失败！"));
}

void TestSSHManager::unanswered_connect_times_out_and_late_accept_changes_nothing()
{
    // A listener that never accepts, with its queue already full: the kernel
    // drops further SYNs, so the connection neither succeeds nor fails.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QVERIFY(listener >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    QCOMPARE(::listen(listener, 0), 0);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
    QVector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(filler, reinterpret_cast<sockaddr *>(&address), sizeof address);
        fillers << filler;
    }
    QTest::qWait(100);

    const Account account = fixtureAccount();
    SSHManager manager;
    Recorder recorder(manager);
    manager.connectAndStartShell(QStringLiteral("127.0.0.1"), QString::number(ntohs(address.sin_port)),
                                 account.user, account.password);
    QVERIFY(QTest::qWaitFor([&] { return recorder.events.size() > 1; }, 8000));
    QCOMPARE(recorder.events.last(), QStringLiteral("failed:连接超时！请检查网络或稍后重试。"));

    // The listener finally takes everything queued: the abandoned attempt stays abandoned.
    ::close(listener);
    for (int filler : fillers)
        ::close(filler);
    QTest::qWait(300);
    QCOMPARE(recorder.events.size(), 2);
}

void TestSSHManager::new_attempt_replaces_live_session()
{
    SSHManager manager;
    Recorder recorder(manager);
    QVERIFY(openShell(manager, recorder));
    const QString pid = shellPid(manager, recorder);
    QVERIFY(!pid.isEmpty());

    recorder.events.clear();
    QVERIFY(openShell(manager, recorder));
    QCOMPARE(recorder.events, (QStringList{QStringLiteral("status:开始连接服务器..."),
                                           QStringLiteral("line:") + connectedLine,
                                           QStringLiteral("success")}));

    // Seen from the new shell, the old one goes away.
    QVERIFY(processEnds(manager, recorder, pid));
    QCOMPARE(recorder.count(QStringLiteral("line:") + droppedLine), 0);
}

void TestSSHManager::new_attempt_while_connecting_leaves_one_session()
{
    const Account account = fixtureAccount();
    SSHManager manager;
    Recorder recorder(manager);
    manager.connectAndStartShell(account.host, account.port, account.user, account.password);
    QTest::qWait(20);
    manager.connectAndStartShell(account.host, account.port, account.user, account.password);
    QVERIFY(QTest::qWaitFor([&] { return recorder.count(QStringLiteral("success")) > 0; }, 15000));
    QTest::qWait(500);
    QCOMPARE(recorder.events, (QStringList{QStringLiteral("status:开始连接服务器..."),
                                           QStringLiteral("status:开始连接服务器..."),
                                           QStringLiteral("line:") + connectedLine,
                                           QStringLiteral("success")}));
    manager.sendInput(QStringLiteral("echo alive_$((9*9))"));
    QVERIFY(!recorder.waitForOutput(QRegularExpression("alive_81")).isEmpty());
}

void TestSSHManager::remote_shell_exit_is_reported_and_released()
{
    SSHManager manager;
    Recorder recorder(manager);
    QVERIFY(openShell(manager, recorder));
    manager.sendInput(QStringLiteral("exit"));
    QVERIFY(QTest::qWaitFor([&] { return recorder.output.endsWith(droppedLine); }, 10000));
    QCOMPARE(recorder.count(QStringLiteral("disconnected")), 0);

    manager.sendInput(QStringLiteral("ls"));
    QVERIFY(recorder.output.endsWith(notConnectedLine));
}

void TestSSHManager::disconnect_with_nothing_open()
{
    SSHManager manager;
    Recorder recorder(manager);
    manager.disconnectFromServer();
    QCOMPARE(recorder.events, (QStringList{QStringLiteral("disconnected"),
                                           QStringLiteral("status:已断开与服务器的连接")}));
    manager.sendInput(QStringLiteral("ls"));
    QCOMPARE(recorder.output, notConnectedLine);
}

void TestSSHManager::disconnect_closes_the_remote_shell()
{
    SSHManager watcher;
    Recorder watched(watcher);
    QVERIFY(openShell(watcher, watched));

    SSHManager manager;
    Recorder recorder(manager);
    QVERIFY(openShell(manager, recorder));
    const QString pid = shellPid(manager, recorder);
    QVERIFY(!pid.isEmpty());

    recorder.events.clear();
    manager.disconnectFromServer();
    QCOMPARE(recorder.events, (QStringList{QStringLiteral("disconnected"),
                                           QStringLiteral("status:已断开与服务器的连接")}));
    manager.sendInput(QStringLiteral("ls"));
    QVERIFY(recorder.output.endsWith(notConnectedLine));

    QVERIFY(processEnds(watcher, watched, pid));
}

void TestSSHManager::large_output_arrives_complete_and_in_order()
{
    SSHManager manager;
    Recorder recorder(manager);
    QVERIFY(openShell(manager, recorder));

    // About 50 MB of base64 lines; the server prints its own checksum first.
    // With -onlcr the terminal leaves line ends as they are, so the bytes compare exactly.
    manager.sendInput(QStringLiteral(
        "stty -echo -onlcr; f=$(mktemp); head -c 37M /dev/urandom | base64 > $f; "
        "echo sum_$(md5sum < $f | cut -c1-32)_; echo begin_$((1+1)); cat $f; echo end_$((2+2)); rm -f $f"));
    const QString sum = recorder.waitForOutput(QRegularExpression("sum_([0-9a-f]{32})_"), 30000);
    QVERIFY(!sum.isEmpty());
    QVERIFY(QTest::qWaitFor([&] { return recorder.output.contains(QStringLiteral("end_4")); }, 120000));

    const QString beginMark = QStringLiteral("begin_2\n");
    const int begin = recorder.output.indexOf(beginMark) + beginMark.size();
    const int end = recorder.output.indexOf(QStringLiteral("end_4"));
    QVERIFY(begin > beginMark.size() && end > begin);
    const QByteArray received = recorder.output.mid(begin, end - begin).toLatin1();
    QVERIFY2(received.size() > 50 * 1000 * 1000, QByteArray::number(received.size()));
    QCOMPARE(md5Hex(received), sum.toLatin1());
}

void TestSSHManager::large_input_arrives_complete()
{
    SSHManager manager;
    Recorder recorder(manager);
    QVERIFY(openShell(manager, recorder));

    QByteArray payload;
    payload.reserve(1024 * 1024);
    const QByteArray alphabet("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+/");
    quint32 seed = 12345;
    while (payload.size() < 1024 * 1024) {
        seed = seed * 1103515245u + 12345u;
        payload.append(alphabet.at(int((seed >> 16) % quint32(alphabet.size()))));
    }

    // One line of a megabyte is far past what a terminal's line editor keeps,
    // so the remote side reads it raw, exactly that many bytes plus the line feed.
    manager.sendInput(QStringLiteral("stty raw -echo; echo ready_$((2+3)); head -c %1 | md5sum; stty sane")
                          .arg(payload.size() + 1));
    QVERIFY(!recorder.waitForOutput(QRegularExpression("ready_5")).isEmpty());
    const int from = recorder.output.size();
    manager.sendInput(QString::fromLatin1(payload));
    const QString sum = recorder.waitForOutput(QRegularExpression("([0-9a-f]{32})  -"), 60000, from);
    QCOMPARE(sum.toLatin1(), md5Hex(payload + '\n'));
}

void TestSSHManager::characters_split_between_reads_arrive_whole()
{
    SSHManager manager;
    Recorder recorder(manager);
    QVERIFY(openShell(manager, recorder));

    // 3-byte characters in 4096-byte reads: nearly every read ends inside one.
    const QString line = QStringLiteral("插件解压成功服务器控制台").repeated(40);
    manager.sendInput(QStringLiteral("stty -echo -onlcr; echo begin_$((1+1)); for i in $(seq 60); do echo %1; done; echo end_$((2+2))")
                          .arg(line));
    QVERIFY(QTest::qWaitFor([&] { return recorder.output.contains(QStringLiteral("end_4")); }, 20000));
    const QString beginMark = QStringLiteral("begin_2\n");
    const int begin = recorder.output.indexOf(beginMark) + beginMark.size();
    const QString received = recorder.output.mid(begin, recorder.output.indexOf(QStringLiteral("end_4")) - begin);
    QVERIFY(recorder.chunks > 10);
    QVERIFY(!received.contains(QChar::ReplacementCharacter));
    QCOMPARE(received, (line + QLatin1Char('\n')).repeated(60));
}

void TestSSHManager::chunk_text_ends_at_nul()
{
    SSHManager manager;
    Recorder recorder(manager);
    QVERIFY(openShell(manager, recorder));
    manager.sendInput(QStringLiteral("printf 'before_%s\\0after_%s' 1 2; sleep 1; echo next_$((3+3))"));
    QVERIFY(!recorder.waitForOutput(QRegularExpression("next_6")).isEmpty());
    QVERIFY(recorder.output.contains(QStringLiteral("before_1")));
    QVERIFY(!recorder.output.contains(QStringLiteral("after_2")));
}

QTEST_GUILESS_MAIN(TestSSHManager)

#include "tst_sshmanager.moc"
