#include "registration.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include "kxtapp.h"

int main(int argc, char *argv[])
{
    QQuickWindow::setSceneGraphBackend(QSGRendererInterface::OpenGL);
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QQuickWindow::setDefaultAlphaBuffer(true);

    QGuiApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("Vemra"));
    app.setOrganizationDomain(QStringLiteral("docs.kxt.example"));
    app.setApplicationName(QStringLiteral("KXT后台管理工具"));

    registerConsoleTypes();

    QQmlApplicationEngine engine;
    return KxtApp::run(engine);
}
