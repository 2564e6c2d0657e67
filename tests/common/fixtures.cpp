#include "fixtures.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QSignalSpy>

namespace {

QString dir()
{
    const QByteArray env = qgetenv("KXT_FIXTURE_DIR");
    return env.isEmpty() ? QStringLiteral(KXT_FIXTURE_DIR) : QString::fromLocal8Bit(env);
}

QByteArray request(const QString &path, const QByteArray &body, bool post)
{
    QNetworkAccessManager manager;
    QNetworkRequest req(QUrl(Fixtures::read(QStringLiteral("sim.json")).value("control_url").toString() + path));
    QSslConfiguration ssl = req.sslConfiguration();
    ssl.setPeerVerifyMode(QSslSocket::VerifyNone);
    req.setSslConfiguration(ssl);
    req.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    QNetworkReply *reply = post ? manager.post(req, body) : manager.get(req);
    QSignalSpy(reply, &QNetworkReply::finished).wait(10000);
    return reply->readAll(); // the manager takes the reply with it
}

} // namespace

namespace Fixtures {

QJsonObject read(const QString &name, bool required)
{
    QFile file(dir() + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly) && required)
        qFatal("fixture file %s is missing: is the fixture running?", qPrintable(file.fileName()));
    return file.isOpen() ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

QString simBaseUrl() { return read(QStringLiteral("sim.json")).value("base_url").toString(); }

void pointConsoleAtSimulator()
{
    const QJsonObject sim = read(QStringLiteral("sim.json"), false);
    if (sim.isEmpty())
        return;
    if (!qEnvironmentVariableIsSet("KXT_SERVER_URL"))
        qputenv("KXT_SERVER_URL", sim.value("base_url").toString().toLocal8Bit());
    if (!qEnvironmentVariableIsSet("KXT_CA_FILE"))
        qputenv("KXT_CA_FILE", sim.value("cert").toString().toLocal8Bit());
}

QJsonObject sshd() { return read(QStringLiteral("sshd.json")); }

QJsonValue simControl(const QString &path, const QJsonObject &body)
{
    const QByteArray answer = request(path, QJsonDocument(body).toJson(QJsonDocument::Compact), true);
    const QJsonDocument doc = QJsonDocument::fromJson(answer);
    return doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
}

QJsonArray simRequestLog()
{
    return QJsonDocument::fromJson(request(QStringLiteral("/log"), {}, false)).array();
}

} // namespace Fixtures
