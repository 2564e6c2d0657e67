#pragma once

#include <QJsonObject>
#include <QString>

// What the ctest fixtures started: read from the files they leave in KXT_FIXTURE_DIR.
namespace Fixtures {

QString dir();

// sim.json: base_url, control_url, gateway_hosts, gateway_port, root, log (see simulator/README.md)
QJsonObject simulator();
QString simBaseUrl();

// sshd.json: host, port, user, password
QJsonObject sshd();

// POSTs JSON to the simulator's control interface and returns the parsed answer.
QJsonValue simControl(const QString &path, const QJsonObject &body = {});
// The simulator's request log, oldest first.
QJsonArray simRequestLog();

} // namespace Fixtures
