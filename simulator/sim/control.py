"""The control interface tests use: reset, faults, the request log, knobs, the
gateways' listeners and states. It lives under "/__sim" on the platform's port and
is neither logged nor subject to faults."""

import json

from .httpcore import BadRequest, error_response, json_response

POINTS_FOR_PRICE = {10: 10, 50: 50, 200: 220, 500: 580}
CONFIG_KEYS = {"toolVer", "kxtVer", "jarVer", "archive_padding", "payment_error",
               "installer_fail", "buy_days", "advertisements"}


def _body(handler):
    length = handler.content_length()
    raw = handler.rfile.read(length) if length else b""
    if not raw.strip():
        return {}
    try:
        value = json.loads(raw.decode("utf-8"))
    except ValueError:
        raise BadRequest("请求体不是合法的JSON")
    if not isinstance(value, dict):
        raise BadRequest("请求体必须是JSON对象")
    return value


def _host(body):
    host = body.get("host")
    if not isinstance(host, str) or not host:
        raise BadRequest("缺少 host")
    return host


def gateway_summary(sim, host):
    state = sim.gateway(host)
    return {"host": host, "running": host in sim.gateways.running(),
            "components": state.components(), "plugins": state.plugins(),
            "folder": state.folder}


def handle_control(handler):
    sim = handler.server.sim
    path = handler.route_path[len("/__sim"):] or "/"
    try:
        body = _body(handler) if handler.command == "POST" else {}
        response = _dispatch(sim, handler, path, body)
    except BadRequest as error:
        response = error_response(error.status, str(error))
    handler.send(response)


def _dispatch(sim, handler, path, body):
    get = handler.command == "GET"
    if path in ("/", "/ping") and get:
        return json_response({"ok": True, "base_url": sim.base_url,
                              "gateways": sim.gateways.running()})
    if path == "/log" and get:
        since = int(handler.query.get("since", ["0"])[0] or 0)
        return json_response(sim.requests.snapshot(since))
    if path == "/faults" and get:
        return json_response(sim.faults.list())
    if path == "/config" and get:
        return json_response(sim.config)
    if path == "/gateway/state" and get:
        return json_response(gateway_summary(sim, handler.query.get("host", [""])[0] or sim.hosts[0]))
    if get:
        return error_response(404, "没有这个控制接口")

    if path == "/reset":
        sim.reset()
        sim.gateways.reconcile()
        return json_response({"ok": True})
    if path == "/fault":
        return json_response(sim.faults.add(body))
    if path == "/faults/clear":
        sim.faults.clear()
        return json_response({"ok": True})
    if path == "/log/clear":
        sim.requests.clear()
        return json_response({"ok": True})
    if path == "/config":
        unknown = set(body) - CONFIG_KEYS
        if unknown:
            raise BadRequest("未知的配置项: " + ", ".join(sorted(unknown)))
        with sim.lock:
            sim.config.update(body)
            return json_response(sim.config)
    if path == "/gateway/start":
        host = _host(body)
        started = sim.gateways.start(host)
        return json_response({"ok": True, "started": started, "host": host,
                              "port": sim.gateways.port})
    if path == "/gateway/stop":
        return json_response({"ok": True, "stopped": sim.gateways.stop(_host(body))})
    if path == "/gateway/state":
        host = _host(body)
        components = body.get("components", {})
        if not isinstance(components, dict):
            raise BadRequest("components 必须是对象")
        sim.gateway(host).set_components(components)
        return json_response(gateway_summary(sim, host))
    if path == "/pay":
        with sim.lock:
            order = sim.orders.get(body.get("order"))
            if order is None:
                return error_response(404, "订单不存在")
            if not order["paid"]:
                order["paid"] = True
                price = order["price"]
                sim.accounts[order["username"]]["userpoints"] += POINTS_FOR_PRICE.get(price, int(price))
            return json_response({"ok": True, "order": order})
    return error_response(404, "没有这个控制接口")
