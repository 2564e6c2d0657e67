#include <QCoreApplication>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QtQml>

#include "filetransfer.h"
#include "husapp.h"
#include "zipmanager.h"

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication app(argc, argv);

    QQmlApplicationEngine engine;
    HusApp::initialize(&engine);

    // A child of the application, so it outlives the engine and the window that
    // disconnects from it while being destroyed.
    auto *transfer = new FileTransfer(&app);
    qmlRegisterSingletonInstance("FileTransfer", 1, 0, "FileTransfer", transfer);
    qmlRegisterSingletonInstance("Unzip", 1, 0, "Unzip", ZipManager::instance());

    const QUrl url(QStringLiteral("qrc:/main.qml"));
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreated, &app,
        [url](QObject *obj, const QUrl &objUrl) {
            if (!obj && url == objUrl)
                QCoreApplication::exit(-1);
        },
        Qt::QueuedConnection);
    engine.load(url);
    return app.exec();
}
