#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "filetransfer.h"
#include "fixtures.h"

// The service against the simulator over real HTTPS (a self-signed certificate the
// service must accept) and plain HTTP gateways, checked from the simulator's side.
class tst_FileTransferSim : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void download_over_https_posts_the_key_without_a_token();
    void upload_reaches_the_gateway_as_one_file_part();

private:
    QJsonObject lastRecord(const QString &path) const;

    QScopedPointer<QTemporaryDir> m_dir;
    QString m_base;
};

void tst_FileTransferSim::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_base = Fixtures::simBaseUrl();
}

QJsonObject tst_FileTransferSim::lastRecord(const QString &path) const
{
    const QJsonArray log = Fixtures::simRequestLog();
    for (int i = log.size() - 1; i >= 0; --i) {
        if (log.at(i).toObject().value("path").toString() == path)
            return log.at(i).toObject();
    }
    return {};
}

void tst_FileTransferSim::download_over_https_posts_the_key_without_a_token()
{
    FileTransfer transfer;
    QSignalSpy done(&transfer, &FileTransfer::downloadCompleted);
    const QString save = m_dir->filePath("download/SignInReward.jar");
    transfer.postDownload(m_base + "/kxt/download/SignInReward:SignInReward.jar", save,
                          {{"key", "SignInReward:SignInReward.jar"}}, "quest");
    QVERIFY(done.wait(20000));
    QCOMPARE(done.first(), (QVariantList{true, "quest"}));

    QFile file(save);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(2) == "PK"); // the jar is a real zip

    const QJsonObject record = lastRecord("/kxt/download/SignInReward:SignInReward.jar");
    QCOMPARE(record.value("method").toString(), QStringLiteral("POST"));
    QCOMPARE(record.value("body").toObject(), (QJsonObject{{"key", "SignInReward:SignInReward.jar"}}));
    const QJsonObject headers = record.value("headers").toObject();
    for (auto it = headers.begin(); it != headers.end(); ++it) {
        QVERIFY2(it.key().compare("Authorization", Qt::CaseInsensitive) != 0, "a download carries no token");
        if (it.key().compare("Content-Type", Qt::CaseInsensitive) == 0)
            QCOMPARE(it.value().toString(), QStringLiteral("application/json"));
    }
}

void tst_FileTransferSim::upload_reaches_the_gateway_as_one_file_part()
{
    const QString gateway = Fixtures::simulator().value("gateway_hosts").toArray().at(1).toString();
    const int port = Fixtures::simulator().value("gateway_port").toInt();
    const QString local = m_dir->filePath("notes 说明.txt");
    QByteArray content;
    for (int i = 0; i < 20000; ++i)
        content += QByteArray::number(i) + '\n';
    QFile file(local);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    FileTransfer transfer;
    QSignalSpy done(&transfer, &FileTransfer::uploadCompleted);
    transfer.postUpload(QStringLiteral("http://%1:%2/api/uploadfiles").arg(gateway).arg(port), local,
                        "/kx_t/OfficialProject/TransferTest/", "quest");
    QVERIFY(done.wait(20000));
    QCOMPARE(done.first(), (QVariantList{true, "quest"}));
    QCOMPARE(transfer.uploadProgress(), 1.0);

    const QJsonArray parts = lastRecord("/api/uploadfiles").value("parts").toArray();
    QCOMPARE(parts.size(), 1);
    const QJsonObject part = parts.first().toObject();
    QCOMPARE(part.value("name").toString(), QStringLiteral("file"));
    QCOMPARE(part.value("filename").toString(), QStringLiteral("/kx_t/OfficialProject/TransferTest/notes 说明.txt"));
    QCOMPARE(part.value("content_type").toString(), QStringLiteral("application/octet-stream"));
    QCOMPARE(part.value("size").toInt(), content.size());
    QCOMPARE(part.value("sha256").toString(),
             QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex()));
}

QTEST_GUILESS_MAIN(tst_FileTransferSim)

#include "tst_filetransfer_sim.moc"
