#include <QtTest>

#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "files.h"
#include "qmltool.h"

class TestQmlTool : public QObject
{
    Q_OBJECT
public slots:
    void recordOpenedUrl(const QUrl &url) { openedUrls.append(url); }

private:
    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    QList<QUrl> openedUrls;

private slots:
    void readFile_data()
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

    void readFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        if (!bytes.isNull())
            writeFile(path(name), bytes);
        QCOMPARE(QmlTool::instance()->readFile(path(name)), text);
    }

    void wirteFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("logged"); // empty: the write succeeds
        QTest::newRow("replaces a longer file") << path(QStringLiteral("replace.txt")) << QString();
        const QString missing = path(QStringLiteral("no/such/dir/file.txt"));
        QTest::newRow("missing directory") << missing << QStringLiteral("无法打开文件: ") + missing;
        // /dev/full opens for writing and then refuses every byte, like a full disk.
        QTest::newRow("full disk") << QStringLiteral("/dev/full") << QStringLiteral("无法写入文件: /dev/full");
    }

    void wirteFile()
    {
        QFETCH(QString, target);
        QFETCH(QString, logged);
        const QString content = QStringLiteral("{\"名称\": \"中文配置\"}\n😀 café");
        if (logged.isEmpty()) {
            writeFile(target, QByteArray(4096, 'x'));
            QVERIFY(QmlTool::instance()->wirteFile(target, content));
            QCOMPARE(::readFile(target), content.toUtf8());
            return;
        }
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(logged)));
        QVERIFY(!QmlTool::instance()->wirteFile(target, content));
        QVERIFY(target == QLatin1String("/dev/full") || !QFile::exists(target));
    }

    void openFile_hands_existing_files_to_the_desktop()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "recordOpenedUrl");
        writeFile(path(QStringLiteral("open me.json")), "{}");
        QmlTool::instance()->openFile(path(QStringLiteral("missing.json")));
        QVERIFY(openedUrls.isEmpty());
        QmlTool::instance()->openFile(path(QStringLiteral("open me.json")));
        QCOMPARE(openedUrls, QList<QUrl>{QUrl::fromLocalFile(path(QStringLiteral("open me.json")))});
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    }

    void runExe_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QStringList>("arguments"); // empty: nothing starts and the console keeps running
        const QString url = QStringLiteral("https://127.0.0.1:8443/api");
        QTest::newRow("bare program name") << "Renewer " + url << QStringList{url};
        QTest::newRow("quoted argument with a blank") << R"("Renewer.exe" "a b")" << QStringList{"a b"};
        QTest::newRow("absolute path") << QStringLiteral("\"%1\" x").arg(QStringLiteral(STANDIN_PATH)) << QStringList{"x"};
        QTest::newRow("missing program") << "Missing.exe " + url << QStringList();
        QTest::newRow("program in the working directory only") << "tst_qmltool_cwd_only " + url << QStringList();
        QTest::newRow("empty command line") << QString() << QStringList();
    }

    // runExe ends the process it runs in, so it runs in a helper.
    void runExe()
    {
        QFETCH(QString, commandLine);
        QFETCH(QStringList, arguments);
        QTemporaryDir workDir;
        // A program of that name in the working directory must not be picked up.
        QVERIFY(QFile::copy(QStringLiteral(STANDIN_PATH), workDir.filePath(QStringLiteral("tst_qmltool_cwd_only"))));
        const QString record = workDir.filePath(QStringLiteral("record.json"));
        qputenv("KXT_STANDIN_RECORD", record.toLocal8Bit());
        QProcess helper;
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
        const QJsonObject seen = QJsonDocument::fromJson(::readFile(record)).object();
        QCOMPARE(seen.value("arguments").toVariant().toStringList(), arguments);
        QCOMPARE(QDir(seen.value("workingDirectory").toString()).canonicalPath(), QDir(workDir.path()).canonicalPath());
    }
};

QTEST_MAIN(TestQmlTool)
#include "tst_qmltool.moc"
