#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "filetransfer.h"
#include "loopbackserver.h"

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray payload(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}

using Answer = LoopbackServer::Answer;

// The rows of a test that runs once for each direction.
void bothDirections()
{
    QTest::addColumn<bool>("upload");
    QTest::newRow("download") << false;
    QTest::newRow("upload") << true;
}

} // namespace

Q_DECLARE_METATYPE(LoopbackServer::Answer)

class tst_FileTransfer : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void download_streams_body_to_file_and_posts_sorted_json();
    void download_outcomes_data();
    void download_outcomes();
    void download_local_failures_are_reported_at_once_data();
    void download_local_failures_are_reported_at_once();
    void download_truncates_existing_file_and_creates_folders();

    void upload_sends_one_file_part_data();
    void upload_sends_one_file_part();
    void upload_reports_its_tag_on_failure_and_keeps_progress();
    void upload_of_missing_file_is_reported_at_once();

    void busy_service_refuses_both_directions_data();
    void busy_service_refuses_both_directions();
    void upload_may_start_inside_download_completion();
    void stalled_transfer_times_out_data();
    void stalled_transfer_times_out();
    void abort_ends_the_transfer_and_frees_the_service_data();
    void abort_ends_the_transfer_and_frees_the_service();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
    // Uploads up.bin, or downloads into down.bin.
    void start(FileTransfer &transfer, bool upload, const QString &url, const QString &tag) const
    {
        if (upload)
            transfer.postUpload(url, path("up.bin"), "", tag);
        else
            transfer.postDownload(url, path("down.bin"), {}, tag);
    }
};

void tst_FileTransfer::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void tst_FileTransfer::download_streams_body_to_file_and_posts_sorted_json()
{
    LoopbackServer server;
    const QByteArray body = payload(3 * 1024 * 1024 + 17);
    server.setAnswer("/kxt/download/p:a.jar", Answer{200, body});
    FileTransfer transfer;
    QSignalSpy progress(&transfer, &FileTransfer::downloadProgressChanged);
    QSignalSpy done(&transfer, &FileTransfer::downloadCompleted);

    QTest::ignoreMessage(QtDebugMsg, "HTTP Status Code: 200");
    transfer.postDownload(server.url("/kxt/download/p:a.jar"), path("out/a.jar"),
                          {{"zeta", 2}, {"key", "p:a.jar"}, {"alpha", QVariantList{1, "x"}}}, "quest");
    QVERIFY(done.wait(20000));

    QCOMPARE(done.first(), (QVariantList{true, "quest"}));
    QCOMPARE(readAll(path("out/a.jar")), body);

    const LoopbackServer::Request request = server.requests().value(0);
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));
    QCOMPARE(request.body, QByteArray("{\n    \"alpha\": [\n        1,\n        \"x\"\n    ],\n"
                                      "    \"key\": \"p:a.jar\",\n    \"zeta\": 2\n}\n"));

    QVERIFY(!progress.isEmpty());
    double last = -1;
    for (const QList<QVariant> &report : progress) {
        QCOMPARE(report.at(1).toString(), QStringLiteral("quest"));
        QVERIFY(report.at(0).toDouble() >= last);
        last = report.at(0).toDouble();
    }
    QCOMPARE(last, 1.0);
    QCOMPARE(transfer.downloadProgress(), 0.0);
}

void tst_FileTransfer::download_outcomes_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("success");
    QTest::addColumn<QString>("messageHas"); // empty: the tag
    QTest::addColumn<bool>("progressKnown");

    QTest::newRow("404 keeps the error body")
        << Answer{404, "no such plugin"} << false << "Not Found" << true;
    QTest::newRow("no length skips the length check")
        << Answer{200, payload(70000), false} << true << "" << false;
    QTest::newRow("empty body with length 0")
        << Answer{200, ""} << true << "" << false;
    QTest::newRow("body shorter than its length")
        << Answer{200, payload(5000), true, 9000} << false << "*" << true;
}

void tst_FileTransfer::download_outcomes()
{
    QFETCH(Answer, answer);
    QFETCH(bool, success);
    QFETCH(QString, messageHas);
    QFETCH(bool, progressKnown);

    LoopbackServer server;
    server.setAnswer("/f", answer);
    FileTransfer transfer;
    QSignalSpy progress(&transfer, &FileTransfer::downloadProgressChanged);
    QSignalSpy done(&transfer, &FileTransfer::downloadCompleted);
    transfer.postDownload(server.url("/f"), path("f.bin"), {}, "tag-1");
    QVERIFY(done.wait(10000));

    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first().at(0).toBool(), success);
    const QString message = done.first().at(1).toString();
    if (messageHas.isEmpty())
        QCOMPARE(message, QStringLiteral("tag-1"));
    else if (messageHas != "*")
        QVERIFY2(message.contains(messageHas), qPrintable(message));
    else
        QVERIFY2(message != "tag-1" && !message.isEmpty(), qPrintable(message));
    // Whatever arrived stays on disk, error bodies and cut-off bodies included.
    QCOMPARE(readAll(path("f.bin")), answer.body);

    for (const QList<QVariant> &report : progress) {
        QCOMPARE(report.at(1).toString(), QStringLiteral("tag-1"));
        if (!progressKnown)
            QCOMPARE(report.at(0).toDouble(), 0.0);
    }
    QCOMPARE(transfer.downloadProgress(), 0.0);
}

void tst_FileTransfer::download_local_failures_are_reported_at_once_data()
{
    QTest::addColumn<QString>("savePath");
    QTest::addColumn<QString>("message");
    QTest::newRow("folder under a file") << "plain/sub/x.zip" << "无法创建目录";
    QTest::newRow("target is a folder") << "folder" << "无法创建文件";
}

void tst_FileTransfer::download_local_failures_are_reported_at_once()
{
    QFETCH(QString, savePath);
    QFETCH(QString, message);
    writeFile(path("plain"), "a file, not a folder");
    QVERIFY(QDir(m_dir->path()).mkdir("folder"));

    FileTransfer transfer;
    QSignalSpy done(&transfer, &FileTransfer::downloadCompleted);
    transfer.postDownload(LoopbackServer::deadUrl(), path(savePath), {}, "quest");
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first(), (QVariantList{false, message}));

    // The service is idle again: the next call goes through to the network.
    LoopbackServer server;
    server.setAnswer("/ok", Answer{200, "fine"});
    transfer.postDownload(server.url("/ok"), path("ok.txt"), {}, "next");
    QVERIFY(done.wait(10000));
    QCOMPARE(done.last(), (QVariantList{true, "next"}));
}

void tst_FileTransfer::download_truncates_existing_file_and_creates_folders()
{
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    writeFile(path("old.zip"), "stale content that must go");

    FileTransfer transfer;
    QSignalSpy done(&transfer, &FileTransfer::downloadCompleted);
    transfer.postDownload(LoopbackServer::deadUrl(), "old.zip", {}, "quest");
    QCOMPARE(readAll(path("old.zip")), QByteArray());
    QVERIFY(done.wait(10000));
    QCOMPARE(done.first().at(0).toBool(), false);

    LoopbackServer server;
    server.setAnswer("/pkg", Answer{200, "zip bytes"});
    transfer.postDownload(server.url("/pkg"), "download/x.zip", {{"key", "tool"}}, "quest");
    QVERIFY(done.wait(10000));
    QDir::setCurrent(before);
    QCOMPARE(done.last(), (QVariantList{true, "quest"}));
    QCOMPARE(readAll(path("download/x.zip")), QByteArray("zip bytes"));
}

void tst_FileTransfer::upload_sends_one_file_part_data()
{
    QTest::addColumn<QString>("localName");
    QTest::addColumn<QString>("remotePath");
    QTest::addColumn<QByteArray>("filename");
    QTest::newRow("into a remote folder") << "kx_t.tar" << "/quenta/download/" << QByteArray("/quenta/download/kx_t.tar");
    QTest::newRow("no remote folder") << "RT.tar.gz" << "" << QByteArray("RT.tar.gz");
    QTest::newRow("chinese name") << "插件.jar" << "/kx_t/OfficialProject/甲/"
                                  << QString("/kx_t/OfficialProject/甲/插件.jar").toUtf8();
    QTest::newRow("quote and line break cannot forge headers")
        << "a\"b.jar" << "/x\r\nContent-Type: text/html\r\n/" << QByteArray("/x%0D%0AContent-Type: text/html%0D%0A/a%22b.jar");
}

void tst_FileTransfer::upload_sends_one_file_part()
{
    QFETCH(QString, localName);
    QFETCH(QString, remotePath);
    QFETCH(QByteArray, filename);

    const QByteArray content = payload(200 * 1024 + 3);
    writeFile(path(localName), content);
    LoopbackServer server;
    server.setAnswer("/api/uploadfiles", Answer{200, "{}"});
    FileTransfer transfer;
    QSignalSpy progress(&transfer, &FileTransfer::uploadProgressChanged);
    QSignalSpy done(&transfer, &FileTransfer::uploadCompleted);
    transfer.postUpload(server.url("/api/uploadfiles"), path(localName), remotePath, "quest");
    QVERIFY(done.wait(10000));
    QCOMPARE(done.first(), (QVariantList{true, "quest"}));

    const LoopbackServer::Request request = server.requests().value(0);
    QVERIFY(request.headers.value("content-type").startsWith("multipart/form-data; boundary="));
    const QList<LoopbackServer::Part> parts = LoopbackServer::multipartParts(request);
    QCOMPARE(parts.size(), 1);
    QCOMPARE(parts.first().headers.size(), 2);
    QCOMPARE(parts.first().headers.value("content-type"), QByteArray("application/octet-stream"));
    QCOMPARE(parts.first().headers.value("content-disposition"),
             "form-data; name=\"file\"; filename=\"" + filename + "\"");
    QCOMPARE(parts.first().body, content);

    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last(), (QVariantList{1.0, "quest"}));
    QCOMPARE(transfer.uploadProgress(), 1.0);
}

void tst_FileTransfer::upload_reports_its_tag_on_failure_and_keeps_progress()
{
    writeFile(path("a.jar"), payload(4096));
    LoopbackServer server;
    server.setAnswer("/api/uploadfiles", Answer{500, "disk full"});
    FileTransfer transfer;
    QSignalSpy done(&transfer, &FileTransfer::uploadCompleted);
    transfer.postUpload(server.url("/api/uploadfiles"), path("a.jar"), "/r/", "quest");
    QVERIFY(done.wait(10000));
    QCOMPARE(done.first(), (QVariantList{false, "quest"}));
    QCOMPARE(transfer.uploadProgress(), 1.0);

    // A failed download afterwards resets the download figure, not the upload's.
    QSignalSpy downloaded(&transfer, &FileTransfer::downloadCompleted);
    transfer.postDownload(LoopbackServer::deadUrl(), path("x"), {}, "quest");
    QVERIFY(downloaded.wait(10000));
    QCOMPARE(transfer.uploadProgress(), 1.0);
    QCOMPARE(transfer.downloadProgress(), 0.0);
}

void tst_FileTransfer::upload_of_missing_file_is_reported_at_once()
{
    FileTransfer transfer;
    QSignalSpy done(&transfer, &FileTransfer::uploadCompleted);
    transfer.postUpload(LoopbackServer::deadUrl(), path("nope.jar"), "/r/", "quest");
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first(), (QVariantList{false, "无法打开文件"}));
}

void tst_FileTransfer::busy_service_refuses_both_directions_data()
{
    bothDirections();
}

void tst_FileTransfer::busy_service_refuses_both_directions()
{
    QFETCH(bool, upload);
    writeFile(path("up.bin"), payload(1000));
    LoopbackServer server;
    const QByteArray body = payload(10000);
    server.setAnswer("/slow", Answer{200, body, true, -1, false, true});
    FileTransfer transfer;
    QSignalSpy downloads(&transfer, &FileTransfer::downloadCompleted);
    QSignalSpy uploads(&transfer, &FileTransfer::uploadCompleted);
    QSignalSpy downloadProgress(&transfer, &FileTransfer::downloadProgressChanged);
    QSignalSpy uploadProgress(&transfer, &FileTransfer::uploadProgressChanged);
    QSignalSpy arrived(&server, &LoopbackServer::requestRead);

    start(transfer, upload, server.url("/slow"), "mine");
    QVERIFY(arrived.wait(10000));

    transfer.postDownload(server.url("/other"), path("other.bin"), {}, "theirs");
    transfer.postUpload(server.url("/other"), path("up.bin"), "", "theirs");
    QCOMPARE(downloads.count(), 1);
    QCOMPARE(downloads.first(), (QVariantList{false, "已有进行中的下载"}));
    QCOMPARE(uploads.count(), 1);
    QCOMPARE(uploads.first(), (QVariantList{false, "已有进行中的传输"}));
    QVERIFY(!QFile::exists(path("other.bin")));

    server.release();
    QSignalSpy &finished = upload ? uploads : downloads;
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.last(), (QVariantList{true, "mine"}));
    QCOMPARE(server.requests().size(), 1);
    for (const QSignalSpy *spy : {&downloadProgress, &uploadProgress})
        for (const QList<QVariant> &report : *spy)
            QCOMPARE(report.at(1).toString(), QStringLiteral("mine"));
    if (!upload)
        QCOMPARE(readAll(path("down.bin")), body);
}

void tst_FileTransfer::upload_may_start_inside_download_completion()
{
    LoopbackServer server;
    server.setAnswer("/kxt/download/all", Answer{200, payload(50000)});
    server.setAnswer("/api/uploadfiles", Answer{200, "{}"});
    FileTransfer transfer;
    QSignalSpy uploads(&transfer, &FileTransfer::uploadCompleted);
    connect(&transfer, &FileTransfer::downloadCompleted, this, [&](bool success, const QString &message) {
        if (success && message == "kxt")
            transfer.postUpload(server.url("/api/uploadfiles"), path("kx_t.tar"), "/quenta/download/", "kxt");
    });
    transfer.postDownload(server.url("/kxt/download/all"), path("kx_t.tar"), {{"key", "kxt"}}, "kxt");
    QVERIFY(uploads.wait(10000));
    QCOMPARE(uploads.first(), (QVariantList{true, "kxt"}));
    QCOMPARE(LoopbackServer::multipartParts(server.requests().value(1)).value(0).body, payload(50000));
}

// A download goes silent mid-body, an upload is never answered.
void tst_FileTransfer::stalled_transfer_times_out_data()
{
    bothDirections();
}

void tst_FileTransfer::stalled_transfer_times_out()
{
    QFETCH(bool, upload);
    QCOMPARE(FileTransfer().stallTimeout(), 60000);

    LoopbackServer server;
    server.setAnswer("/stall", Answer{200, payload(1000), true, 5000, true, upload});
    server.setAnswer("/after", Answer{200, "after"});
    writeFile(path("up.bin"), payload(1000));
    FileTransfer transfer;
    transfer.setStallTimeout(400);
    QSignalSpy done(&transfer, upload ? &FileTransfer::uploadCompleted : &FileTransfer::downloadCompleted);
    start(transfer, upload, server.url("/stall"), "quest");
    QVERIFY(done.wait(10000));
    QCOMPARE(done.first().at(0).toBool(), false);
    if (upload)
        QCOMPARE(done.first().at(1).toString(), QStringLiteral("quest"));
    else
        QCOMPARE(readAll(path("down.bin")), payload(1000));

    QSignalSpy next(&transfer, &FileTransfer::downloadCompleted);
    transfer.postDownload(server.url("/after"), path("after.txt"), {}, "again");
    QVERIFY(next.wait(10000));
    QCOMPARE(next.last(), (QVariantList{true, "again"}));
}

void tst_FileTransfer::abort_ends_the_transfer_and_frees_the_service_data()
{
    bothDirections();
}

void tst_FileTransfer::abort_ends_the_transfer_and_frees_the_service()
{
    QFETCH(bool, upload);
    LoopbackServer server;
    const QByteArray body = payload(3 * 1024 * 1024);
    server.setAnswer("/held", Answer{200, body, true, -1, false, true});
    server.setAnswer("/after", Answer{200, body});
    writeFile(path("up.bin"), body);
    FileTransfer transfer;
    QSignalSpy done(&transfer, upload ? &FileTransfer::uploadCompleted : &FileTransfer::downloadCompleted);
    QSignalSpy throughput(&transfer, &FileTransfer::throughputChanged);
    QSignalSpy arrived(&server, &LoopbackServer::requestRead);
    start(transfer, upload, server.url("/held"), "quest");
    QVERIFY(arrived.wait(10000));
    transfer.abort();
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first(), (QVariantList{false, upload ? "quest" : "已取消"}));
    QVERIFY(!QFile::exists(path("down.bin")));
    if (upload) {
        QVERIFY(!throughput.isEmpty());
        QVERIFY(throughput.last().at(1).toLongLong() > body.size()); // the file inside its form
        QCOMPARE(throughput.last().at(3).toString(), QStringLiteral("quest"));
    }

    // Ready for the next one at once; its figures are its own.
    QSignalSpy next(&transfer, &FileTransfer::downloadCompleted);
    throughput.clear();
    transfer.postDownload(server.url("/after"), path("after.bin"), {}, "again");
    QVERIFY(next.wait(10000));
    QCOMPARE(next.last(), (QVariantList{true, "again"}));
    QCOMPARE(readAll(path("after.bin")), body);
    QVERIFY(!throughput.isEmpty());
    QCOMPARE(throughput.last().at(1).toLongLong(), qint64(body.size()));
    QVERIFY(throughput.last().at(0).toLongLong() <= body.size());
    QCOMPARE(throughput.last().at(3).toString(), QStringLiteral("again"));
    QCOMPARE(done.count(), upload ? 1 : 2); // nothing late from the aborted one
}

QTEST_GUILESS_MAIN(tst_FileTransfer)

#include "tst_filetransfer.moc"
