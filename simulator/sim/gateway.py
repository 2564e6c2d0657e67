"""The server gateway: plain HTTP on one port of several loopback addresses, one
state per address, plus the manager that opens and closes those listeners."""

import base64
import json
import os
import tarfile
import threading

from .httpcore import BadRequest, SimHandler, SimServer, error_response, json_response
from .state import UnsafePath, is_loopback

COMPONENT_PATHS = {"/getkxtinfo": "kxt", "/getjavapinfo": "javap", "/getjavainfo": "java"}
UPLOAD_PATH = "/api/uploadfiles"


def _archive_version(path, member, gz):
    """The version text a package carries in its `member` file, or None."""
    try:
        with tarfile.open(path, "r:gz" if gz else "r:") as tar:
            handle = tar.extractfile(member)
            if handle is None:
                return None
            return handle.read(64).decode("utf-8", "replace").strip() or None
    except (OSError, tarfile.TarError, KeyError, EOFError):
        return None


class GatewayHandler(SimHandler):
    upload_paths = (UPLOAD_PATH,)

    def route(self, record):
        try:
            return self.dispatch(record)
        except UnsafePath as error:
            return error_response(400, "非法的文件路径: %s" % error)

    def dispatch(self, record):
        if self.command not in ("POST", "GET"):
            return error_response(405, "不支持的请求方法")
        state = self.server.sim.gateway(self.local_host)
        path = self.route_path
        if path in COMPONENT_PATHS:
            self.json_object()
            return json_response({"code": 200, "info": state.component_info(COMPONENT_PATHS[path])})
        if path == "/api/hello":
            self.json_object()
            return json_response({"code": 200, "message": "hello", "host": state.host})
        if path == "/api/getallplugins":
            self.json_object()
            return json_response(state.plugins())
        if path == "/api/getpluginconfig":
            return self.read_config(state, self.config_name())
        if path == "/api/setpluginconfig":
            return self.write_config(state, self.config_name())
        if path == "/api/backuppluginconfig":
            return self.backup_config(state, self.json_object().get("filename"))
        if path == "/api/addrun":
            self.json_object()
            return self.add_run(state)
        if path == UPLOAD_PATH:
            return self.upload(state, record)
        return error_response(404, "接口不存在")

    def config_name(self):
        name = self.json_object().get("filename")
        if not isinstance(name, str) or not name:
            raise BadRequest("缺少配置文件名 filename")
        if "/" in name or "\\" in name or name in (".", "..") or "\x00" in name:
            raise BadRequest("非法的配置文件名")
        return name

    @staticmethod
    def config_paths(state, name):
        remote = "/kx_t/OfficialConfig/" + name
        return state.resolve(remote), state.resolve(remote + ".old")

    def read_config(self, state, name):
        current, backup = self.config_paths(state, name)
        with state.lock:
            if not os.path.isfile(current):
                return error_response(404, "配置文件不存在")
            texts = {"newcontent": _read(current)}
            if os.path.isfile(backup):
                texts["oldcontent"] = _read(backup)
        if state.config_form(name) == "json":
            try:
                return json_response({key: json.loads(value.decode("utf-8"))
                                      for key, value in texts.items()})
            except ValueError:
                return error_response(500, "配置文件不是合法的JSON")
        return json_response({key: base64.b64encode(value).decode("ascii")
                              for key, value in texts.items()})

    def write_config(self, state, name):
        config = self.json_object().get("config")
        if not isinstance(config, str):
            raise BadRequest("config 必须是配置文件的文本")
        if state.config_form(name) == "json":
            try:
                json.loads(config)
            except ValueError:
                raise BadRequest("配置不是合法的JSON")
        state.write_file("/kx_t/OfficialConfig/" + name, config.encode("utf-8"))
        return json_response({"code": 200, "message": "配置已保存"})

    def backup_config(self, state, name):
        if name in (None, ""):
            return json_response({"code": 200, "success": True, "message": "插件没有配置文件,无需备份"})
        name = self.config_name()
        current, backup = self.config_paths(state, name)
        with state.lock:
            if not os.path.isfile(current):
                return json_response({"code": 200, "success": True, "message": "配置文件不存在,无需备份"})
            state.write_file("/kx_t/OfficialConfig/%s.old" % name, _read(current))
        return json_response({"code": 200, "success": True, "message": "配置已备份", "backup": name + ".old"})

    def add_run(self, state):
        """Checks the uploaded framework package. What the server reports as its
        framework is what the shell then unpacks to /kx_t, not this request."""
        archive = state.resolve("/quenta/download/kx_t.tar")
        version = _archive_version(archive, "kx_t/version", gz=False) if os.path.isfile(archive) else None
        if version is None:
            return error_response(404, "没有找到可注册的 /quenta/download/kx_t.tar")
        return json_response({"code": 200, "message": "KX-T 已注册", "version": version})

    def upload(self, state, record):
        if self.command != "POST":
            return error_response(405, "上传必须使用 POST")
        files = [part for part in self.parts if part.filename is not None]
        if not files:
            raise BadRequest("没有收到文件")
        for part in files:
            state.resolve(part.filename)
        stored = []
        for part in files:
            state.store(part.filename, part.temp_path)
            stored.append(part.filename)
        record["stored"] = stored
        return json_response({"code": 200, "message": "上传成功", "files": stored})


def _read(path):
    with open(path, "rb") as source:
        return source.read()


class GatewayManager:
    """Opens and closes the gateway listeners. All share one port; port 0 asks for
    a port that is free on every address at once."""

    def __init__(self, sim, port):
        self.sim = sim
        self.port = port
        self.lock = threading.Lock()
        self.servers = {}

    def start(self, host):
        if not is_loopback(host):
            raise BadRequest("网关只能监听环回地址: %s" % host)
        with self.lock:
            if host in self.servers:
                return False
            server = SimServer((host, self.port), GatewayHandler, self.sim, "gateway")
            if self.port == 0:
                self.port = server.server_address[1]
            self.servers[host] = server
        self.sim.gateway(host)
        threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2},
                         name="gateway-" + host, daemon=True).start()
        return True

    def stop(self, host):
        with self.lock:
            server = self.servers.pop(host, None)
        if server is None:
            return False
        server.shutdown()
        server.server_close()
        return True

    def running(self):
        with self.lock:
            return sorted(self.servers)

    def reconcile(self):
        """Listeners back to the sample: running exactly where the sample says so."""
        wanted = {host for host, state in self.sim.gateway_states.items() if state.autostart}
        for host in self.running():
            if host not in wanted:
                self.stop(host)
        for host in sorted(wanted):
            self.start(host)

    def stop_all(self):
        for host in self.running():
            self.stop(host)
