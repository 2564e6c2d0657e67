"""The simulator's state: sample data, accounts and tokens, the account servers and
purchases, knobs, and one gateway state per address with its files under the root."""

import copy
import ipaddress
import json
import os
import secrets
import shutil
import tarfile
import threading
import time

from . import sandbox
from .assets import Assets
from .httpcore import FaultTable, RequestLog

DATA_DIR = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "data")
COMPONENTS = ("kxt", "javap", "java")
COMPONENT_FILES = {"kxt": "/kx_t/version", "javap": "/java_plugin/version"}
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
    """What one managed server's gateway knows, read from the server's root folder
    at every request: the framework from the unpacked /kx_t, the Java plugins from
    /java_plugin, the Java runtime from the marker yum leaves, plugins from their
    Proj.ifo files and configurations from /kx_t/OfficialConfig/. Whatever changes
    them (uploads, a shell in the sandbox, the control interface) shows at once.
    In a sandbox every file the gateway writes is handed to the login account."""

    def __init__(self, sim, host, sample=None, owner=None):
        self.sim = sim
        self.host = host
        self.folder = os.path.join(sim.root, host)
        self.owner = owner
        self.lock = threading.RLock()
        self.sample = sample or {"running": False, "components": {}, "plugins": {}, "configs": {}}
        self.seed()

    @property
    def autostart(self):
        return bool(self.sample.get("running"))

    def seed(self):
        """The sample state on disk, keeping (or repairing) a sandbox's system part."""
        with self.lock:
            os.makedirs(self.folder, exist_ok=True)
            if self.owner is not None:
                sandbox.repair_system(self.folder, self.host, self.owner)
            sandbox.clear_operator_state(self.folder)
            components = self.sample.get("components", {})
            self.set_components({name: components.get(name) for name in COMPONENTS})
            if components.get("javap"):
                self.write_file("/root/run", b"cd /java_plugin \n./Restart\n", 0o755)
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
        Names with '..' components, NUL bytes or backslashes are refused, and so
        is any path that leads through a symbolic link out of the folder or ends
        in one (the sandbox's shells may plant links; the gateway runs as root)."""
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

    def make_parent(self, target):
        relative = os.path.relpath(os.path.dirname(target), self.folder)
        if relative != ".":
            sandbox.make_dirs(self.folder, relative, self.owner)

    def hand_over(self, path):
        if self.owner is not None:
            os.lchown(path, *self.owner)

    def write_file(self, remote, data, mode=0o644):
        with self.lock:
            target = self.resolve(remote)
            self.make_parent(target)
            with open(target, "wb") as out:
                out.write(data)
            os.chmod(target, mode)
            self.hand_over(target)
            return target

    def read_text(self, remote, limit=4096):
        """The start of a small file inside the root, or None when it is missing
        or reached through a link."""
        try:
            with open(self.resolve(remote), "rb") as source:
                return source.read(limit).decode("utf-8", "replace")
        except (OSError, UnsafePath):
            return None

    def store(self, remote, temp_path):
        """Moves an uploaded part into place."""
        with self.lock:
            target = self.resolve(remote)
            self.make_parent(target)
            os.replace(temp_path, target)
            self.hand_over(target)
            return target

    # -- what the endpoints read --------------------------------------------

    def plugins(self):
        with self.lock:
            base = os.path.join(self.folder, "kx_t", "OfficialProject")
            records = []
            try:
                names = sorted(os.listdir(base)) if not os.path.islink(base) else []
            except OSError:
                names = []
            for name in names:
                text = self.read_text("/kx_t/OfficialProject/%s/Proj.ifo" % name, 1 << 20)
                try:
                    record = json.loads(text) if text is not None else None
                except ValueError:
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

    def version(self, name):
        """The installed version of a component as the files show it, or None."""
        if name == "java":
            text = self.read_text("/" + sandbox.JAVA_RELEASE) or ""
            for line in text.splitlines():
                key, _, value = line.partition("=")
                if key.strip() == "JAVA_VERSION":
                    return value.strip().strip('"') or None
            return None
        text = self.read_text(COMPONENT_FILES[name], 64)
        return text.strip() or None if text is not None else None

    def components(self):
        with self.lock:
            return {name: self.version(name) for name in COMPONENTS}

    def component_info(self, name):
        version = self.version(name)
        return None if version is None else {"ProjectName": name, "ProjectVersion": version}

    def set_components(self, values):
        """Installs (unpacks the real package of that version) or removes components,
        as an operator's commands would."""
        with self.lock:
            for name, version in values.items():
                if name not in COMPONENTS:
                    continue
                version = None if version in (None, "") else str(version)
                if name == "java":
                    self.remove("/" + sandbox.JAVA_RELEASE)
                    if version:
                        self.write_file("/" + sandbox.JAVA_RELEASE, ('JAVA_VERSION="%s"\n' % version).encode())
                elif name == "kxt":
                    self.remove(COMPONENT_FILES["kxt"])
                    if version:
                        self.unpack(self.sim.assets.kxt_package(version, 0), "/", "r:")
                else:
                    self.remove("/java_plugin")
                    if version:
                        self.unpack(self.sim.assets.javap_package(version, 0), "/java_plugin", "r:gz")

    def remove(self, remote):
        try:
            target = self.resolve(remote)
        except UnsafePath:
            return
        if os.path.isdir(target):
            shutil.rmtree(target, ignore_errors=True)
        elif os.path.lexists(target):
            os.unlink(target)

    def unpack(self, archive, remote_dir, mode):
        target = self.resolve(remote_dir) if remote_dir != "/" else self.folder
        os.makedirs(target, exist_ok=True)
        self.hand_over(target)
        with tarfile.open(archive, mode) as tar:
            members = tar.getmembers()
            for member in members:
                if not (member.isfile() or member.isdir()):
                    raise UnsafePath(member.name)
                self.resolve(remote_dir.rstrip("/") + "/" + member.name)
            if hasattr(tarfile, "data_filter"):
                tar.extractall(target, members=members, filter="data")
            else:
                # Debian 12's Python 3.11.2 predates extraction filters; the names were checked above.
                tar.extractall(target, members=members)
        for member in members:
            self.hand_over(os.path.join(target, member.name))
            parent = os.path.dirname(member.name)
            while parent:
                self.hand_over(os.path.join(target, parent))
                parent = os.path.dirname(parent)


class Sim:
    def __init__(self, base_url, control_url, work_dir, root, hosts, gateway_port, ssh,
                 media_url="", owner=None):
        self.base_url = base_url
        self.media_url = media_url
        # The login account of the sandboxed roots (uid, gid), or None without them.
        self.owner = owner
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
                self.gateway_states[host] = GatewayState(self, host, sample["gateway"], self.owner)
            for host in self.hosts[len(samples):]:
                self.gateway_states[host] = GatewayState(self, host, owner=self.owner)
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
