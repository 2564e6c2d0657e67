#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "files.h"
#include "fixtures.h"

namespace {

// What the window is built to use when no base URL is given.
const QString defaultHost = QStringLiteral("api.kxt.example");
const QString success = QStringLiteral("状态: ✅ 解压成功！");
const QString keptOld = QStringLiteral("状态: 更新失败，已保留原有版本");
const QString downloadFailed = QStringLiteral("状态: 下载失败");
const QByteArray oldVersion = "old version, and a longer line than the new one\n";
const QByteArray settings = "[login]\nuser=demo\n";

// Lines the window logs: "状态: <label>" whenever the label changes, "消息[kind]: <text>"
// for every notice, "下载: <url>" when the download starts; and the transfer service's
// status-code line, which Renewer must keep quiet.
QStringList windowLog(const QByteArray &output)
{
    QStringList lines;
    const QRegularExpression line(QStringLiteral("(?:Renewer |(?=HTTP Status Code))([^\n]*)"));
    for (auto it = line.globalMatch(QString::fromUtf8(output)); it.hasNext();)
        lines << it.next().captured(1).trimmed();
    return lines;
}

} // namespace

class TestRenewer : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        Fixtures::simControl("/faults/clear");
    }

    void updates_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QJsonObject>("fault");
        QTest::addColumn<QStringList>("expected"); // after the download's start; "*" matches any text

        const QString sim = Fixtures::simBaseUrl();
        const QStringList installed{"状态: 解压中", "消息[success]: 解压完成！请关闭更新程序重新启动主程序!", success};
        const QStringList notFetched{downloadFailed, "消息[error]: *"};
        QTest::newRow("base URL argument") << QStringList{sim} << QJsonObject{} << installed;
        QTest::newRow("extra arguments after the base URL") << QStringList{sim, "--verbose"} << QJsonObject{} << installed;
        // The built-in platform is asked for only through a proxy on loopback that is not there.
        QTest::newRow("no argument") << QStringList{} << QJsonObject{} << notFetched;
        QTest::newRow("empty first argument") << QStringList{QString()} << QJsonObject{} << notFetched;
        QTest::newRow("platform answers 500") << QStringList{sim} << QJsonObject{{"status", 500}} << notFetched;
        QTest::newRow("package is not a zip") << QStringList{sim} << QJsonObject{{"nonjson", true}}
                                              << QStringList{"状态: 解压中", "消息[error]: 无法打开ZIP文件", keptOld};
    }

    // Runs Renewer in a scratch installation until its label reaches a final state.
    void updates()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QJsonObject, fault);
        QFETCH(QStringList, expected);
        QTemporaryDir work;
        const QDir dir(work.path());
        // One file the package replaces, one it does not know.
        writeFile(dir.filePath("update/version.txt"), oldVersion);
        writeFile(dir.filePath("setting.ini"), settings);
        const int seen = Fixtures::simRequestLog().size();
        if (!fault.isEmpty()) {
            fault.insert("path", "/quenta/download/all");
            fault.insert("times", 1);
            QVERIFY(Fixtures::simControl("/fault", fault).toObject().contains("id"));
        }
        QProcess renewer;
        renewer.setWorkingDirectory(work.path());
        renewer.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"http_proxy", "https_proxy", "all_proxy", "no_proxy", "HTTP_PROXY", "HTTPS_PROXY",
                                 "ALL_PROXY", "NO_PROXY"})
            env.remove(QString::fromLatin1(name));
        const bool builtIn = arguments.value(0).isEmpty();
        if (builtIn) // through a proxy on loopback where nothing listens: the request goes nowhere
            env.insert(QStringLiteral("https_proxy"), QStringLiteral("http://127.0.0.1:1"));
        renewer.setProcessEnvironment(env);
        QByteArray output;
        connect(&renewer, &QProcess::readyRead, this, [&] { output += renewer.readAll(); });
        renewer.start(QStringLiteral(RENEWER_PATH), arguments);
        QVERIFY(QTest::qWaitFor([&] {
            const QStringList log = windowLog(output);
            return renewer.state() == QProcess::NotRunning || log.contains(success) || log.contains(downloadFailed)
                || log.contains(keptOld);
        }, 30000));
        // Notices that would follow the final label (there should be none) get a moment to show.
        QTest::qWait(200);
        QCOMPARE(renewer.state(), QProcess::Running);
        renewer.kill();
        renewer.waitForFinished(5000);
        const QString log = windowLog(output + renewer.readAll()).join('\n');

        const QString url = (builtIn ? "https://" + defaultHost : arguments.first()) + "/quenta/download/all";
        QString pattern = QRegularExpression::escape((QStringList{"状态: 下载中", "下载: " + url} + expected).join('\n'));
        QVERIFY2(QRegularExpression('^' + pattern.replace("\\*", ".*") + '$').match(log).hasMatch(), qPrintable(log));
        // What reached the platform: one POST with the JSON body {"key": "tool"}.
        QStringList requests;
        for (const QJsonValue &record : Fixtures::simRequestLog())
            if (record["seq"].toInt() > seen && record["path"] == "/quenta/download/all")
                requests << record["method"].toString() + ' '
                        + QJsonDocument(record["body"].toObject()).toJson(QJsonDocument::Compact);
        QCOMPARE(requests, builtIn ? QStringList() : QStringList{R"(POST {"key":"tool"})"});
        // The package's files over the installation, or the installation exactly as it was.
        QCOMPARE(readFile(dir.filePath("setting.ini")), settings);
        if (expected.last() == success) {
            QVERIFY(QFileInfo(dir.filePath("download/Kxtbundle.zip")).size() > 0);
            const QString toolVersion = Fixtures::simControl("/config").toObject().value("toolVer").toVariant().toString();
            QCOMPARE(readFile(dir.filePath("update/version.txt")), (toolVersion + "\n").toUtf8());
            QVERIFY(readFile(dir.filePath("update/更新说明.txt")).startsWith("KX-T管理工具"));
            QVERIFY(QFileInfo(dir.filePath("update/doc")).isDir());
        } else {
            QCOMPARE(readFile(dir.filePath("update/version.txt")), oldVersion);
            QCOMPARE(dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     (QStringList{"download", "setting.ini", "update"}));
            QCOMPARE(QDir(dir.filePath("update")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList{"version.txt"});
        }
    }
};

QTEST_GUILESS_MAIN(TestRenewer)
#include "tst_renewer.moc"
