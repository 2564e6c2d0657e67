#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include "jsonprocessor.h"

// formatjson_bench <input> <output>: reads a JSON file, formats it as the editor's
// "格式化" does, writes the result; the same job as `jq . <input> > <output>`.
// Prints the time spent inside formatJson alone on stdout.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: formatjson_bench <input> <output>\n";
        return 2;
    }
    QFile input(args.at(1));
    QFile output(args.at(2));
    if (!input.open(QIODevice::ReadOnly) || !output.open(QIODevice::WriteOnly)) {
        QTextStream(stderr) << "cannot open input or output\n";
        return 2;
    }
    const QString raw = QString::fromUtf8(input.readAll());
    JsonProcessor processor;
    QElapsedTimer timer;
    timer.start();
    const QString formatted = processor.formatJson(raw);
    const qint64 formatMs = timer.elapsed();
    if (formatted.isEmpty()) {
        QTextStream(stderr) << "input is not a JSON document\n";
        return 1;
    }
    output.write(formatted.toUtf8());
    QTextStream(stdout) << formatMs << '\n';
    return 0;
}
