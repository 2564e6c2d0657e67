#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "files.h"
#include "fixtures.h"

// Runs an X tool on the test's display and hands back what it printed.
static QString xTool(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(20000) || tool.exitCode() != 0)
        return QString();
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

// The console's main window as the display shows it: WINDOW, WIDTH and HEIGHT.
struct ConsoleWindow
{
    QHash<QString, QString> geometry;

    // Waits for the console's main window on the display.
    bool find()
    {
        const QString shell = xTool("xdotool", {"search", "--sync", "--onlyvisible", "--name", "KX_T", "getwindowgeometry", "--shell"});
        for (const QString &line : shell.split('\n'))
            geometry.insert(line.section('=', 0, 0), line.section('=', 1));
        return geometry.value("WIDTH").toInt() > 0;
    }

    // Waits until a spot of page background at the lower left is dark or light; each
    // look runs X tools, so the wait is bounded by the clock rather than by a count of
    // tries. A window the program has not drawn into yet is pure black, darker than
    // the dark theme.
    bool becomes(bool dark) const
    {
        const QString y = QString::number(geometry.value("HEIGHT").toInt() - 60);
        for (QDeadlineTimer deadline(15000); !deadline.hasExpired(); QTest::qWait(100)) {
            bool read = false;
            const double level = xTool("sh", {"-c", "xwd -silent -id \"$1\" | /usr/bin/convert xwd:- -crop \"1x1+40+$2\" +repage -format '%[fx:mean]' info:",
                                              "sh", geometry.value("WINDOW"), y}).toDouble(&read);
            if (read && (dark ? level > 0.03 && level < 0.3 : level > 0.8))
                return true;
        }
        return false;
    }

    // A click on a caption bar button, counted from the right edge (close is 1).
    void clickCaptionButton(int fromRight) const
    {
        const int x = geometry.value("WIDTH").toInt() - 46 * fromRight + 23;
        xTool("xdotool", {"mousemove", "--window", geometry.value("WINDOW"), QString::number(x), "15", "click", "1"});
    }
};

// The console as a process against the simulator: a newer version at start-up hands
// over to the updater beside it, a root document that cannot load ends it, and the
// theme the operator picks is there again at the next start.
class ConsoleProcess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Fixtures::pointConsoleAtSimulator(); }

    void broken_root_document_exits_with_minus_one()
    {
        QProcess console;
        console.start(QStringLiteral(BROKEN_ROOT_CONSOLE_PATH), {"--verbose", "extra"});
        QVERIFY2(console.waitForFinished(20000), "the console kept running without a window");
        QCOMPARE(console.exitStatus(), QProcess::NormalExit);
        QCOMPARE(console.exitCode(), 255);
        QVERIFY(console.readAllStandardError().contains("ModuleThatDoesNotExist"));
    }

    void newer_version_hands_over_to_the_updater()
    {
        const QJsonValue announced = Fixtures::simControl(QStringLiteral("/config")).toObject().value("toolVer");
        Fixtures::simControl(QStringLiteral("/config"), {{"toolVer", "2.9"}});
        // A scratch installation: the console, and the stand-in updater under the updater's name.
        QTemporaryDir dir;
        QVERIFY(QFile::copy(QStringLiteral(CONSOLE_PATH), dir.filePath("KXTConsole")));
        QVERIFY(QFile::copy(QStringLiteral(STANDIN_RENEWER_PATH), dir.filePath("Renewer")));
        qputenv("KXT_STANDIN_RECORD", dir.filePath("record.json").toLocal8Bit());
        QProcess console;
        console.setWorkingDirectory(dir.path());
        console.start(dir.filePath("KXTConsole"), {"--foo", "bar"});
        const bool ended = console.waitForFinished(20000);
        Fixtures::simControl(QStringLiteral("/config"), {{"toolVer", announced}});
        QVERIFY2(ended, "the console did not end for the update");
        QCOMPARE(console.exitCode(), 0);
        // The updater runs detached and may not have written its record yet when the console is gone.
        QTRY_COMPARE_WITH_TIMEOUT(QJsonDocument::fromJson(readFile(dir.filePath("record.json")))["arguments"],
                                  QJsonValue(QJsonArray{Fixtures::simBaseUrl()}), 10000);
    }

    void theme_survives_a_restart()
    {
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        ConsoleWindow window;
        const auto start = [&](QProcess &console) {
            console.setProcessEnvironment(env);
            console.setWorkingDirectory(home.path());
            console.start(CONSOLE_PATH, QStringList());
            return window.find();
        };
        const int themeButton = 5, closeButton = 1;

        QProcess first;
        QVERIFY2(start(first), "no console window");
        QVERIFY2(window.becomes(false), "a fresh console starts light");
        window.clickCaptionButton(themeButton);
        QVERIFY2(window.becomes(true), "the theme button made it dark");
        window.clickCaptionButton(closeButton);
        QVERIFY2(first.waitForFinished(20000), "the console did not close");
        QCOMPARE(first.exitCode(), 0);

        QProcess second;
        QVERIFY2(start(second), "no console window");
        QVERIFY2(window.becomes(true), "the console started again in the light theme");
        second.kill();
        second.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(ConsoleProcess)

#include "tst_console_process.moc"
