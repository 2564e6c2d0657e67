#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

// A platform on loopback that answers the version request only: the console's
// start-up asks it for the latest version before anyone logs in. Each test gets
// its own, so the version it announces concerns no other test.
class VersionPlatform : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers;
        QByteArray body;
    };

    explicit VersionPlatform(const QJsonObject &answer) : m_answer(answer)
    {
        connect(&m_server, &QTcpServer::newConnection, this, &VersionPlatform::accept);
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
    }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
    QList<Request> requests;

signals:
    void requested();

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void read(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        const int headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        Request request;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> start = lines.first().trimmed().split(' ');
        request.method = start.value(0);
        request.path = start.value(1);
        for (int i = 1; i < lines.size(); ++i) {
            const int colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        const int length = request.headers.value("content-length").toInt();
        if (buffer.size() < headerEnd + 4 + length)
            return;
        request.body = buffer.mid(headerEnd + 4, length);
        m_buffers.remove(socket);
        requests.append(request);

        const QByteArray body = QJsonDocument(m_answer).toJson(QJsonDocument::Compact);
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->flush();
        socket->disconnectFromHost();
        emit requested();
    }

    QTcpServer m_server;
    QJsonObject m_answer;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};

// Kills a process a failed check left running.
struct StopOnExit
{
    QProcess &process;
    ~StopOnExit()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }
};

class ConsoleProcess : public QObject
{
    Q_OBJECT

private slots:
    void broken_root_document_exits_with_minus_one_data();
    void broken_root_document_exits_with_minus_one();
    void version_check_data();
    void version_check();
    void updater_that_cannot_start_leaves_the_console_running();

private:
    // A scratch installation: a copy of the console, and the stand-in updater
    // beside it under the updater's name when asked for.
    bool install(const QTemporaryDir &dir, bool withUpdater);
    void startConsole(QProcess &console, const QString &dir, const QString &serverUrl, const QStringList &arguments = {});
    // Waits with the event loop running, so the platform above keeps answering.
    static bool finishes(QProcess &process, int ms);
};

bool ConsoleProcess::finishes(QProcess &process, int ms)
{
    if (process.state() == QProcess::NotRunning)
        return true;
    QSignalSpy finished(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
    return finished.wait(ms);
}

bool ConsoleProcess::install(const QTemporaryDir &dir, bool withUpdater)
{
    const QString console = dir.filePath(QStringLiteral("KXTConsole"));
    if (!QFile::copy(QStringLiteral(CONSOLE_PATH), console))
        return false;
    if (!withUpdater)
        return true;
    return QFile::copy(QStringLiteral(STANDIN_RENEWER_PATH), dir.filePath(QStringLiteral("Renewer")));
}

void ConsoleProcess::startConsole(QProcess &console, const QString &dir, const QString &serverUrl,
                                  const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KXT_SERVER_URL"), serverUrl);
    console.setProcessEnvironment(env);
    console.setWorkingDirectory(dir);
    console.setProcessChannelMode(QProcess::SeparateChannels);
    console.start(dir + QStringLiteral("/KXTConsole"), arguments);
    QVERIFY2(console.waitForStarted(10000), qPrintable(console.errorString()));
}

void ConsoleProcess::broken_root_document_exits_with_minus_one_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no arguments") << QStringList();
    QTest::newRow("arguments of no meaning to the console") << QStringList{"--verbose", "extra", "-x"};
}

void ConsoleProcess::broken_root_document_exits_with_minus_one()
{
    QFETCH(QStringList, arguments);
    QProcess console;
    StopOnExit guard{console};
    console.setProcessChannelMode(QProcess::SeparateChannels);
    console.start(QStringLiteral(BROKEN_ROOT_CONSOLE_PATH), arguments);
    QVERIFY(console.waitForStarted(10000));
    QVERIFY2(console.waitForFinished(20000), "the console kept running without a window");
    const QByteArray log = console.readAllStandardError();
    QCOMPARE(console.exitStatus(), QProcess::NormalExit);
    QCOMPARE(console.exitCode(), 255);
    QVERIFY2(log.contains("ModuleThatDoesNotExist"), log.constData());
}

void ConsoleProcess::version_check_data()
{
    QTest::addColumn<QJsonValue>("toolVer");
    QTest::addColumn<bool>("updates");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("2.9 is newer") << QJsonValue("2.9") << true << QStringList();
    QTest::newRow("2.9 with arguments of no meaning") << QJsonValue("2.9") << true << QStringList{"--foo", "bar"};
    QTest::newRow("2.9 as a number") << QJsonValue(2.9) << true << QStringList();
    QTest::newRow("2.8 is the running version") << QJsonValue("2.8") << false << QStringList();
    QTest::newRow("2.10 reads as 2.1") << QJsonValue("2.10") << false << QStringList();
}

void ConsoleProcess::version_check()
{
    QFETCH(QJsonValue, toolVer);
    QFETCH(bool, updates);
    QFETCH(QStringList, arguments);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(install(dir, true));
    VersionPlatform platform({{"code", 200}, {"toolVer", toolVer}, {"kxtVer", "1.6"}, {"jarVer", "3.2"}});
    QSignalSpy requested(&platform, &VersionPlatform::requested);

    QProcess console;
    StopOnExit guard{console};
    startConsole(console, dir.path(), platform.url(), arguments);
    QVERIFY2(requested.wait(20000), console.readAllStandardError().constData());
    const VersionPlatform::Request &request = platform.requests.first();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, QByteArray("/quenta/getversion"));
    QCOMPARE(request.body, QByteArray("{}"));
    QVERIFY(request.headers.value("content-type").startsWith("application/json"));
    QVERIFY2(!request.headers.contains("authorization"), "the version request carried a token");

    const QString argsFile = dir.filePath(QStringLiteral("renewer-args.txt"));
    if (updates) {
        QVERIFY2(finishes(console, 20000), "the console did not end after starting the updater");
        QCOMPARE(console.exitStatus(), QProcess::NormalExit);
        QCOMPARE(console.exitCode(), 0);
        // The updater runs detached and may still be writing when the console is gone.
        const auto written = [&argsFile] {
            QFile args(argsFile);
            return args.open(QIODevice::ReadOnly) ? QString::fromUtf8(args.readAll()) : QString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(written(), platform.url() + QLatin1Char('\n'), 10000);
    } else {
        // Long enough for the answer to be handled many times over on loopback.
        QVERIFY(!finishes(console, 2000));
        QVERIFY(!QFile::exists(argsFile));
    }
    QCOMPARE(platform.requests.size(), 1);
}

void ConsoleProcess::updater_that_cannot_start_leaves_the_console_running()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(install(dir, false));
    VersionPlatform platform({{"toolVer", "3.0"}});
    QSignalSpy requested(&platform, &VersionPlatform::requested);

    QProcess console;
    StopOnExit guard{console};
    startConsole(console, dir.path(), platform.url());
    QVERIFY(requested.wait(20000));
    QVERIFY2(!finishes(console, 2000), "the console ended although no updater could start");
    const QString log = QString::fromUtf8(console.readAllStandardError());
    QVERIFY2(log.contains(QStringLiteral("Renewer")), qPrintable(log));
}

QTEST_GUILESS_MAIN(ConsoleProcess)

#include "tst_console_process.moc"
