// Unpacks one archive with the updater's extraction service, the way Renewer
// does (worker thread, queued signals), and exits non-zero on any reported error.
//   unzip_bench <archive> <destination>

#include <QCoreApplication>
#include <QTextStream>

#include "zipmanager.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        QTextStream(stderr) << "usage: unzip_bench <archive> <destination>\n";
        return 2;
    }
    ZipManager manager;
    int errors = 0;
    QObject::connect(&manager, &ZipManager::errorOccurred, [&](const QString &message) {
        QTextStream(stderr) << message << '\n';
        ++errors;
    });
    QObject::connect(&manager, &ZipManager::unzipFinished, [&] { app.exit(errors == 0 ? 0 : 1); });
    manager.unzipAsync(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    return app.exec();
}
