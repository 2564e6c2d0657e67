#pragma once

#include <QJsonObject>
#include <QString>

// What the ctest fixtures started: read from the files they leave in KXT_FIXTURE_DIR.
namespace Fixtures {

// A fixture's file as JSON; when that fixture does not run, the test ends unless
// the file is not `required` (then it is empty).
QJsonObject read(const QString &name, bool required = true);

// sim.json: base_url, control_url, cert, gateway_hosts, gateway_port, root, roots (address ->
// that server's root folder), sandboxed, log (see simulator/README.md)
QString simBaseUrl();

// Points the console's first service line at the simulator and trusts its
// certificate (KXT_SERVER_URL, KXT_CA_FILE) when the simulator runs and the
// environment does not name another platform already.
void pointConsoleAtSimulator();

// sshd.json: host, port, user, password, hosts, roots (address -> the folder a login there
// sees as "/"), root_base, root_owner (see simulator/README.md, "Server roots")
QJsonObject sshd();

// POSTs JSON to the simulator's control interface and returns the parsed answer.
QJsonValue simControl(const QString &path, const QJsonObject &body = {});
// The simulator's request log, oldest first.
QJsonArray simRequestLog();

} // namespace Fixtures
