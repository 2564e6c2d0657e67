#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTextStream>

#include "registration.h"

// Calls QmlTool.runExe from a document with the command line given as the first
// argument, the way the console's version check does. Reaching the end means the
// console survived the call: it then prints what runExe returned and exits with 3.
int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    registerConsoleTypes();
    QQmlEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("commandLine"),
                                             app.arguments().value(1));
    QQmlComponent component(&engine);
    component.setData("import QtQml 2.15\nimport QmlTool 1.0\n"
                      "QtObject { property var started: QmlTool.runExe(commandLine) }",
                      QUrl());
    QScopedPointer<QObject> root(component.create());
    if (!root) {
        QTextStream(stderr) << component.errorString();
        return 2;
    }
    QTextStream(stdout) << "runExe returned " << root->property("started").toString() << '\n';
    return 3;
}
