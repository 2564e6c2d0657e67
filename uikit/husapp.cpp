#include "husapp.h"

#include <QQmlEngine>

static void initUikitResources()
{
    Q_INIT_RESOURCE(huskarui);
}

void HusApp::initialize(QQmlEngine *engine)
{
    initUikitResources();
    engine->addImportPath(QStringLiteral("qrc:/uikit"));
}
