"""The simulator's state: sample data, accounts and tokens, the account servers and
purchases, knobs, and one gateway state per address with its files under the root."""

import copy
import ipaddress
import json
import os
import secrets
import shutil
import threading
import time

from .assets import Assets
from .httpcore import FaultTable, RequestLog

DATA_DIR = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "data")
COMPONENTS = ("kxt", "javap", "java")
INSTALLED_FIELDS = ("ProjectName", "ProjectAuthor", "ProjectVersion", "ProjectDescribe",
                    "ProjectFiles", "ProjectConfig", "ProjectPrice", "isquenta")
BOUGHT_FIELDS = ("ProjectAuthor", "ProjectVersion", "ProjectDescribe", "ProjectFiles",
                 "ProjectPrice", "ProjectDetails")


def load_data(name, base_url, media_url=""):
    with open(os.path.join(DATA_DIR, name), encoding="utf-8") as source:
        text = source.read()
    return json.loads(text.replace("{base_url}", base_url).replace("{media_url}", media_url))


def public(entry):
    """A catalogue entry without the simulator's own fields (names starting with '_')."""
    return {key: value for key, value in entry.items() if not key.startswith("_")}


def format_time(seconds):
    return time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(seconds))


def is_loopback(host):
    try:
        return ipaddress.ip_address(host).is_loopback
    except ValueError:
        return False


class UnsafePath(Exception):
    pass


class GatewayState:
    """What one managed server's gateway knows. Installed plugins and configuration
    files live as real files under the gateway's folder, exactly where uploads put
    them, so an install through "/api/uploadfiles" shows up in the plugin list."""

    def __init__(self, sim, host, sample=None):
        self.sim = sim
        self.host = host
        self.folder = os.path.join(sim.root, host)
        self.lock = threading.RLock()
        self.sample = sample or {"running": False, "components": {}, "plugins": {}, "configs": {}}
        self.seed()

    @property
    def autostart(self):
        return bool(self.sample.get("running"))

    def seed(self):
        with self.lock:
            shutil.rmtree(self.folder, ignore_errors=True)
            os.makedirs(os.path.join(self.folder, "kx_t", "OfficialProject"))
            os.makedirs(os.path.join(self.folder, "kx_t", "OfficialConfig"))
            self.components = {name: self.sample.get("components", {}).get(name) for name in COMPONENTS}
            catalogue = self.sim.server_plugin_map()
            for name, override in self.sample.get("plugins", {}).items():
                record = {key: value for key, value in public(catalogue.get(name, {})).items()
                          if key in INSTALLED_FIELDS}
                record.update(override)
                record["ProjectName"] = name
                self.write_file("/kx_t/OfficialProject/%s/Proj.ifo" % name,
                                json.dumps(record, ensure_ascii=False, indent=2).encode("utf-8"))
                config = record.get("ProjectConfig")
                if config:
                    default = catalogue.get(name, {}).get("_config", {}).get("content", {})
                    sample_config = self.sample.get("configs", {}).get(config, {})
                    self.write_file("/kx_t/OfficialConfig/" + config,
                                    self.config_text(sample_config.get("current", default)))
                    if "backup" in sample_config:
                        self.write_file("/kx_t/OfficialConfig/" + config + ".old",
                                        self.config_text(sample_config["backup"]))

    @staticmethod
    def config_text(value):
        return (json.dumps(value, ensure_ascii=False, indent=4) + "\n").encode("utf-8")

    # -- paths ---------------------------------------------------------------

    def resolve(self, remote):
        """Where the server path `remote` lives under this gateway's folder.
        Names with '..' components, NUL bytes or backslashes are refused."""
        if not remote or "\x00" in remote or "\\" in remote:
            raise UnsafePath(remote)
        components = [piece for piece in remote.split("/") if piece not in ("", ".")]
        if not components or ".." in components:
            raise UnsafePath(remote)
        target = os.path.join(self.folder, *components)
        folder = os.path.realpath(self.folder)
        parent = os.path.realpath(os.path.dirname(target))
        if parent != folder and not parent.startswith(folder + os.sep):
            raise UnsafePath(remote)
        if os.path.islink(target):
            raise UnsafePath(remote)
        return target

    def write_file(self, remote, data):
        target = self.resolve(remote)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as out:
            out.write(data)

    def store(self, remote, temp_path):
        """Moves an uploaded part into place and updates what the gateway reports."""
        with self.lock:
            target = self.resolve(remote)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            os.replace(temp_path, target)
            return target

    # -- what the endpoints read --------------------------------------------

    def plugins(self):
        with self.lock:
            base = os.path.join(self.folder, "kx_t", "OfficialProject")
            records = []
            for name in sorted(os.listdir(base)) if os.path.isdir(base) else []:
                descriptor = os.path.join(base, name, "Proj.ifo")
                try:
                    with open(descriptor, encoding="utf-8") as source:
                        record = json.load(source)
                except (OSError, ValueError):
                    continue
                if not isinstance(record, dict):
                    continue
                record = {key: value for key, value in record.items() if key in INSTALLED_FIELDS}
                record["ProjectName"] = name
                records.append(record)
            return records

    def config_form(self, filename):
        for entry in self.sim.server_plugins:
            if entry.get("ProjectConfig") == filename:
                return entry.get("_config", {}).get("form", "base64")
        return "base64"

    def component_info(self, name):
        with self.lock:
            version = self.components.get(name)
            if version is None:
                return None
            return {"ProjectName": name, "ProjectVersion": version}

    def set_components(self, values):
        with self.lock:
            for name, version in values.items():
                if name in COMPONENTS:
                    self.components[name] = None if version in (None, "") else str(version)


class Sim:
    def __init__(self, base_url, control_url, work_dir, root, hosts, gateway_port, ssh,
                 media_url=""):
        self.base_url = base_url
        self.media_url = media_url
        self.control_url = control_url
        self.work_dir = work_dir
        self.root = root
        self.hosts = list(hosts)
        self.gateway_port = gateway_port
        self.ssh = ssh
        self.lock = threading.RLock()
        self.upload_tmp = os.path.join(work_dir, "incoming")
        os.makedirs(self.upload_tmp, exist_ok=True)
        os.makedirs(root, exist_ok=True)
        self.assets = Assets(os.path.join(work_dir, "cache"))
        self.requests = RequestLog(os.path.join(work_dir, "requests.jsonl"))
        self.faults = FaultTable()
        self.stall_release = threading.Event()
        self.gateway_states = {}
        self.reset()

    def reset(self):
        """Everything back to how the simulator started, except running listeners,
        which the gateway manager reconciles with `autostart` afterwards."""
        with self.lock:
            self.stall_release.set()
            self.stall_release = threading.Event()
            self.faults.clear()
            self.requests.clear()
            self.config = load_data("config.json", self.base_url)
            self.server_plugins = load_data("server_plugins.json", self.base_url, self.media_url)["list"]
            self.dual_plugins = load_data("dual_plugins.json", self.base_url, self.media_url)["data"]
            self.advertisements = load_data("advertisements.json", self.base_url)["list"]
            self.tokens = {}
            self.orders = {}
            self.accounts = {}
            samples = load_data("servers.json", self.base_url)[:len(self.hosts)]
            now = time.time()
            for account in load_data("accounts.json", self.base_url):
                servers, bought = [], {}
                if account.pop("sample_servers", False):
                    for host, sample in zip(self.hosts, samples):
                        servers.append(self.server_record(host))
                        bought[host] = {name: {"open": value["open"],
                                               "endTime": format_time(now + value["days"] * 86400)}
                                        for name, value in sample["bought"].items()}
                account["servers"] = servers
                account["bought"] = bought
                self.accounts[account["username"]] = account
            self.gateway_states = {}
            for host, sample in zip(self.hosts, samples):
                self.gateway_states[host] = GatewayState(self, host, sample["gateway"])
            for host in self.hosts[len(samples):]:
                self.gateway_states[host] = GatewayState(self, host)
            for name in os.listdir(self.root):
                if name not in self.gateway_states:
                    shutil.rmtree(os.path.join(self.root, name), ignore_errors=True)
            for name in os.listdir(self.upload_tmp):
                os.unlink(os.path.join(self.upload_tmp, name))

    def server_record(self, host):
        return {"serverIp": host, "port": self.ssh["port"],
                "userName": self.ssh["user"], "password": self.ssh["password"]}

    def server_plugin_map(self):
        return {entry["ProjectName"]: entry for entry in self.server_plugins}

    def gateway(self, host):
        """The state of the gateway at `host`, made on first use for new addresses."""
        with self.lock:
            if host not in self.gateway_states:
                self.gateway_states[host] = GatewayState(self, host)
            return self.gateway_states[host]

    # -- accounts ------------------------------------------------------------

    def login(self, username, password):
        with self.lock:
            account = self.accounts.get(username)
            if account is None or account["password"] != password:
                return None
            token = secrets.token_hex(24)
            self.tokens[token] = username
            return token

    def account_for(self, token):
        with self.lock:
            username = self.tokens.get(token)
            return self.accounts.get(username) if username else None

    def register(self, username, password, phrase):
        with self.lock:
            if username in self.accounts:
                return False
            self.accounts[username] = {"username": username, "password": password, "qq": phrase,
                                       "uservip": "普通会员", "userpoints": 0,
                                       "servers": [], "bought": {}}
            return True

    def dual_entry(self, name):
        entry = self.dual_plugins.get(name)
        return copy.deepcopy(public(entry)) if entry is not None else None
