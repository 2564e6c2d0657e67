#include "kxtapp.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QtQml>

#include "husapp.h"

static void initSharedResources()
{
    Q_INIT_RESOURCE(kxtshared);
}

void KxtApp::registerTypes()
{
    initSharedResources();
    qmlRegisterSingletonType("Platform", 1, 0, "Platform", [](QQmlEngine *, QJSEngine *js) {
        QJSValue platform = js->newObject();
        platform.setProperty(QStringLiteral("defaultUrl"), QStringLiteral(KXT_DEFAULT_PLATFORM));
        platform.setProperty(QStringLiteral("version"), QStringLiteral(KXT_VERSION));
        return platform;
    });
}

int KxtApp::run(QQmlApplicationEngine &engine)
{
    HusApp::initialize(&engine);
    const QUrl url(QStringLiteral("qrc:/main.qml"));
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreated, qApp,
        [url](QObject *obj, const QUrl &objUrl) {
            if (!obj && url == objUrl)
                QCoreApplication::exit(-1);
        },
        Qt::QueuedConnection);
    engine.load(url);
    return QGuiApplication::exec();
}
