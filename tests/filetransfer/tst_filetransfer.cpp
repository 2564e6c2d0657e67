#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

#include "files.h"
#include "filetransfer.h"

namespace {

// A loopback HTTP/1.1 server for faults the simulator cannot time precisely:
// answers cut short, answers without a length, peers that never answer. Each path
// answers with the bytes given and closes; empty bytes never answer and keep the
// connection open. Every request is kept whole.
class LoopbackServer : public QTcpServer
{
    Q_OBJECT
public:
    LoopbackServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        });
        listen(QHostAddress::LocalHost);
    }

    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path); }

    QHash<QByteArray, QByteArray> answers;
    QList<QByteArray> requests;

signals:
    void requestRead();

private:
    void read(QTcpSocket *socket);
    QHash<QTcpSocket *, QByteArray> buffers;
};

QByteArray header(const QByteArray &message, const QString &name)
{
    const QRegularExpression line(QStringLiteral("\r\n%1: *([^\r]*)").arg(name), QRegularExpression::CaseInsensitiveOption);
    return line.match(QString::fromLatin1(message.left(message.indexOf("\r\n\r\n") + 2))).captured(1).toLatin1();
}

QByteArray body(const QByteArray &message) { return message.mid(message.indexOf("\r\n\r\n") + 4); }

// An answer announcing a body of `length` bytes (no length when negative).
QByteArray reply(int status, const QByteArray &body, qint64 length)
{
    return "HTTP/1.1 " + QByteArray::number(status) + (status == 404 ? " Not Found" : status == 200 ? " OK" : " Error")
        + (length < 0 ? QByteArray() : "\r\nContent-Length: " + QByteArray::number(length)) + "\r\nConnection: close\r\n\r\n" + body;
}

QByteArray reply(int status, const QByteArray &body) { return reply(status, body, body.size()); }

void LoopbackServer::read(QTcpSocket *socket)
{
    QByteArray &request = buffers[socket];
    request += socket->readAll();
    if (!request.contains("\r\n\r\n") || body(request).size() < header(request, "content-length").toLongLong())
        return;
    requests << request;
    emit requestRead();
    const QByteArray answer = answers.value(request.split(' ').value(1), reply(404, "no such path"));
    if (!answer.isEmpty()) {
        socket->write(answer);
        socket->disconnectFromHost();
    }
}

QByteArray payload(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}

} // namespace

class tst_FileTransfer : public QObject
{
    Q_OBJECT

private:
    QString path(const QString &name) const { return s->dir.filePath(name); }

    // Whatever came before, the service is idle: a download to a path relative
    // to the working directory goes through, with figures of its own.
    void downloadsAgain()
    {
        const QByteArray body = payload(200 * 1024);
        s->server.answers.insert("/again", reply(200, body));
        QSignalSpy done(&s->transfer, &FileTransfer::downloadCompleted);
        QSignalSpy throughput(&s->transfer, &FileTransfer::throughputChanged);
        s->transfer.postDownload(s->server.url("/again"), "again/after.bin", {}, "again");
        QVERIFY(done.wait(10000));
        QCOMPARE(done.first(), (QVariantList{true, "again"}));
        QCOMPARE(readFile(path("again/after.bin")), body);
        QVERIFY(!throughput.isEmpty());
        QCOMPARE(throughput.last().at(1).toLongLong(), qint64(body.size()));
        QVERIFY(throughput.last().at(0).toLongLong() <= body.size());
        QCOMPARE(throughput.last().at(3).toString(), QStringLiteral("again"));
    }

    // Made afresh for each test and gone after it, the service first.
    struct Setup
    {
        WorkDir dir;
        LoopbackServer server;
        FileTransfer transfer;
    };
    std::unique_ptr<Setup> s;

private slots:
    void init() { s = std::make_unique<Setup>(); }
    void cleanup() { s.reset(); }

    void download_outcomes_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("message"); // a pattern
        QTest::addColumn<bool>("progressKnown");

        QTest::newRow("body streamed to the file") << reply(200, payload(3 * 1024 * 1024 + 17)) << true << "^quest$" << true;
        QTest::newRow("404 keeps the error body") << reply(404, "no such plugin") << false << "Not Found" << true;
        QTest::newRow("no length skips the length check") << reply(200, payload(70000), -1) << true << "^quest$" << false;
        QTest::newRow("empty body with length 0") << reply(200, "") << true << "^quest$" << false;
        QTest::newRow("body shorter than its length") << reply(200, payload(5000), 9000) << false << "^(?!quest$)." << true;
    }

    void download_outcomes()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, success);
        QFETCH(QString, message);
        QFETCH(bool, progressKnown);
        s->server.answers.insert("/kxt/download/p:a.jar", answer);
        writeFile(path("out/a.jar"), "stale content that must go");
        QSignalSpy progress(&s->transfer, &FileTransfer::downloadProgressChanged);
        QSignalSpy done(&s->transfer, &FileTransfer::downloadCompleted);
        QTest::ignoreMessage(QtDebugMsg, ("HTTP Status Code: " + answer.mid(9, 3)).constData());
        s->transfer.postDownload(s->server.url("/kxt/download/p:a.jar"), path("out/a.jar"),
                               {{"zeta", 2}, {"key", "p:a.jar"}, {"alpha", QVariantList{1, "x"}}}, "quest");
        QVERIFY(done.wait(20000));

        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().at(0).toBool(), success);
        QVERIFY2(QRegularExpression(message).match(done.first().at(1).toString()).hasMatch(),
                 qPrintable(done.first().at(1).toString()));
        // Whatever arrived replaces the old file, error bodies and cut-off bodies included.
        QCOMPARE(readFile(path("out/a.jar")), body(answer));

        const QByteArray request = s->server.requests.value(0);
        QVERIFY(request.startsWith("POST "));
        QCOMPARE(header(request, "content-type"), QByteArray("application/json"));
        QVERIFY2(header(request, "authorization").isEmpty(), "a download carries no token");
        QCOMPARE(body(request), QByteArray("{\n    \"alpha\": [\n        1,\n        \"x\"\n    ],\n"
                                          "    \"key\": \"p:a.jar\",\n    \"zeta\": 2\n}\n"));

        double last = -1;
        for (const QList<QVariant> &report : progress) {
            QCOMPARE(report.at(1).toString(), QStringLiteral("quest"));
            QVERIFY(report.at(0).toDouble() >= last);
            last = report.at(0).toDouble();
            if (!progressKnown)
                QCOMPARE(last, 0.0);
        }
        if (success && progressKnown)
            QCOMPARE(last, 1.0);
        QCOMPARE(s->transfer.downloadProgress(), 0.0);
    }

    void local_failures_are_reported_at_once_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QString>("localPath");
        QTest::addColumn<QString>("message");
        QTest::newRow("download into a folder under a file") << false << "plain/sub/x.zip" << "无法创建目录";
        QTest::newRow("download onto a folder") << false << "folder" << "无法创建文件";
        QTest::newRow("upload of a missing file") << true << "nope.jar" << "无法打开文件";
    }

    void local_failures_are_reported_at_once()
    {
        QFETCH(bool, upload);
        QFETCH(QString, localPath);
        QFETCH(QString, message);
        writeFile(path("plain"), "a file, not a folder");
        QVERIFY(QDir().mkdir("folder"));
        QSignalSpy done(&s->transfer, upload ? &FileTransfer::uploadCompleted : &FileTransfer::downloadCompleted);
        if (upload)
            s->transfer.postUpload(s->server.url("/never"), path(localPath), "/r/", "quest");
        else
            s->transfer.postDownload(s->server.url("/never"), path(localPath), {}, "quest");
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first(), (QVariantList{false, message}));
        downloadsAgain();
    }

    void upload_sends_one_file_part_data()
    {
        QTest::addColumn<QString>("localName");
        QTest::addColumn<QString>("remotePath");
        QTest::addColumn<QByteArray>("filename");
        QTest::addColumn<int>("status");
        QTest::newRow("into a remote folder") << "kx_t.tar" << "/quenta/download/" << QByteArray("/quenta/download/kx_t.tar") << 200;
        QTest::newRow("no remote folder, refused") << "RT.tar.gz" << "" << QByteArray("RT.tar.gz") << 500;
        QTest::newRow("chinese name") << "插件.jar" << "/kx_t/OfficialProject/甲/"
                                      << QString("/kx_t/OfficialProject/甲/插件.jar").toUtf8() << 200;
        QTest::newRow("quote and line break cannot forge headers")
            << "a\"b.jar" << "/x\r\nContent-Type: text/html\r\n/" << QByteArray("/x%0D%0AContent-Type: text/html%0D%0A/a%22b.jar")
            << 200;
    }

    void upload_sends_one_file_part()
    {
        QFETCH(QString, localName);
        QFETCH(QString, remotePath);
        QFETCH(QByteArray, filename);
        QFETCH(int, status);
        const QByteArray content = payload(200 * 1024 + 3);
        writeFile(path(localName), content);
        s->server.answers.insert("/api/uploadfiles", reply(status, "{}"));
        QSignalSpy progress(&s->transfer, &FileTransfer::uploadProgressChanged);
        QSignalSpy done(&s->transfer, &FileTransfer::uploadCompleted);
        s->transfer.postUpload(s->server.url("/api/uploadfiles"), path(localName), remotePath, "quest");
        QVERIFY(done.wait(10000));
        QCOMPARE(done.first(), (QVariantList{status == 200, "quest"}));

        const QByteArray request = s->server.requests.value(0);
        const QByteArray boundary = QRegularExpression("^multipart/form-data; boundary=\"([^\"]+)\"$")
                                        .match(QString::fromLatin1(header(request, "content-type")))
                                        .captured(1)
                                        .toLatin1();
        QVERIFY(!boundary.isEmpty());
        QCOMPARE(body(request), "--" + boundary + "\r\nContent-Type: application/octet-stream\r\n"
                                   "Content-Disposition: form-data; name=\"file\"; filename=\"" + filename + "\"\r\n\r\n"
                                   + content + "\r\n--" + boundary + "--\r\n");
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last(), (QVariantList{1.0, "quest"}));
        // A download afterwards has figures of its own and leaves the upload's alone.
        downloadsAgain();
        QCOMPARE(s->transfer.uploadProgress(), 1.0);
    }

    void upload_may_start_inside_download_completion()
    {
        s->server.answers.insert("/kxt/download/all", reply(200, payload(50000)));
        s->server.answers.insert("/api/uploadfiles", reply(200, "{}"));
        QSignalSpy uploads(&s->transfer, &FileTransfer::uploadCompleted);
        connect(&s->transfer, &FileTransfer::downloadCompleted, this, [&](bool success, const QString &message) {
            if (success && message == "kxt")
                s->transfer.postUpload(s->server.url("/api/uploadfiles"), path("kx_t.tar"), "/quenta/download/", "kxt");
        });
        s->transfer.postDownload(s->server.url("/kxt/download/all"), path("kx_t.tar"), {{"key", "kxt"}}, "kxt");
        QVERIFY(uploads.wait(10000));
        QCOMPARE(uploads.first(), (QVariantList{true, "kxt"}));
        QVERIFY(body(s->server.requests.value(1)).contains(payload(50000)));
    }

    void running_transfer_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("message"); // a pattern; a failed upload reports its tag
        QTest::newRow("download answered") << false << "answered" << "^mine$";
        QTest::newRow("upload answered") << true << "answered" << "^mine$";
        QTest::newRow("download stalls") << false << "stalls" << "^(?!mine$).";
        QTest::newRow("upload stalls") << true << "stalls" << "^mine$";
        QTest::newRow("download aborted") << false << "aborted" << "^已取消$";
        QTest::newRow("upload aborted") << true << "aborted" << "^mine$";
    }

    // While one transfer runs, both directions are refused; however it ends, the
    // service is free afterwards and nothing late arrives from it.
    void running_transfer()
    {
        QFETCH(bool, upload);
        QFETCH(QString, end);
        QFETCH(QString, message);
        const QByteArray body = payload(3 * 1024 * 1024);
        writeFile(path("up.bin"), body);
        s->server.answers.insert("/t", end == "answered" ? reply(200, body) : QByteArray());
        QCOMPARE(s->transfer.stallTimeout(), 60000);
        if (end == "stalls")
            s->transfer.setStallTimeout(400);
        QSignalSpy downloads(&s->transfer, &FileTransfer::downloadCompleted);
        QSignalSpy uploads(&s->transfer, &FileTransfer::uploadCompleted);
        QSignalSpy &done = upload ? uploads : downloads;
        QSignalSpy downloadProgress(&s->transfer, &FileTransfer::downloadProgressChanged);
        QSignalSpy uploadProgress(&s->transfer, &FileTransfer::uploadProgressChanged);
        QSignalSpy throughput(&s->transfer, &FileTransfer::throughputChanged);
        QSignalSpy arrived(&s->server, &LoopbackServer::requestRead);
        if (upload)
            s->transfer.postUpload(s->server.url("/t"), path("up.bin"), "", "mine");
        else
            s->transfer.postDownload(s->server.url("/t"), path("down.bin"), {}, "mine");
        QVERIFY(arrived.wait(10000));

        s->transfer.postDownload(s->server.url("/other"), path("other.bin"), {}, "theirs");
        s->transfer.postUpload(s->server.url("/other"), path("up.bin"), "", "theirs");
        QCOMPARE(downloads.takeFirst(), (QVariantList{false, "已有进行中的下载"}));
        QCOMPARE(uploads.takeFirst(), (QVariantList{false, "已有进行中的传输"}));
        QVERIFY(!QFile::exists(path("other.bin")));

        if (end == "aborted")
            s->transfer.abort();
        QVERIFY(!done.isEmpty() || done.wait(10000));
        QCOMPARE(done.first().at(0).toBool(), end == "answered");
        QVERIFY2(QRegularExpression(message).match(done.first().at(1).toString()).hasMatch(),
                 qPrintable(done.first().at(1).toString()));
        if (!upload)
            QCOMPARE(readFile(path("down.bin")), end == "answered" ? body : QByteArray(end == "stalls" ? "" : "<missing>"));
        else if (end == "aborted") // an upload's total is the file inside its form
            QVERIFY(!throughput.isEmpty() && throughput.last().at(1).toLongLong() > body.size());
        QCOMPARE(s->server.requests.size(), 1);
        for (const QSignalSpy *spy : {&downloadProgress, &uploadProgress, &throughput})
            for (const QList<QVariant> &report : *spy)
                QCOMPARE(report.last().toString(), QStringLiteral("mine"));
        downloadsAgain();
        QCOMPARE(done.count(), upload ? 1 : 2);
    }
};

QTEST_GUILESS_MAIN(tst_FileTransfer)

#include "tst_filetransfer.moc"
