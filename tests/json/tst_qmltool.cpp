#include <QtTest>

#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "qmltool.h"

class TestQmlTool : public QObject
{
    Q_OBJECT
public slots:
    void recordOpenedUrl(const QUrl &url) { openedUrls.append(url); }

private slots:
    void readFile_data();
    void readFile();
    void wirteFile_data();
    void wirteFile();
    void openFile_hands_existing_files_to_the_desktop();
    void runExe_data();
    void runExe();

private:
    QString path(const QString &name) const { return dir.filePath(name); }
    void writeBytes(const QString &name, const QByteArray &bytes) const;

    QTemporaryDir dir;
    QList<QUrl> openedUrls;
};

void TestQmlTool::writeBytes(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

void TestQmlTool::readFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // null: nothing written there
    QTest::addColumn<QString>("text");

    QTest::newRow("windows line ends") << "read.json" << QByteArray("{\r\n  \"a\": 1\r\n}\r\n") << "{\n  \"a\": 1\n}\n";
    QTest::newRow("UTF-8 Chinese") << "read.json" << QByteArray("{\"名称\": \"插件\"}") << "{\"名称\": \"插件\"}";
    QTest::newRow("UTF-8 byte order mark") << "read.json" << QByteArray("\xEF\xBB\xBF[1]") << "[1]";
    QTest::newRow("empty file") << "read.json" << QByteArray("") << "";
    QTest::newRow("missing file") << "missing.json" << QByteArray() << "null";
    QTest::newRow("a folder") << "" << QByteArray() << "null";
}

void TestQmlTool::readFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    if (!bytes.isNull())
        writeBytes(name, bytes);
    QCOMPARE(QmlTool::instance()->readFile(path(name)), text);
}

void TestQmlTool::wirteFile_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("logged"); // empty: the write succeeds
    QTest::newRow("replaces a longer file") << path(QStringLiteral("replace.txt")) << QString();
    const QString missing = path(QStringLiteral("no/such/dir/file.txt"));
    QTest::newRow("missing directory") << missing << QStringLiteral("无法打开文件: ") + missing;
    // /dev/full opens for writing and then refuses every byte, like a full disk.
    QTest::newRow("full disk") << QStringLiteral("/dev/full") << QStringLiteral("无法写入文件: /dev/full");
}

void TestQmlTool::wirteFile()
{
    QFETCH(QString, target);
    QFETCH(QString, logged);
    const QString content = QStringLiteral("{\"名称\": \"中文配置\"}\n😀 café");
    if (logged.isEmpty()) {
        writeBytes(QFileInfo(target).fileName(), QByteArray(4096, 'x'));
        QVERIFY(QmlTool::instance()->wirteFile(target, content));
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), content.toUtf8());
        return;
    }
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(logged)));
    QVERIFY(!QmlTool::instance()->wirteFile(target, content));
    QVERIFY(target == QLatin1String("/dev/full") || !QFile::exists(target));
}

void TestQmlTool::openFile_hands_existing_files_to_the_desktop()
{
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "recordOpenedUrl");
    writeBytes(QStringLiteral("open me.json"), "{}");

    QmlTool::instance()->openFile(path(QStringLiteral("missing.json")));
    QVERIFY(openedUrls.isEmpty());
    QmlTool::instance()->openFile(path(QStringLiteral("open me.json")));
    QCOMPARE(openedUrls, QList<QUrl>{QUrl::fromLocalFile(path(QStringLiteral("open me.json")))});

    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void TestQmlTool::runExe_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QStringList>("arguments");

    const QString url = QStringLiteral("https://127.0.0.1:8443/api");
    QTest::newRow("bare program name") << "Renewer " + url << QStringList{url};
    QTest::newRow("quoted argument with a blank") << R"("Renewer.exe" "a b")" << QStringList{"a b"};
    QTest::newRow("absolute path") << QStringLiteral("\"%1\" x").arg(QStringLiteral(STANDIN_PATH))
                                   << QStringList{"x"};
    // An empty list: the console must keep running.
    QTest::newRow("missing program") << "Missing.exe " + url << QStringList();
    QTest::newRow("program in the working directory only") << "tst_qmltool_cwd_only " + url << QStringList();
    QTest::newRow("empty command line") << QString() << QStringList();
}

void TestQmlTool::runExe()
{
    QFETCH(QString, commandLine);
    QFETCH(QStringList, arguments);

    // runExe ends the process it runs in, so it runs in a helper.
    QTemporaryDir workDir;
    // A program of that name in the working directory must not be picked up.
    QVERIFY(QFile::copy(QStringLiteral(STANDIN_PATH), workDir.filePath(QStringLiteral("tst_qmltool_cwd_only"))));
    const QString record = workDir.filePath(QStringLiteral("record.json"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KXT_STANDIN_RECORD"), record);
    QProcess helper;
    helper.setProcessEnvironment(env);
    helper.setWorkingDirectory(workDir.path());
    helper.start(QStringLiteral(HELPER_PATH), {commandLine});
    QVERIFY(helper.waitForFinished(20000));
    const QByteArray output = helper.readAllStandardOutput();
    const QByteArray log = helper.readAllStandardError();
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    if (arguments.isEmpty()) {
        QCOMPARE(helper.exitCode(), 3);
        QCOMPARE(output, QByteArray("runExe returned false\n"));
        QVERIFY2(log.contains("无法启动程序"), log.constData());
        QVERIFY(!QFile::exists(record));
        return;
    }
    QVERIFY2(helper.exitCode() == 0 && output.isEmpty(), log.constData());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    QFile recordFile(record);
    QVERIFY(recordFile.open(QIODevice::ReadOnly));
    const QJsonObject seen = QJsonDocument::fromJson(recordFile.readAll()).object();
    QCOMPARE(seen.value("arguments").toVariant().toStringList(), arguments);
    QCOMPARE(QDir(seen.value("workingDirectory").toString()).canonicalPath(), QDir(workDir.path()).canonicalPath());
}

QTEST_MAIN(TestQmlTool)
#include "tst_qmltool.moc"
