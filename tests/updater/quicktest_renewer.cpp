#include <QQmlEngine>
#include <QtQuickTest>

#include "husapp.h"

// Loads the updater's own documents from its bundle, with DelegateUI installed
// on the engine as Renewer installs it.
class Setup : public QObject
{
    Q_OBJECT
public slots:
    void qmlEngineAvailable(QQmlEngine *engine) { HusApp::initialize(engine); }
};

QUICK_TEST_MAIN_WITH_SETUP(renewer, Setup)

#include "quicktest_renewer.moc"
