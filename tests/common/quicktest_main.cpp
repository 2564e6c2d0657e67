#include <QCoreApplication>
#include <QFile>
#include <QJsonObject>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSettings>
#include <QTemporaryDir>
#include <QtQuickTest>

#include <cstdio>
#include <cstdlib>

#include "fixtures.h"
#include "husapp.h"
#include "registration.h"

// Prepares each test engine the way the console prepares its own, and hands the
// tests what the fixtures started as the context property "fixture".
class Setup : public QObject
{
    Q_OBJECT
public slots:
    void applicationAvailable()
    {
        // Code under test may end the process (the updater hand-over does); ending
        // before the last test must not read as a pass.
        std::atexit([] {
            if (!allRun) {
                std::fputs("the process ended before its tests did\n", stderr);
                std::_Exit(1);
            }
        });
        // The sshd fixture may come back with new host keys on a port used
        // before; a key an earlier run recorded must not look like a changed one.
        QFile::remove(QStringLiteral("known_hosts"));
        Fixtures::pointConsoleAtSimulator();
        registerConsoleTypes();
        // The console's own settings (the theme) go to a folder of this run, never
        // to the user's, and start empty every run.
        QCoreApplication::setOrganizationName(QStringLiteral("Vemra"));
        QCoreApplication::setOrganizationDomain(QStringLiteral("test.kxt.example"));
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        HusApp::initialize(engine);
        QVariantMap fixture;
        for (const QString name : {"sim", "sshd"}) {
            const QJsonObject json = Fixtures::read(name + ".json", false);
            if (!json.isEmpty())
                fixture.insert(name, json.toVariantMap());
        }
        engine->rootContext()->setContextProperty(QStringLiteral("fixture"), fixture);
    }

    void cleanupTestCase() { allRun = true; }

private:
    static inline bool allRun = false;
    QTemporaryDir settingsDir;
};

QUICK_TEST_MAIN_WITH_SETUP(kxt, Setup)

#include "quicktest_main.moc"
