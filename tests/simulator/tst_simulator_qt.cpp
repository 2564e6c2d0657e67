#include <QCryptographicHash>
#include <QEventLoop>
#include <QFile>
#include <QHttpMultiPart>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUuid>

#include "fixtures.h"

// What Qt's own network stack makes of the simulator: certificate trust through
// the file the state file names, and multipart bodies exactly as QHttpMultiPart
// builds them (quoted boundary, Content-Type before Content-Disposition).
class TestSimulatorQt : public QObject
{
    Q_OBJECT

private:
    QNetworkAccessManager manager;

    QNetworkReply *wait(QNetworkReply *reply)
    {
        QEventLoop loop;
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(15000, &loop, &QEventLoop::quit);
        loop.exec();
        return reply;
    }

private slots:
    void platform_certificate_verifies_with_the_named_authority()
    {
        const QJsonObject sim = Fixtures::simulator();
        QNetworkRequest request(QUrl(sim.value("base_url").toString() + "/quenta/getversion"));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
        ssl.setCaCertificates(QSslCertificate::fromPath(sim.value("cert").toString()));
        QVERIFY(!ssl.caCertificates().isEmpty());
        request.setSslConfiguration(ssl);

        QScopedPointer<QNetworkReply> reply(wait(manager.post(request, QByteArray("{}"))));
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
        QVERIFY(answer.contains("toolVer"));

        // A fresh connection, or the trusted session of the first request is reused.
        manager.clearConnectionCache();
        ssl.setCaCertificates({});
        request.setSslConfiguration(ssl);
        QScopedPointer<QNetworkReply> untrusted(wait(manager.post(request, QByteArray("{}"))));
        QCOMPARE(untrusted->error(), QNetworkReply::SslHandshakeFailedError);
    }

    void qt_multipart_upload_is_stored_at_its_path()
    {
        const QJsonObject sim = Fixtures::simulator();
        const QString host = sim.value("gateway_hosts").toArray().at(1).toString();
        const QString folder = "/kx_t/OfficialProject/QtCheck-" + QUuid::createUuid().toString(QUuid::Id128) + "/";
        QByteArray data;
        for (int i = 0; i < 300000; ++i)
            data.append(char(i * 7 % 251));
        data.append("\r\n--boundary_.oOo._ not a delimiter\r\n");

        QTemporaryDir scratch;
        QFile file(scratch.filePath("插件 数据.bin"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
        file.close();

        auto *multi = new QHttpMultiPart(QHttpMultiPart::FormDataType);
        QHttpPart part;
        part.setHeader(QNetworkRequest::ContentTypeHeader, "application/octet-stream");
        part.setHeader(QNetworkRequest::ContentDispositionHeader,
                       QString("form-data; name=\"file\"; filename=\"%1\"").arg(folder + "插件 数据.bin"));
        auto *body = new QFile(file.fileName(), multi);
        QVERIFY(body->open(QIODevice::ReadOnly));
        part.setBodyDevice(body);
        multi->append(part);
        QNetworkRequest request(QUrl(QString("http://%1:%2/api/uploadfiles")
                                         .arg(host).arg(sim.value("gateway_port").toInt())));
        QScopedPointer<QNetworkReply> reply(wait(manager.post(request, multi)));
        multi->setParent(reply.data());
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);

        QFile stored(sim.value("root").toString() + "/" + host + folder + "插件 数据.bin");
        QVERIFY2(stored.open(QIODevice::ReadOnly), qPrintable(stored.fileName()));
        QCOMPARE(stored.readAll(), data);

        QJsonObject logged;
        for (const QJsonValue &record : Fixtures::simRequestLog()) {
            const QJsonArray parts = record.toObject().value("parts").toArray();
            if (!parts.isEmpty() && parts.at(0).toObject().value("filename").toString().startsWith(folder))
                logged = parts.at(0).toObject();
        }
        QCOMPARE(logged.value("name").toString(), QString("file"));
        QCOMPARE(logged.value("content_type").toString(), QString("application/octet-stream"));
        QCOMPARE(logged.value("size").toInt(), data.size());
        QCOMPARE(logged.value("sha256").toString(),
                 QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex()));
    }
};

QTEST_GUILESS_MAIN(TestSimulatorQt)

#include "tst_simulator_qt.moc"
