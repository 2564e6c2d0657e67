"""Protocol tests of the simulator over real HTTPS and HTTP on loopback. The suite
starts its own instance (free platform port, a random loopback block for the
gateways), so its resets and faults never disturb tests that share the fixture."""

import base64
import hashlib
import http.client
import io
import json
import os
import shutil
import socket
import ssl
import struct
import subprocess
import sys
import tarfile
import tempfile
import time
import unittest
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(TOP, "tests", "fixtures"))
import fixturelib  # noqa: E402

SIMULATOR = os.path.join(TOP, "simulator", "kxtsim.py")
DEMO = {"username": "demo", "password": "kxt2025"}
TIMEOUT = 10


class Answer:
    def __init__(self, status, headers, body):
        self.status = status
        self.headers = headers
        self.body = body

    def json(self):
        return json.loads(self.body.decode("utf-8"))


class Simulator:
    """One simulator process for the whole suite."""

    def start(self):
        self.folder = tempfile.mkdtemp(prefix="kxtsim-test-")
        self.state_file = os.path.join(self.folder, "sim.json")
        hosts = fixturelib.free_host_block()
        self.process = subprocess.Popen(
            [sys.executable, SIMULATOR, "--state-file", self.state_file, "--port", "0",
             "--gateway-hosts", ",".join(hosts), "--gateway-port", "0",
             "--ssh-port", "2222", "--ssh-user", "operator", "--ssh-password", "pw-123"],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        state = fixturelib.poll(lambda: self.process.poll() is None
                                and fixturelib.read_json(self.state_file), 30)
        if not state:
            self.stop()
            raise RuntimeError("the simulator did not start: %s" % self.process.stdout.read())
        self.state = state
        self.base = state["base_url"]
        self.control = state["control_url"]
        self.hosts = state["gateway_hosts"]
        self.port = state["gateway_port"]

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process.stdout.close()
        shutil.rmtree(self.folder, ignore_errors=True)


SIM = Simulator()


def setUpModule():
    SIM.start()


def tearDownModule():
    SIM.stop()


def fetch(url, body=None, method=None, headers=None, raw=None, timeout=TIMEOUT):
    """One request on a fresh connection; `body` is sent as JSON, `raw` as is."""
    scheme, rest = url.split("://", 1)
    netloc, _, path = rest.partition("/")
    host, port = netloc.rsplit(":", 1)
    if scheme == "https":
        connection = http.client.HTTPSConnection(host, int(port), timeout=timeout,
                                                 context=ssl._create_unverified_context())
    else:
        connection = http.client.HTTPConnection(host, int(port), timeout=timeout)
    payload = raw if raw is not None else (None if body is None else json.dumps(body).encode())
    all_headers = {"Content-Type": "application/json"}
    all_headers.update(headers or {})
    try:
        connection.request(method or ("POST" if payload is not None else "GET"), "/" + path,
                           body=payload, headers=all_headers)
        response = connection.getresponse()
        return Answer(response.status, dict(response.getheaders()), response.read())
    finally:
        connection.close()


def platform(path, body=None, token=None, **kwargs):
    headers = {"Authorization": token} if token else {}
    return fetch(SIM.base + path, {} if body is None else body, headers=headers, **kwargs)


def gateway(host, path, body=None, **kwargs):
    return fetch("http://%s:%d%s" % (host, SIM.port, path), {} if body is None else body, **kwargs)


def control(path, body=None):
    """GET for the read-only control paths, POST (with `body` or {}) for the rest."""
    read_only = body is None and path in ("/log", "/faults", "/config")
    answer = fetch(SIM.control + path, None if read_only else (body or {}))
    if answer.status != 200:
        raise AssertionError("control %s answered %d: %s" % (path, answer.status, answer.body))
    return answer.json()


def login(username="demo", password="kxt2025"):
    return platform("/login", {"username": username, "password": password}).json()["token"]


def multipart(parts, boundary="kxtBoundary7MA4YWxkTrZu0gW"):
    """A body shaped like the console's uploads: Content-Type before Content-Disposition."""
    out = io.BytesIO()
    for name, filename, data in parts:
        out.write(b"--" + boundary.encode() + b"\r\n")
        out.write(b"Content-Type: application/octet-stream\r\n")
        out.write(('Content-Disposition: form-data; name="%s"; filename="%s"\r\n\r\n'
                   % (name, filename)).encode("utf-8"))
        out.write(data + b"\r\n")
    out.write(b"--" + boundary.encode() + b"--\r\n")
    return out.getvalue(), "multipart/form-data; boundary=" + boundary


def upload(host, parts):
    body, content_type = multipart(parts)
    return gateway(host, "/api/uploadfiles", raw=body, headers={"Content-Type": content_type})


def png_size(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    return struct.unpack(">II", data[16:24])


class SimTestCase(unittest.TestCase):
    def setUp(self):
        control("/reset")
        self.token = login()


class AccountTests(SimTestCase):
    def test_login_gives_a_token_and_refuses_wrong_passwords(self):
        self.assertRegex(self.token, r"^[0-9a-f]{48}$")
        for body in ({"username": "demo", "password": "wrong"},
                     {"username": "nobody", "password": "kxt2025"},
                     {"username": "", "password": ""}):
            with self.subTest(body=body):
                self.assertEqual(platform("/login", body).status, 401)
        self.assertEqual(platform("/login", raw=b"{not json").status, 400)

    def test_every_endpoint_after_login_needs_the_token_itself(self):
        endpoints = ["/kxt/getlist", "/quenta/getProjectInfoList", "/kxt/getadvertisement",
                     "/quenta/getServerList", "/quenta/getInfo", "/quenta/getUserProList",
                     "/quenta/buy", "/quenta/addServer", "/quenta/deleteServer",
                     "/quenta/setproopen", "/zf/create"]
        for path in endpoints:
            with self.subTest(path=path):
                self.assertEqual(platform(path).status, 401)
                self.assertEqual(platform(path, token="Bearer " + self.token).status, 401)
                self.assertEqual(platform(path, token=self.token[:-1]).status, 401)
        for path in ("/kxt/getlist", "/quenta/getServerList", "/quenta/getInfo"):
            with self.subTest(path=path):
                self.assertEqual(platform(path, token=self.token).status, 200)
        self.assertEqual(platform("/quenta/getversion").status, 200)

    def test_sign_up_refusals_are_plain_text_and_a_new_account_starts_empty(self):
        cases = [({"username": "demo", "password": "secret1", "qq": "x"}, "账号已存在"),
                 ({"username": "", "password": "secret1", "qq": "x"}, "账号和密码不能为空"),
                 ({"username": "newbie", "password": "123", "qq": "x"}, "密码至少需要6位"),
                 ({"username": "newbie", "password": "secret1"}, "注册信息不完整"),
                 ({"username": "new bie", "password": "secret1", "qq": "x"}, "账号只能包含")]
        for body, text in cases:
            with self.subTest(body=body):
                answer = platform("/register", body)
                self.assertEqual(answer.status, 400)
                self.assertIn(text, answer.body.decode("utf-8"))
        self.assertEqual(platform("/register", {"username": "newbie", "password": "secret1",
                                                "qq": "口令"}).status, 200)
        token = login("newbie", "secret1")
        self.assertEqual(platform("/quenta/getServerList", token=token).json()["data"], [])
        self.assertEqual(platform("/quenta/getInfo", token=token).json()["data"],
                         {"username": "newbie", "uservip": "普通会员", "userpoints": 0})

    def test_sample_servers_point_at_the_gateways_with_the_ssh_account(self):
        servers = platform("/quenta/getServerList", token=self.token).json()["data"]
        self.assertEqual([server["serverIp"] for server in servers], SIM.hosts[:3])
        for server in servers:
            self.assertEqual((server["port"], server["userName"], server["password"]),
                             (2222, "operator", "pw-123"))

    def test_add_replaces_the_entry_with_the_same_ip_and_delete_removes_it(self):
        def servers():
            return platform("/quenta/getServerList", token=self.token).json()["data"]
        new = {"ip": "203.0.113.7", "port": "2200", "username": "admin", "password": "p1"}
        self.assertEqual(platform("/quenta/addServer", new, token=self.token).status, 200)
        self.assertEqual(len(servers()), 4)
        edited = dict(new, port="22", password="p2")
        self.assertEqual(platform("/quenta/addServer", edited, token=self.token).status, 200)
        self.assertEqual(servers()[-1], {"serverIp": "203.0.113.7", "port": 22,
                                         "userName": "admin", "password": "p2"})
        self.assertEqual(len(servers()), 4)
        for bad in (dict(new, port="0"), dict(new, port="70000"), dict(new, port="abc"),
                    dict(new, ip=" "), dict(new, username=None)):
            with self.subTest(bad=bad):
                self.assertEqual(platform("/quenta/addServer", bad, token=self.token).status, 400)
        self.assertEqual(platform("/quenta/deleteServer", {"ip": "203.0.113.7"}, token=self.token).status, 200)
        self.assertEqual(platform("/quenta/deleteServer", {"ip": "203.0.113.7"}, token=self.token).status, 404)
        self.assertEqual([server["serverIp"] for server in servers()], SIM.hosts[:3])


class CatalogueTests(SimTestCase):
    def test_server_catalogue_covers_the_cases_the_console_handles(self):
        entries = platform("/kxt/getlist", token=self.token).json()["list"]
        self.assertGreaterEqual(len(entries), 8)
        for entry in entries:
            self.assertLessEqual({"ProjectName", "ProjectAuthor", "ProjectDescribe", "ProjectVersion",
                                  "ProjectFiles", "ProjectConfig", "ProjectDetails", "isquenta"},
                                 set(entry))
            self.assertFalse([key for key in entry if key.startswith("_")])
        self.assertTrue(any(entry["isquenta"] for entry in entries))
        self.assertTrue(any(entry["ProjectConfig"] for entry in entries))
        self.assertTrue(any(".json" in name and not name.endswith(".json")
                            for entry in entries for name in entry["ProjectFiles"]))
        kinds = {block["type"] for entry in entries for block in entry["ProjectDetails"]}
        self.assertEqual(kinds, {"str", "img", "mov"})
        installed = {record["ProjectName"]: record["ProjectVersion"]
                     for record in gateway(SIM.hosts[0], "/api/getallplugins").json()}
        newer = [entry["ProjectName"] for entry in entries if entry["ProjectName"] in installed
                 and float(entry["ProjectVersion"]) > float(installed[entry["ProjectName"]])]
        self.assertTrue(newer)

    def test_dual_catalogue_has_free_aliased_and_illustrated_plugins(self):
        data = platform("/quenta/getProjectInfoList", token=self.token).json()["data"]
        self.assertGreaterEqual(len(data), 4)
        self.assertTrue(any(entry["ProjectAuthor"] == "0" for entry in data.values()))
        self.assertTrue(any(entry["ProjectAlias"] for entry in data.values()))
        self.assertTrue(any(entry["ProjectAlias"] == "" for entry in data.values()))
        videos = [(name, block) for name, entry in data.items()
                  for block in entry["ProjectDetails"] if block["type"] == "mov"]
        self.assertTrue(videos)
        for name, block in videos:
            self.assertLessEqual({"width", "height", "index", "content"}, set(block))
            # The block's own address is the plain-HTTP copy media players can reach.
            for url in (block["content"], SIM.base + "/api/videos/%s/%d" % (name, block["index"])):
                video = fetch(url)
                self.assertEqual(video.headers["Content-Type"], "video/x-msvideo", url)
                self.assertEqual(video.body[8:12], b"AVI ", url)
                # Players seek through byte ranges.
                part = fetch(url, headers={"Range": "bytes=8-11"})
                self.assertEqual((part.status, part.body), (206, b"AVI "), url)
                self.assertEqual(part.headers["Content-Range"], "bytes 8-11/%d" % len(video.body))
        for name, entry in data.items():
            for block in entry["ProjectDetails"]:
                if block["type"] == "img":
                    for kind, size in (("getimg", (640, 360)), ("getthumb", (160, 90))):
                        image = fetch(SIM.base + "/quenta/%s/%s/%s" % (kind, name, block["content"]))
                        self.assertEqual(png_size(image.body), size)

    def test_banners_and_images_are_real_pngs(self):
        adverts = platform("/kxt/getadvertisement", token=self.token).json()["list"]
        self.assertGreaterEqual(len(adverts), 2)
        for advert in adverts:
            self.assertTrue(advert["linkUrl"].startswith("https://"))
            answer = fetch(SIM.base + advert["imageurl"])
            self.assertEqual(answer.headers["Content-Type"], "image/png")
            self.assertEqual(int(answer.headers["Content-Length"]), len(answer.body))
            self.assertEqual(png_size(answer.body), (900, 300))
        self.assertEqual(fetch(SIM.base + "/quenta/getimg/NoSuchPlugin/0").status, 404)
        self.assertEqual(fetch(SIM.base + "/quenta/getimg/GuildWar/x").status, 404)

    def test_tool_version_follows_the_knob(self):
        for version in ("2.9", "2.8", "2.10"):
            control("/config", {"toolVer": version})
            self.assertEqual(platform("/quenta/getversion").json()["toolVer"], version)
        self.assertEqual(fetch(SIM.control + "/config", {"toolVersion": "3"}).status, 400)


class PurchaseTests(SimTestCase):
    def test_a_purchase_charges_points_and_a_second_one_is_refused(self):
        ip = SIM.hosts[1]
        points = platform("/quenta/getInfo", token=self.token).json()["data"]["userpoints"]
        first = platform("/quenta/buy", {"projectName": "FashionShow", "ip": ip}, token=self.token).json()
        self.assertEqual(first["code"], 200)
        self.assertRegex(first["data"]["endTime"], r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$")
        self.assertEqual(platform("/quenta/getInfo", token=self.token).json()["data"]["userpoints"],
                         points - 50)
        second = platform("/quenta/buy", {"projectName": "FashionShow", "ip": ip}, token=self.token)
        self.assertEqual(second.status, 200)
        self.assertNotEqual(second.json()["code"], 200)
        self.assertIn("已购买", second.json()["message"])
        bought = platform("/quenta/getUserProList", {"ip": ip}, token=self.token).json()["data"]
        self.assertEqual(bought["FashionShow"]["open"], 1)
        self.assertEqual(bought["FashionShow"]["endTime"], first["data"]["endTime"])
        self.assertIn("ProjectDetails", bought["FashionShow"])

    def test_purchases_are_refused_for_unknown_plugins_foreign_servers_and_short_balances(self):
        platform("/register", {"username": "poor", "password": "secret1", "qq": "q"})
        poor = login("poor", "secret1")
        platform("/quenta/addServer", {"ip": "198.51.100.4", "port": 22, "username": "u",
                                       "password": "p"}, token=poor)
        cases = [(self.token, "NoSuchPlugin", SIM.hosts[0], 404),
                 (self.token, "GuildWar", "198.51.100.99", 403),
                 (poor, "FashionShow", "198.51.100.4", 402)]
        for token, name, ip, code in cases:
            with self.subTest(name=name, ip=ip):
                answer = platform("/quenta/buy", {"projectName": name, "ip": ip}, token=token).json()
                self.assertEqual(answer["code"], code)
                self.assertTrue(answer["message"])
        free = platform("/quenta/buy", {"projectName": "PetSystem", "ip": "198.51.100.4"}, token=poor)
        self.assertEqual(free.json()["code"], 200)

    def test_switch_changes_the_bought_record(self):
        ip = SIM.hosts[0]
        for state in (0, 1):
            answer = platform("/quenta/setproopen", {"ip": ip, "projectName": "GuildWar", "open": state},
                              token=self.token)
            self.assertEqual(answer.status, 200)
            bought = platform("/quenta/getUserProList", {"ip": ip}, token=self.token).json()["data"]
            self.assertEqual(bought["GuildWar"]["open"], state)
        self.assertEqual(platform("/quenta/setproopen", {"ip": ip, "projectName": "MountRace", "open": 1},
                                  token=self.token).status, 404)
        self.assertEqual(platform("/quenta/setproopen", {"ip": ip, "projectName": "GuildWar", "open": 2},
                                  token=self.token).status, 400)

    def test_payment_answers_an_https_page_or_an_error_text(self):
        answer = platform("/zf/create", {"type": 1, "price": 200}, token=self.token).json()
        self.assertTrue(answer["data"].startswith(SIM.base + "/zf/pay/"))
        page = fetch(answer["data"])
        self.assertEqual(page.status, 200)
        self.assertIn("微信支付", page.body.decode("utf-8"))
        points = platform("/quenta/getInfo", token=self.token).json()["data"]["userpoints"]
        control("/pay", {"order": answer["data"].rsplit("/", 1)[1]})
        self.assertEqual(platform("/quenta/getInfo", token=self.token).json()["data"]["userpoints"],
                         points + 220)
        for body in ({"type": 3, "price": 10}, {"type": 2, "price": -5}):
            with self.subTest(body=body):
                self.assertNotIn("https", platform("/zf/create", body, token=self.token).json()["data"])
        control("/config", {"payment_error": "支付通道维护中"})
        self.assertEqual(platform("/zf/create", {"type": 2, "price": 10}, token=self.token).json()["data"],
                         "支付通道维护中")


class FileEndpointTests(SimTestCase):
    def download(self, path, body):
        answer = platform(path, body)
        self.assertEqual(answer.status, 200, answer.body[:200])
        self.assertEqual(int(answer.headers["Content-Length"]), len(answer.body))
        return answer.body

    def test_packages_are_real_archives_of_the_announced_versions(self):
        with tarfile.open(fileobj=io.BytesIO(self.download("/quenta/download/all", {"key": "kxt"}))) as tar:
            self.assertEqual(tar.extractfile("kx_t/version").read().strip(), b"1.6")
        with tarfile.open(fileobj=io.BytesIO(self.download("/quenta/download/all", {"key": "javap"})),
                          mode="r:gz") as tar:
            self.assertIn("Restart", tar.getnames())
        control("/config", {"toolVer": "2.9"})
        with zipfile.ZipFile(io.BytesIO(self.download("/quenta/download/all", {"key": "tool"}))) as archive:
            self.assertIsNone(archive.testzip())
            self.assertEqual(archive.read("update/version.txt").strip(), b"2.9")
        for body in ({"key": "nope"}, {}):
            self.assertEqual(platform("/quenta/download/all", body).status, 404)

    def test_padding_knob_grows_the_packages(self):
        control("/config", {"archive_padding": 3 * 1024 * 1024})
        body = self.download("/quenta/download/all", {"key": "tool"})
        self.assertGreater(len(body), 3 * 1024 * 1024)

    def test_plugin_files_and_client_packages(self):
        descriptor = json.loads(self.download("/kxt/download/AutoAnnounce:Proj.ifo",
                                              {"key": "AutoAnnounce:Proj.ifo"}))
        self.assertEqual(descriptor["ProjectName"], "AutoAnnounce")
        config = json.loads(self.download("/kxt/download/AutoAnnounce:AutoAnnounce.json",
                                          {"key": "AutoAnnounce:AutoAnnounce.json"}))
        self.assertIn("messages", config)
        jar = self.download("/kxt/download/AutoAnnounce:AutoAnnounce.jar", {"key": "AutoAnnounce:AutoAnnounce.jar"})
        with zipfile.ZipFile(io.BytesIO(jar)) as archive:
            self.assertIn("META-INF/MANIFEST.MF", archive.namelist())
        cases = [("/kxt/download/AutoAnnounce:Other.jar", {"key": "AutoAnnounce:Other.jar"}, 404),
                 ("/kxt/download/Nope:Proj.ifo", {"key": "Nope:Proj.ifo"}, 404),
                 ("/kxt/download/AutoAnnounce:Proj.ifo", {"key": "ShopGui:Proj.ifo"}, 400)]
        for path, body, status in cases:
            with self.subTest(path=path):
                self.assertEqual(platform(path, body).status, status)
        for name in ("通用", "GuildWar"):
            with zipfile.ZipFile(io.BytesIO(self.download("/quenta/download", {"projectName": name}))) as archive:
                self.assertIsNone(archive.testzip())
        self.assertEqual(platform("/quenta/download", {"projectName": "Nope"}).status, 404)


class GatewayTests(SimTestCase):
    def test_components_are_null_until_installed(self):
        first, second = SIM.hosts[0], SIM.hosts[1]
        self.assertEqual(gateway(first, "/getkxtinfo").json()["info"]["ProjectVersion"], "1.5")
        self.assertIsNone(gateway(second, "/getjavapinfo").json()["info"])
        self.assertIsNone(gateway(second, "/getjavainfo").json()["info"])
        control("/gateway/state", {"host": second, "components": {"java": "17.0.9"}})
        self.assertEqual(gateway(second, "/getjavainfo").json()["info"]["ProjectVersion"], "17.0.9")

    def test_third_sample_gateway_is_down_until_started(self):
        third = SIM.hosts[2]
        with self.assertRaises(ConnectionRefusedError):
            gateway(third, "/api/hello")
        control("/gateway/start", {"host": third})
        self.assertEqual(gateway(third, "/api/hello").json()["host"], third)
        control("/reset")
        with self.assertRaises(ConnectionRefusedError):
            gateway(third, "/api/hello")

    def test_components_are_what_the_server_folder_holds(self):
        host = SIM.hosts[1]
        folder = os.path.join(SIM.state["root"], host)
        self.assertEqual(gateway(host, "/api/addrun").status, 404)
        for key, name, target in (("kxt", "kx_t.tar", folder), ("javap", "RT.tar.gz", os.path.join(folder, "java_plugin"))):
            upload(host, [("file", "/quenta/download/" + name, platform("/quenta/download/all", {"key": key}).body)])
            with tarfile.open(os.path.join(folder, "quenta", "download", name)) as tar:
                tar.extractall(target, filter="data")
        self.assertEqual(gateway(host, "/api/addrun").status, 200)
        self.assertEqual(gateway(host, "/getjavapinfo").json()["info"]["ProjectVersion"], "3.2")
        os.unlink(os.path.join(folder, "kx_t", "version"))
        self.assertIsNone(gateway(host, "/getkxtinfo").json()["info"])
        # The folder may belong to a sandboxed shell: links out of it are not followed.
        secret = os.path.join(SIM.folder, "secret")
        with open(secret, "w") as out:
            out.write("9.9\n")
        os.symlink(secret, os.path.join(folder, "kx_t", "version"))
        self.assertIsNone(gateway(host, "/getkxtinfo").json()["info"])

    def test_uploads_land_at_their_path_under_the_gateway_folder(self):
        host = SIM.hosts[1]
        data = os.urandom(3 * 1024 * 1024 + 17)
        answer = upload(host, [("file", "/kx_t/OfficialProject/ShopGui/ShopGui.jar", data)])
        self.assertEqual(answer.status, 200)
        stored = os.path.join(SIM.state["root"], host, "kx_t", "OfficialProject", "ShopGui", "ShopGui.jar")
        with open(stored, "rb") as source:
            self.assertEqual(hashlib.sha256(source.read()).digest(), hashlib.sha256(data).digest())
        upload(host, [("file", "plain.txt", b"no directory")])
        self.assertTrue(os.path.isfile(os.path.join(SIM.state["root"], host, "plain.txt")))
        record = control("/log")[-1]
        self.assertEqual(record["path"], "/api/uploadfiles")
        self.assertEqual(record["parts"][0]["filename"], "plain.txt")
        self.assertEqual(record["parts"][0]["content_type"], "application/octet-stream")
        self.assertEqual(record["parts"][0]["size"], len(b"no directory"))

    def test_path_escapes_are_refused_and_nothing_is_written(self):
        host = SIM.hosts[0]
        root = SIM.state["root"]
        before = sorted(os.listdir(os.path.dirname(root)))
        for name in ("/../escape.txt", "../escape.txt", "/kx_t/../../escape.txt", "/a/./../../escape.txt",
                     "..", "/", "dir\\..\\escape.txt", ""):
            with self.subTest(name=name):
                answer = upload(host, [("file", name, b"payload")])
                self.assertEqual(answer.status, 400)
        self.assertEqual(sorted(os.listdir(os.path.dirname(root))), before)
        self.assertFalse([name for name in os.listdir(os.path.join(SIM.folder, "sim.json.d", "incoming"))])
        link = os.path.join(root, host, "kx_t", "outside")
        os.symlink(SIM.folder, link)
        self.assertEqual(upload(host, [("file", "/kx_t/outside/escape.txt", b"x")]).status, 400)
        self.assertFalse(os.path.exists(os.path.join(SIM.folder, "escape.txt")))

    def test_an_upload_cut_short_stores_nothing_and_the_gateway_goes_on(self):
        host = SIM.hosts[1]
        body, content_type = multipart([("file", "/quenta/download/cut.bin", os.urandom(200000))])
        with socket.create_connection((host, SIM.port), timeout=TIMEOUT) as raw:
            raw.sendall(("POST /api/uploadfiles HTTP/1.1\r\nHost: %s\r\nContent-Type: %s\r\n"
                         "Content-Length: %d\r\n\r\n" % (host, content_type, len(body))).encode())
            raw.sendall(body[:len(body) // 2])
        incoming = os.path.join(SIM.folder, "sim.json.d", "incoming")
        self.assertTrue(fixturelib.poll(lambda: control("/log")[-1]["path"] == "/api/uploadfiles"
                                        and not os.listdir(incoming), 10))
        cut = control("/log")[-1]
        self.assertEqual(cut["status"], 400)
        self.assertEqual(cut["parts"][0]["filename"], "/quenta/download/cut.bin")
        self.assertLess(cut["parts"][0]["size"], 200000)
        self.assertFalse(os.path.exists(os.path.join(SIM.state["root"], host, "quenta", "download", "cut.bin")))
        self.assertEqual(gateway(host, "/api/hello").status, 200)

    def test_a_plugin_installed_by_upload_joins_the_plugin_list(self):
        host = SIM.hosts[1]
        descriptor = platform("/kxt/download/MailBox:Proj.ifo", {"key": "MailBox:Proj.ifo"}).body
        names = [record["ProjectName"] for record in gateway(host, "/api/getallplugins").json()]
        self.assertNotIn("MailBox", names)
        upload(host, [("file", "/kx_t/OfficialProject/MailBox/Proj.ifo", descriptor)])
        records = {record["ProjectName"]: record for record in gateway(host, "/api/getallplugins").json()}
        self.assertEqual(records["MailBox"]["ProjectConfig"], "MailBox.json")
        self.assertNotIn("ProjectDetails", records["MailBox"])

    def test_configuration_in_both_forms(self):
        host = SIM.hosts[0]
        json_form = gateway(host, "/api/getpluginconfig", {"filename": "AutoAnnounce.json"}).json()
        self.assertIsInstance(json_form["newcontent"], dict)
        self.assertEqual(json_form["oldcontent"]["interval"], 600)
        base64_form = gateway(host, "/api/getpluginconfig", {"filename": "SignInReward.json"}).json()
        self.assertEqual(json.loads(base64.b64decode(base64_form["newcontent"]))["dailyReward"]["gold"], 120)
        self.assertEqual(json.loads(base64.b64decode(base64_form["oldcontent"]))["dailyReward"]["gold"], 100)
        shop = gateway(host, "/api/getpluginconfig", {"filename": "ShopGui.json"}).json()
        self.assertNotIn("oldcontent", shop)

        self.assertTrue(gateway(host, "/api/backuppluginconfig", {"filename": "ShopGui.json"}).json())
        edited = '{\n  "currency": "coupon"\n}'
        self.assertEqual(gateway(host, "/api/setpluginconfig",
                                 {"filename": "ShopGui.json", "config": edited}).status, 200)
        shop = gateway(host, "/api/getpluginconfig", {"filename": "ShopGui.json"}).json()
        self.assertEqual(base64.b64decode(shop["newcontent"]).decode(), edited)
        self.assertIn("categories", json.loads(base64.b64decode(shop["oldcontent"])))

        cases = [("/api/setpluginconfig", {"filename": "AutoAnnounce.json", "config": "{broken"}, 400),
                 ("/api/setpluginconfig", {"filename": "AutoAnnounce.json", "config": {"a": 1}}, 400),
                 ("/api/getpluginconfig", {"filename": "Missing.json"}, 404),
                 ("/api/getpluginconfig", {"filename": "../sim.json"}, 400),
                 ("/api/getpluginconfig", {}, 400)]
        for path, body, status in cases:
            with self.subTest(path=path, body=body):
                self.assertEqual(gateway(host, path, body).status, status)
        self.assertTrue(gateway(host, "/api/backuppluginconfig", {"filename": ""}).json()["success"])

    def test_installer_script_starts_the_gateway_of_the_named_host(self):
        host = "127.%d.%d.9" % tuple(int(part) for part in SIM.hosts[0].split(".")[1:3])
        script = fetch(SIM.base + "/quenta/download/sh").body
        with tempfile.NamedTemporaryFile("wb", suffix=".sh", delete=False) as out:
            out.write(script)
        try:
            result = subprocess.run(["sh", out.name, host], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                    text=True, timeout=30)
            self.assertIn("Tolvaren_Service_Success", result.stdout.splitlines())
            self.assertEqual(gateway(host, "/api/hello").json()["host"], host)
            self.assertEqual(gateway(host, "/api/getallplugins").json(), [])
            control("/config", {"installer_fail": True})
            with open(out.name, "wb") as again:
                again.write(fetch(SIM.base + "/quenta/download/sh").body)
            failed = subprocess.run(["sh", out.name, host], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                    text=True, timeout=30)
            self.assertNotEqual(failed.returncode, 0)
            self.assertNotIn("Tolvaren_Service_Success", failed.stdout)
        finally:
            os.unlink(out.name)
            control("/gateway/stop", {"host": host})


class ControlTests(SimTestCase):
    def test_status_and_nonjson_faults_spoil_as_many_requests_as_asked(self):
        control("/fault", {"path": "/quenta/getInfo", "status": 503, "times": 2})
        statuses = [platform("/quenta/getInfo", token=self.token).status for _ in range(3)]
        self.assertEqual(statuses, [503, 503, 200])
        control("/fault", {"path": "/api/*", "host": SIM.hosts[1], "nonjson": True})
        answer = gateway(SIM.hosts[1], "/api/getallplugins")
        self.assertEqual(answer.status, 200)
        with self.assertRaises(ValueError):
            answer.json()
        self.assertIsInstance(gateway(SIM.hosts[0], "/api/getallplugins").json(), list)
        self.assertEqual(platform("/quenta/getversion").status, 200)

    def test_short_body_keeps_the_full_content_length(self):
        control("/fault", {"path": "/quenta/download/all", "short": 100, "times": 1})
        with self.assertRaises(http.client.IncompleteRead) as caught:
            platform("/quenta/download/all", {"key": "kxt"})
        self.assertEqual(len(caught.exception.partial) + 100,
                         len(caught.exception.partial) + caught.exception.expected)
        self.assertEqual(len(platform("/quenta/download/all", {"key": "kxt"}).body), 10240)

    def test_stall_sends_headers_and_then_nothing(self):
        control("/fault", {"path": "/kxt/getlist", "stall": True, "times": 1})
        connection = http.client.HTTPSConnection(SIM.base.split("//")[1].split(":")[0],
                                                 int(SIM.base.rsplit(":", 1)[1]), timeout=1.5,
                                                 context=ssl._create_unverified_context())
        try:
            connection.request("POST", "/kxt/getlist", body=b"{}", headers={"Authorization": self.token})
            response = connection.getresponse()
            self.assertEqual(response.status, 200)
            self.assertGreater(int(response.getheader("Content-Length")), 0)
            with self.assertRaises(socket.timeout):
                response.read()
        finally:
            connection.close()
        self.assertEqual(platform("/kxt/getlist", token=self.token).status, 200)

    def test_delay_holds_the_answer_back(self):
        control("/fault", {"path": "/api/hello", "host": SIM.hosts[0], "delay_ms": 600, "times": 1})
        started = time.monotonic()
        self.assertEqual(gateway(SIM.hosts[0], "/api/hello").status, 200)
        self.assertGreaterEqual(time.monotonic() - started, 0.6)

    def test_bad_fault_specs_are_refused(self):
        for spec in ({"status": 500}, {"path": "x", "status": 500}, {"path": "/a", "status": 42},
                     {"path": "/a", "times": -1}, {"path": "/a", "short": "10"}):
            with self.subTest(spec=spec):
                self.assertEqual(fetch(SIM.control + "/fault", spec).status, 400)

    def test_log_records_headers_and_bodies_and_reset_starts_afresh(self):
        platform("/quenta/getUserProList", {"ip": SIM.hosts[0]}, token=self.token)
        record = control("/log")[-1]
        self.assertEqual((record["server"], record["method"], record["path"], record["status"]),
                         ("platform", "POST", "/quenta/getUserProList", 200))
        self.assertEqual(record["headers"]["Authorization"], self.token)
        self.assertEqual(record["body"], {"ip": SIM.hosts[0]})
        gateway(SIM.hosts[1], "/api/hello")
        self.assertEqual(control("/log")[-1]["host"], SIM.hosts[1])
        with open(SIM.state["log"], encoding="utf-8") as lines:
            self.assertEqual(json.loads(lines.readlines()[-1])["path"], "/api/hello")
        platform("/register", {"username": "temp01", "password": "secret1", "qq": "q"})
        control("/fault", {"path": "/login", "status": 500})
        control("/reset")
        self.assertEqual(control("/log"), [])
        self.assertEqual(control("/faults"), [])
        self.assertEqual(platform("/login", {"username": "temp01", "password": "secret1"}).status, 401)
        self.assertEqual(platform("/quenta/getInfo", token=self.token).status, 401)


if __name__ == "__main__":
    unittest.main()
