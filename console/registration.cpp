#include "registration.h"

#include <QtQml>

#include "jsonhighlighter.h"
#include "jsonprocessor.h"
#include "qmltool.h"

void registerConsoleTypes()
{
    qmlRegisterType<JsonHighlighter>("JsonEditor", 1, 0, "JsonHighlighter");
    qmlRegisterType<JsonProcessor>("JsonEditor", 1, 0, "JsonProcessor");
    qmlRegisterSingletonInstance("QmlTool", 1, 0, "QmlTool", QmlTool::instance());
}
