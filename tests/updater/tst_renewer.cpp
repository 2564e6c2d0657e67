#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "fixtures.h"

namespace {

// What the window is built to use when no base URL is given.
const QString defaultHost = QStringLiteral("api.kxt.example");

const QString success = QStringLiteral("状态: ✅ 解压成功！");
const QString successNotice = QStringLiteral("消息[success]: 解压完成！请关闭更新程序重新启动主程序!");
const QString keptOld = QStringLiteral("状态: 更新失败，已保留原有版本");
const QStringList finalStates{success, QStringLiteral("状态: 下载失败"), keptOld};

// An HTTP proxy on loopback that answers every CONNECT by tunnelling it to the
// simulator, whatever host was asked for, and remembers what was asked. With it
// the updater's built-in platform address can be seen without leaving loopback.
class TunnelProxy : public QObject
{
public:
    TunnelProxy(const QString &host, quint16 port) : targetHost(host), targetPort(port)
    {
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = server.nextPendingConnection())
                serve(client);
        });
        server.listen(QHostAddress::LocalHost);
    }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort()); }

    QStringList requests;

private:
    void serve(QTcpSocket *client)
    {
        client->setParent(this);
        auto *buffer = new QByteArray;
        connect(client, &QObject::destroyed, this, [buffer] { delete buffer; });
        connect(client, &QTcpSocket::readyRead, this, [this, client, buffer] {
            buffer->append(client->readAll());
            const int end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            disconnect(client, &QTcpSocket::readyRead, this, nullptr);
            requests << QString::fromLatin1(buffer->left(buffer->indexOf("\r\n")));
            auto *upstream = new QTcpSocket(client);
            connect(upstream, &QTcpSocket::connected, client, [client, upstream, buffer, end] {
                client->write("HTTP/1.1 200 Connection established\r\n\r\n");
                upstream->write(buffer->mid(end + 4));
            });
            connect(upstream, &QTcpSocket::readyRead, client, [client, upstream] { client->write(upstream->readAll()); });
            connect(client, &QTcpSocket::readyRead, upstream, [client, upstream] { upstream->write(client->readAll()); });
            connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
            connect(client, &QTcpSocket::disconnected, upstream, &QTcpSocket::disconnectFromHost);
            upstream->connectToHost(targetHost, targetPort);
        });
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    }

    QTcpServer server;
    QString targetHost;
    quint16 targetPort;
};

// Lines the window logs: "状态: <label>" whenever the label changes, "消息[kind]: <text>"
// for every notice, "下载: <url>" when the download starts; and the transfer service's
// status-code line, which Renewer must keep quiet.
QStringList windowLog(const QByteArray &output)
{
    QStringList lines;
    const QString marker = QStringLiteral("Renewer ");
    for (const QString &line : QString::fromUtf8(output).split(QLatin1Char('\n'))) {
        const int at = line.indexOf(marker);
        if (at >= 0)
            lines << line.mid(at + marker.size()).trimmed();
        else if (line.contains(QLatin1String("HTTP Status Code")))
            lines << line.trimmed();
    }
    return lines;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int lastLogSeq()
{
    int seq = 0;
    for (const QJsonValue &record : Fixtures::simRequestLog())
        seq = qMax(seq, record.toObject().value("seq").toInt());
    return seq;
}

QJsonArray packageRequestsSince(int seq)
{
    QJsonArray found;
    for (const QJsonValue &value : Fixtures::simRequestLog()) {
        const QJsonObject record = value.toObject();
        if (record.value("seq").toInt() > seq && record.value("path").toString() == "/quenta/download/all")
            found << record;
    }
    return found;
}

QString header(const QJsonObject &record, const QString &name)
{
    const QJsonObject headers = record.value("headers").toObject();
    for (auto it = headers.begin(); it != headers.end(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value().toString();
    }
    return {};
}

} // namespace

class TestRenewer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void updatesFromBaseUrl_data();
    void updatesFromBaseUrl();
    void failuresAreShown_data();
    void failuresAreShown();

private:
    // Runs Renewer in the scratch directory until its label reaches a final
    // state, then closes it; returns what the window logged.
    QStringList runRenewer(const QStringList &arguments, const QString &proxy = {});

    std::unique_ptr<QTemporaryDir> work;
    int logSeq = 0;
};

void TestRenewer::init()
{
    work = std::make_unique<QTemporaryDir>();
    QVERIFY(work->isValid());
    QDir dir(work->path());
    // An installation to update: one file the package replaces, one it does not know.
    QVERIFY(dir.mkpath("update"));
    QFile old(dir.filePath("update/version.txt"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old version, and a longer line than the new one\n");
    old.close();
    QFile mine(dir.filePath("setting.ini"));
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write("[login]\nuser=demo\n");
    mine.close();
    logSeq = lastLogSeq();
}

void TestRenewer::cleanup()
{
    Fixtures::simControl("/faults/clear");
}

QStringList TestRenewer::runRenewer(const QStringList &arguments, const QString &proxy)
{
    QProcess renewer;
    renewer.setProgram(QStringLiteral(RENEWER_PATH));
    renewer.setArguments(arguments);
    renewer.setWorkingDirectory(work->path());
    renewer.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"http_proxy", "https_proxy", "all_proxy", "no_proxy", "HTTP_PROXY",
                             "HTTPS_PROXY", "ALL_PROXY", "NO_PROXY"})
        env.remove(QString::fromLatin1(name));
    if (!proxy.isEmpty())
        env.insert(QStringLiteral("https_proxy"), proxy);
    renewer.setProcessEnvironment(env);

    QByteArray output;
    connect(&renewer, &QProcess::readyRead, this, [&] { output += renewer.readAll(); });
    renewer.start();
    if (!renewer.waitForStarted(10000))
        return {QStringLiteral("could not start ") + renewer.program()};
    const auto ended = [&] {
        const QStringList log = windowLog(output);
        return std::any_of(finalStates.begin(), finalStates.end(), [&](const QString &s) { return log.contains(s); })
            || renewer.state() == QProcess::NotRunning;
    };
    const bool settled = QTest::qWaitFor(ended, 30000);
    // Notices that would follow the final label (there should be none) get a moment to show.
    QTest::qWait(200);
    const bool stillRunning = renewer.state() == QProcess::Running;
    renewer.kill();
    renewer.waitForFinished(5000);
    output += renewer.readAll();
    QStringList log = windowLog(output);
    if (!settled)
        log << QStringLiteral("no final state within 30 s");
    if (!stillRunning)
        log << QStringLiteral("exited by itself with code %1").arg(renewer.exitCode());
    return log;
}

void TestRenewer::updatesFromBaseUrl_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("expectDefault");

    QTest::newRow("base URL argument") << QStringList{Fixtures::simBaseUrl()} << false;
    QTest::newRow("no argument") << QStringList{} << true;
    QTest::newRow("empty first argument") << QStringList{QString()} << true;
    QTest::newRow("extra arguments after the base URL") << QStringList{Fixtures::simBaseUrl(), "--verbose"} << false;
}

void TestRenewer::updatesFromBaseUrl()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, expectDefault);

    const QUrl sim(Fixtures::simBaseUrl());
    TunnelProxy proxy(sim.host(), static_cast<quint16>(sim.port()));
    const QString toolVersion = Fixtures::simControl("/config").toObject().value("toolVer").toVariant().toString();

    const QStringList log = runRenewer(arguments, expectDefault ? proxy.url() : QString());
    const QString expectedUrl = (expectDefault ? "https://" + defaultHost : Fixtures::simBaseUrl()) + "/quenta/download/all";
    QCOMPARE(log, (QStringList{"状态: 下载中", "下载: " + expectedUrl, "状态: 解压中", successNotice, success}));

    // What reached the platform: one POST with the JSON body {"key": "tool"}.
    const QJsonArray requests = packageRequestsSince(logSeq);
    QCOMPARE(requests.size(), 1);
    const QJsonObject request = requests.first().toObject();
    QCOMPARE(request.value("method").toString(), QStringLiteral("POST"));
    QCOMPARE(request.value("body").toObject(), (QJsonObject{{"key", "tool"}}));
    QVERIFY(header(request, "Content-Type").startsWith("application/json"));
    if (expectDefault) {
        QCOMPARE(proxy.requests, QStringList{"CONNECT " + defaultHost + ":443 HTTP/1.1"});
        QCOMPARE(header(request, "Host"), defaultHost);
    } else {
        QVERIFY(proxy.requests.isEmpty());
    }

    // On disk: the package kept under download/, its files over the installation.
    const QDir dir(work->path());
    QVERIFY(QFileInfo(dir.filePath("download/Kxtbundle.zip")).size() > 0);
    QCOMPARE(readFile(dir.filePath("update/version.txt")), (toolVersion + "\n").toUtf8());
    QVERIFY(readFile(dir.filePath("update/更新说明.txt")).startsWith("KX-T管理工具"));
    QVERIFY(QFileInfo(dir.filePath("update/doc")).isDir());
    QCOMPARE(readFile(dir.filePath("setting.ini")), QByteArray("[login]\nuser=demo\n"));
}

void TestRenewer::failuresAreShown_data()
{
    QTest::addColumn<QJsonObject>("fault");
    QTest::addColumn<QStringList>("expected"); // "*" matches any text

    QTest::newRow("platform answers 500")
        << QJsonObject{{"status", 500}} << QStringList{"状态: 下载失败", "消息[error]: *"};
    QTest::newRow("package is not a zip")
        << QJsonObject{{"nonjson", true}} << QStringList{"状态: 解压中", "消息[error]: 无法打开ZIP文件", keptOld};
}

void TestRenewer::failuresAreShown()
{
    QFETCH(QJsonObject, fault);
    QFETCH(QStringList, expected);

    const QDir dir(work->path());
    fault.insert("path", "/quenta/download/all");
    fault.insert("times", 1);
    QVERIFY(Fixtures::simControl("/fault", fault).toObject().contains("id"));

    QStringList log = runRenewer({Fixtures::simBaseUrl()});
    QCOMPARE(log.mid(0, 2), (QStringList{"状态: 下载中", "下载: " + Fixtures::simBaseUrl() + "/quenta/download/all"}));
    log = log.mid(2);
    QCOMPARE(log.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QString want = expected.at(i);
        if (want.endsWith('*'))
            QVERIFY2(log.at(i).startsWith(want.chopped(1)) && log.at(i).size() > want.size(), qPrintable(log.at(i)));
        else
            QCOMPARE(log.at(i), want);
    }
    QVERIFY(!log.contains(successNotice));
    // The installation is exactly as it was, whatever step failed.
    QCOMPARE(readFile(dir.filePath("update/version.txt")), QByteArray("old version, and a longer line than the new one\n"));
    QVERIFY(!QFileInfo::exists(dir.filePath("update/更新说明.txt")));
    QCOMPARE(readFile(dir.filePath("setting.ini")), QByteArray("[login]\nuser=demo\n"));
    QCOMPARE(QDir(work->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{"download", "setting.ini", "update"}));
}

QTEST_GUILESS_MAIN(TestRenewer)
#include "tst_renewer.moc"
