#include <QGuiApplication>
#include <QLoggingCategory>
#include <QQmlApplicationEngine>
#include <QtQml>

#include "filetransfer.h"
#include "kxtapp.h"
#include "zipmanager.h"

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication app(argc, argv);
    // Renewer fetches a single package: the console's per-download status line is noise here.
    QLoggingCategory::setFilterRules(QStringLiteral("kxt.transfer.status=false"));
    KxtApp::registerTypes();

    QQmlApplicationEngine engine;
    // A child of the application, so it outlives the engine and the window that
    // disconnects from it while being destroyed.
    auto *transfer = new FileTransfer(&app);
    qmlRegisterSingletonInstance("FileTransfer", 1, 0, "FileTransfer", transfer);
    qmlRegisterSingletonInstance("Unzip", 1, 0, "Unzip", ZipManager::instance());

    return KxtApp::run(engine);
}
