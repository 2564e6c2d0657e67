#include <QCoreApplication>
#include <QTextStream>

#include "filetransfer.h"

// Runs one FileTransfer download or upload from the command line and exits with
// 0 when it reports success:
//   transfer_bench download <url> <save path>
//   transfer_bench upload <url> <file> <remote folder>
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool download = args.value(1) == QLatin1String("download");
    if (args.size() < (download ? 4 : 5) || (!download && args.value(1) != QLatin1String("upload"))) {
        QTextStream(stderr) << "usage: transfer_bench download <url> <save path>\n"
                               "       transfer_bench upload <url> <file> <remote folder>\n";
        return 2;
    }

    FileTransfer transfer;
    auto finish = [](bool success, const QString &message) {
        if (!success)
            QTextStream(stderr) << "failed: " << message << '\n';
        QCoreApplication::exit(success ? 0 : 1);
    };
    QObject::connect(&transfer, &FileTransfer::downloadCompleted, &app, finish, Qt::QueuedConnection);
    QObject::connect(&transfer, &FileTransfer::uploadCompleted, &app, finish, Qt::QueuedConnection);
    if (download)
        transfer.postDownload(args.at(2), args.at(3), {{QStringLiteral("key"), QStringLiteral("tool")}}, QStringLiteral("bench"));
    else
        transfer.postUpload(args.at(2), args.at(3), args.at(4), QStringLiteral("bench"));
    return app.exec();
}
