"""The platform web service: JSON endpoints, file endpoints and plain resources."""

import html
import re
import secrets
import time
from urllib.parse import quote

from . import assets
from .control import handle_control
from .httpcore import (BadRequest, Response, SimHandler, error_response, json_response,
                       text_response)
from .state import BOUGHT_FIELDS, format_time, public

# Sent before login (from the login page), so they go without a token.
OPEN_ENDPOINTS = {"/login", "/register", "/quenta/getversion"}
IMAGE_SIZES = {"getimg": (640, 360), "getthumb": (160, 90)}


def _text(body, key, required=True):
    value = body.get(key)
    if value is None and not required:
        return None
    if not isinstance(value, str):
        raise BadRequest("字段 %s 必须是字符串" % key)
    return value


def _port(value):
    try:
        port = int(str(value).strip())
    except ValueError:
        raise BadRequest("端口必须是 1 到 65535 之间的整数")
    if not 1 <= port <= 65535:
        raise BadRequest("端口必须是 1 到 65535 之间的整数")
    return port


class PlatformHandler(SimHandler):

    def is_control(self):
        return self.route_path == "/__sim" or self.route_path.startswith("/__sim/")

    def handle_control(self):
        handle_control(self)

    def route(self, record):
        path = self.route_path
        sim = self.server.sim
        if self.command == "GET":
            return self.resource(path)
        if self.command != "POST":
            return error_response(405, "不支持的请求方法")

        handler = JSON_ENDPOINTS.get(path)
        if handler is not None:
            body = self.json_object()
            if path in OPEN_ENDPOINTS:
                return handler(self, sim, None, body)
            account = sim.account_for(self.headers.get("Authorization", ""))
            if account is None:
                return error_response(401, "未登录或登录已过期")
            with sim.lock:
                return handler(self, sim, account, body)

        if path == "/quenta/download/all":
            return self.package(sim, self.json_object())
        if path == "/quenta/download":
            return self.client_package(sim, self.json_object())
        if path.startswith("/kxt/download/"):
            return self.plugin_file(sim, path[len("/kxt/download/"):], self.json_object())
        return error_response(404, "接口不存在")

    # -- table A -----------------------------------------------------------

    def login(self, sim, _account, body):
        token = sim.login(_text(body, "username"), _text(body, "password"))
        if token is None:
            return error_response(401, "账号或密码错误")
        return json_response({"code": 200, "message": "登录成功", "token": token})

    def register(self, sim, _account, body):
        username = body.get("username")
        password = body.get("password")
        phrase = body.get("qq")
        if not all(isinstance(value, str) for value in (username, password, phrase)):
            return text_response("注册信息不完整", 400)
        if not username.strip() or not password:
            return text_response("账号和密码不能为空", 400)
        if len(username) > 32 or not re.fullmatch(r"[\w.@-]+", username):
            return text_response("账号只能包含字母、数字、下划线、点、@ 和 -，且不超过32个字符", 400)
        if len(password) < 6:
            return text_response("密码至少需要6位", 400)
        if not phrase.strip():
            return text_response("请设置安全口令", 400)
        if not sim.register(username, password, phrase):
            return text_response("账号已存在", 400)
        return json_response({"code": 200, "message": "注册成功"})

    def version(self, sim, _account, _body):
        return json_response({"code": 200, "toolVer": sim.config["toolVer"],
                              "kxtVer": sim.config["kxtVer"], "jarVer": sim.config["jarVer"]})

    def server_catalogue(self, sim, _account, _body):
        return json_response({"code": 200, "list": [public(entry) for entry in sim.server_plugins]})

    def dual_catalogue(self, sim, _account, _body):
        return json_response({"code": 200, "data": {name: public(entry)
                                                    for name, entry in sim.dual_plugins.items()}})

    def advertisements(self, sim, _account, _body):
        chosen = sim.config.get("advertisements")
        return json_response({"code": 200, "list": sim.advertisements if chosen is None else chosen})

    def server_list(self, sim, account, _body):
        return json_response({"code": 200, "data": account["servers"]})

    def info(self, sim, account, _body):
        return json_response({"code": 200, "data": {"username": account["username"],
                                                    "uservip": account["uservip"],
                                                    "userpoints": account["userpoints"]}})

    def add_server(self, sim, account, body):
        ip = _text(body, "ip").strip()
        if not ip:
            raise BadRequest("服务器地址不能为空")
        record = {"serverIp": ip, "port": _port(body.get("port")),
                  "userName": _text(body, "username"), "password": _text(body, "password")}
        for index, existing in enumerate(account["servers"]):
            if existing["serverIp"] == ip:
                account["servers"][index] = record
                return json_response({"code": 200, "message": "服务器信息已更新"})
        account["servers"].append(record)
        return json_response({"code": 200, "message": "服务器已添加"})

    def delete_server(self, sim, account, body):
        ip = _text(body, "ip")
        kept = [server for server in account["servers"] if server["serverIp"] != ip]
        if len(kept) == len(account["servers"]):
            return error_response(404, "该服务器不在您的账号下")
        account["servers"] = kept
        return json_response({"code": 200, "message": "服务器已删除"})

    def bought_list(self, sim, account, body):
        ip = _text(body, "ip")
        data = {}
        for name, purchase in account["bought"].get(ip, {}).items():
            entry = sim.dual_entry(name) or {}
            record = {key: entry[key] for key in BOUGHT_FIELDS if key in entry}
            record.update(purchase)
            data[name] = record
        return json_response({"code": 200, "data": data})

    def buy(self, sim, account, body):
        name = _text(body, "projectName")
        ip = _text(body, "ip")
        entry = sim.dual_plugins.get(name)
        if entry is None:
            return json_response({"code": 404, "message": "插件不存在"})
        if not any(server["serverIp"] == ip for server in account["servers"]):
            return json_response({"code": 403, "message": "该服务器未登记在您的账号下"})
        owned = account["bought"].setdefault(ip, {})
        if name in owned:
            return json_response({"code": 409, "message": "该服务器已购买此插件,到期时间: "
                                  + owned[name]["endTime"]})
        price = int(entry.get("ProjectPrice") or 0)
        if account["userpoints"] < price:
            return json_response({"code": 402, "message": "贡献点不足,需要 %d 点" % price})
        account["userpoints"] -= price
        end_time = format_time(time.time() + int(sim.config["buy_days"]) * 86400)
        owned[name] = {"open": 1, "endTime": end_time}
        return json_response({"code": 200, "message": "购买成功", "data": {"endTime": end_time}})

    def switch(self, sim, account, body):
        ip = _text(body, "ip")
        name = _text(body, "projectName")
        state = body.get("open")
        if state not in (0, 1) or isinstance(state, bool):
            raise BadRequest("open 只能是 0 或 1")
        purchase = account["bought"].get(ip, {}).get(name)
        if purchase is None:
            return error_response(404, "该服务器未购买此插件")
        purchase["open"] = state
        return json_response({"code": 200, "message": "开启成功" if state else "已关闭"})

    def payment(self, sim, account, body):
        channel = body.get("type")
        price = body.get("price")
        if sim.config.get("payment_error"):
            return json_response({"code": 500, "data": sim.config["payment_error"]})
        if channel not in (1, 2) or isinstance(channel, bool):
            return json_response({"code": 400, "data": "不支持的支付方式"})
        if not isinstance(price, (int, float)) or isinstance(price, bool) or not 0 < price <= 10000:
            return json_response({"code": 400, "data": "赞助金额不正确"})
        order = secrets.token_hex(8)
        sim.orders[order] = {"username": account["username"], "type": channel, "price": price,
                             "paid": False}
        return json_response({"code": 200, "data": "%s/zf/pay/%s" % (sim.base_url, order)})

    # -- table B -----------------------------------------------------------

    def package(self, sim, body):
        key = body.get("key")
        version = {"kxt": sim.config["kxtVer"], "javap": sim.config["jarVer"],
                   "tool": sim.config["toolVer"]}.get(key)
        if version is None:
            return error_response(404, "没有这个安装包")
        padding = int(sim.config.get("archive_padding") or 0)
        build = {"kxt": sim.assets.kxt_package, "javap": sim.assets.javap_package,
                 "tool": sim.assets.tool_package}[key]
        name = {"kxt": "kx_t.tar", "javap": "RT.tar.gz", "tool": "Kxtbundle.zip"}[key]
        return self.file(build(str(version), padding), name)

    def client_package(self, sim, body):
        name = body.get("projectName")
        if name == "通用":
            return self.file(sim.assets.client_package(name, None), "客户端插件包.zip")
        entry = sim.dual_plugins.get(name) if isinstance(name, str) else None
        if entry is None:
            return error_response(404, "没有这个插件的导入包")
        return self.file(sim.assets.client_package(name, entry), "双端插件-%s导入包.zip" % name)

    def plugin_file(self, sim, tail, body):
        if "key" in body and body["key"] != tail:
            raise BadRequest("key 与请求路径不一致")
        project, separator, filename = tail.partition(":")
        entry = sim.server_plugin_map().get(project)
        if not separator or entry is None:
            return error_response(404, "插件不存在")
        files = ["Proj.ifo"] + list(entry.get("ProjectFiles", []))
        if entry.get("ProjectConfig"):
            files.append(entry["ProjectConfig"])
        if filename not in files:
            return error_response(404, "插件中没有这个文件")
        record = {key: value for key, value in public(entry).items() if key != "ProjectDetails"}
        return self.file(sim.assets.plugin_file(entry, filename, record), filename)

    @staticmethod
    def file(path, name):
        return Response(200, path=path, content_type="application/octet-stream",
                        headers={"Content-Disposition": "attachment; filename*=UTF-8''%s"
                                 % quote(name, safe="")})

    # -- table C -----------------------------------------------------------

    def resource(self, path):
        sim = self.server.sim
        match = re.fullmatch(r"/quenta/(getimg|getthumb)/([^/]+)/([^/]+)", path)
        if match:
            kind, project, image = match.groups()
            if project not in sim.dual_plugins and project not in sim.server_plugin_map():
                return error_response(404, "插件不存在")
            if not re.fullmatch(r"\d{1,3}", image):
                return error_response(404, "图片不存在")
            width, height = IMAGE_SIZES[kind]
            return Response(200, sim.assets.image(width, height, "%s/%s" % (project, image)), "image/png")
        match = re.fullmatch(r"/static/banners/(\d{1,2})\.png", path)
        if match:
            return Response(200, sim.assets.image(900, 300, "banner/" + match.group(1)), "image/png")
        match = re.fullmatch(r"/api/videos/([^/]+)/(\d{1,3})", path)
        if match:
            return self.video(sim, *match.groups())
        if path == "/quenta/download/sh":
            return text_response(assets.installer_script(sim.control_url, sim.gateways.port,
                                                         sim.config.get("installer_fail")),
                                 content_type="text/x-shellscript; charset=utf-8")
        match = re.fullmatch(r"/zf/pay/([0-9a-f]+)", path)
        if match:
            return self.payment_page(sim, match.group(1))
        return error_response(404, "资源不存在")

    def video(self, sim, project, index):
        if project not in sim.dual_plugins and project not in sim.server_plugin_map():
            return error_response(404, "插件不存在")
        # Every plugin shows the same short clip, one players decode and seek in: they
        # seek by asking for byte ranges, and one range of the small clip is enough.
        match = re.fullmatch(r"bytes=(\d+)-(\d*)", self.headers.get("Range", "").strip())
        if not match:
            return Response(200, path=assets.VIDEO_FILE, content_type="video/x-msvideo",
                            headers={"Accept-Ranges": "bytes"})
        with open(assets.VIDEO_FILE, "rb") as clip:
            data = clip.read()
        first = int(match.group(1))
        last = min(int(match.group(2)) if match.group(2) else len(data) - 1, len(data) - 1)
        if first > last:
            return Response(416, b"", "video/x-msvideo", headers={"Content-Range": "bytes */%d" % len(data)})
        return Response(206, data[first:last + 1], "video/x-msvideo",
                        headers={"Accept-Ranges": "bytes",
                                 "Content-Range": "bytes %d-%d/%d" % (first, last, len(data))})

    def payment_page(self, sim, order_id):
        order = sim.orders.get(order_id)
        if order is None:
            return error_response(404, "订单不存在")
        channel = "微信支付" if order["type"] == 1 else "支付宝"
        body = ("<p>订单号: %s</p><p>支付方式: %s</p><p>金额: %s 元</p><p>账号: %s</p>"
                % (order_id, channel, order["price"], html.escape(order["username"])))
        return text_response(assets.html_page("KXT 赞助订单", body), content_type="text/html; charset=utf-8")


JSON_ENDPOINTS = {
    "/login": PlatformHandler.login,
    "/register": PlatformHandler.register,
    "/quenta/getversion": PlatformHandler.version,
    "/kxt/getlist": PlatformHandler.server_catalogue,
    "/quenta/getProjectInfoList": PlatformHandler.dual_catalogue,
    "/kxt/getadvertisement": PlatformHandler.advertisements,
    "/quenta/buy": PlatformHandler.buy,
    "/quenta/getServerList": PlatformHandler.server_list,
    "/quenta/getInfo": PlatformHandler.info,
    "/quenta/addServer": PlatformHandler.add_server,
    "/quenta/deleteServer": PlatformHandler.delete_server,
    "/quenta/getUserProList": PlatformHandler.bought_list,
    "/quenta/setproopen": PlatformHandler.switch,
    "/zf/create": PlatformHandler.payment,
}


class MediaHandler(PlatformHandler):
    """The platform's videos again over plain HTTP: media players trust only the system's
    certificate authorities, never the simulator's own certificate."""

    def is_control(self):
        return False

    def route(self, record):
        if self.command != "GET" or not self.route_path.startswith("/api/videos/"):
            return error_response(404, "资源不存在")
        return self.resource(self.route_path)
