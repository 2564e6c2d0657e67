#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "fixtures.h"

// The console as a process against the simulator: the version check at start-up
// hands over to the updater beside it, and a root document that cannot load ends it.
class ConsoleProcess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void broken_root_document_exits_with_minus_one();
    void newer_version_hands_over_to_the_updater_data();
    void newer_version_hands_over_to_the_updater();

private:
    QJsonValue announced;
};

void ConsoleProcess::initTestCase()
{
    announced = Fixtures::simControl(QStringLiteral("/config")).toObject().value("toolVer");
    QVERIFY(announced.isString());
    Fixtures::pointConsoleAtSimulator();
}

void ConsoleProcess::cleanup()
{
    Fixtures::simControl(QStringLiteral("/config"), {{"toolVer", announced}});
}

void ConsoleProcess::broken_root_document_exits_with_minus_one()
{
    QProcess console;
    console.start(QStringLiteral(BROKEN_ROOT_CONSOLE_PATH), {"--verbose", "extra"});
    QVERIFY2(console.waitForFinished(20000), "the console kept running without a window");
    QCOMPARE(console.exitStatus(), QProcess::NormalExit);
    QCOMPARE(console.exitCode(), 255);
    QVERIFY(console.readAllStandardError().contains("ModuleThatDoesNotExist"));
}

void ConsoleProcess::newer_version_hands_over_to_the_updater_data()
{
    QTest::addColumn<QString>("toolVer");
    QTest::addColumn<bool>("withUpdater");
    QTest::addColumn<bool>("updates");
    QTest::newRow("newer version") << "2.9" << true << true;
    QTest::newRow("running version") << announced.toString() << true << false;
    QTest::newRow("newer version, no updater to start") << "3.0" << false << false;
}

void ConsoleProcess::newer_version_hands_over_to_the_updater()
{
    QFETCH(QString, toolVer);
    QFETCH(bool, withUpdater);
    QFETCH(bool, updates);
    Fixtures::simControl(QStringLiteral("/config"), {{"toolVer", toolVer}});
    const int seen = Fixtures::simRequestLog().size();

    // A scratch installation: the console, and the stand-in updater under the updater's name.
    QTemporaryDir dir;
    QVERIFY(QFile::copy(QStringLiteral(CONSOLE_PATH), dir.filePath("KXTConsole")));
    QVERIFY(!withUpdater || QFile::copy(QStringLiteral(STANDIN_RENEWER_PATH), dir.filePath("Renewer")));
    QProcess console;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KXT_STANDIN_RECORD"), dir.filePath("record.json"));
    console.setProcessEnvironment(env);
    console.setWorkingDirectory(dir.path());
    console.start(dir.filePath("KXTConsole"), {"--foo", "bar"});
    const auto asked = [seen] {
        const QJsonArray log = Fixtures::simRequestLog();
        for (int i = seen; i < log.size(); ++i)
            if (log.at(i)[QStringLiteral("path")] == QStringLiteral("/quenta/getversion"))
                return true;
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(asked(), 20000);

    QString log;
    if (!withUpdater) {
        // Failing to start the updater is reported, and the console stays.
        QTRY_VERIFY2_WITH_TIMEOUT((log += QString::fromUtf8(console.readAllStandardError())).contains("Renewer"),
                                  qPrintable(log), 20000);
    }
    QCOMPARE(console.waitForFinished(updates ? 20000 : 2000), updates);
    QCOMPARE(console.exitCode(), 0);
    console.kill();
    console.waitForFinished();
    // The updater runs detached and may still be writing when the console is gone.
    const auto arguments = [&dir] {
        QFile record(dir.filePath("record.json"));
        return record.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(record.readAll())["arguments"] : QJsonValue();
    };
    if (updates)
        QTRY_COMPARE_WITH_TIMEOUT(arguments(), QJsonValue(QJsonArray{Fixtures::simBaseUrl()}), 10000);
    else
        QCOMPARE(arguments(), QJsonValue());
}

QTEST_GUILESS_MAIN(ConsoleProcess)

#include "tst_console_process.moc"
