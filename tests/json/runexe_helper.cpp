#include <QCoreApplication>
#include <QTextStream>

#include "qmltool.h"

// Calls QmlTool.runExe with the command line given as the first argument. Reaching
// the end means the process survived the call: it then prints what runExe returned
// and exits with 3.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool started = QmlTool::instance()->runExe(app.arguments().value(1));
    QTextStream(stdout) << "runExe returned " << (started ? "true" : "false") << '\n';
    return 3;
}
