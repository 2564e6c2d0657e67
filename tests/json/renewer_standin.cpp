#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

// Stands in for the updater beside the console: records the arguments it was
// started with and its working directory in the file KXT_STANDIN_RECORD names.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QSaveFile record(QString::fromLocal8Bit(qgetenv("KXT_STANDIN_RECORD")));
    if (!record.open(QIODevice::WriteOnly))
        return 1;
    const QJsonObject seen{{"arguments", QJsonArray::fromStringList(app.arguments().mid(1))},
                           {"workingDirectory", QDir::currentPath()}};
    record.write(QJsonDocument(seen).toJson());
    return record.commit() ? 0 : 1;
}
