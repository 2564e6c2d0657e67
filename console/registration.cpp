#include "registration.h"

#include <QtQml>
#include <QSslConfiguration>

#include "filetransfer.h"
#include "jsonhighlighter.h"
#include "jsonprocessor.h"
#include "kxtapp.h"
#include "qmltool.h"
#include "sshmanager.h"
#include "terminaldocument.h"

namespace {

// KXT_SERVER_URL points the first service line at another platform (a staging
// service or the simulator). Trailing slashes are dropped: paths are appended to it.
QJSValue serviceLines(QQmlEngine *, QJSEngine *js)
{
    QString url = QString::fromLocal8Bit(qgetenv("KXT_SERVER_URL")).trimmed();
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    QJSValue lines = js->newObject();
    lines.setProperty(QStringLiteral("overrideUrl"), url);
    return lines;
}

// A platform with a private certificate (the simulator) is trusted through
// KXT_CA_FILE, a PEM file added to the system's authorities for every request.
void trustExtraAuthorities()
{
    const QString file = QString::fromLocal8Bit(qgetenv("KXT_CA_FILE"));
    if (file.isEmpty())
        return;
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    const QList<QSslCertificate> extra = QSslCertificate::fromPath(file, QSsl::Pem);
    if (extra.isEmpty()) {
        qWarning("KXT_CA_FILE: no certificate in %s", qPrintable(file));
        return;
    }
    config.setCaCertificates(QSslConfiguration::systemCaCertificates() + extra);
    QSslConfiguration::setDefaultConfiguration(config);
}

} // namespace

void registerConsoleTypes()
{
    trustExtraAuthorities();
    KxtApp::registerTypes();
    qmlRegisterType<JsonHighlighter>("JsonEditor", 1, 0, "JsonHighlighter");
    qmlRegisterType<JsonProcessor>("JsonEditor", 1, 0, "JsonProcessor");
    qmlRegisterSingletonInstance("SSHManager", 1, 0, "SSHManager", SSHManager::instance());
    qmlRegisterType<TerminalDocument>("TerminalDocument", 1, 0, "TerminalDocument");
    qmlRegisterSingletonInstance("QmlTool", 1, 0, "QmlTool", QmlTool::instance());
    qmlRegisterSingletonInstance("FileTransfer", 1, 0, "FileTransfer", FileTransfer::instance());
    qmlRegisterSingletonType("ServiceLines", 1, 0, "ServiceLines", serviceLines);
}
