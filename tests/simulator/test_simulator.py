"""Protocol tests of the simulator over real HTTPS and HTTP on loopback. The suite
starts its own instance (free platform port, a random loopback block for the
gateways), so its resets and faults never disturb tests that share the fixture."""

import base64
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
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "fixtures"))
import fixturelib  # noqa: E402
import sim_fixture  # noqa: E402

TIMEOUT = 10


class Answer:
    def __init__(self, status, headers, body):
        self.status = status
        self.headers = headers
        self.body = body

    def json(self):
        return json.loads(self.body.decode("utf-8"))


class Simulator:
    """One simulator for the whole suite, started the way the fixture starts it."""

    def start(self):
        self.folder = tempfile.mkdtemp(prefix="kxtsim-test-")
        sim_fixture.start(self.folder, sys.executable)
        self.state = fixturelib.read_json(os.path.join(self.folder, "sim.json"))
        self.base, self.control = self.state["base_url"], self.state["control_url"]
        self.hosts, self.port = self.state["gateway_hosts"], self.state["gateway_port"]

    def stop(self):
        sim_fixture.stop(self.folder)
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

    def test_bad_server_entries_and_unknown_deletions_are_refused(self):
        new = {"ip": "203.0.113.7", "port": "2200", "username": "admin", "password": "p1"}
        for bad in (dict(new, port="0"), dict(new, port="70000"), dict(new, port="abc"),
                    dict(new, ip=" "), dict(new, username=None)):
            with self.subTest(bad=bad):
                self.assertEqual(platform("/quenta/addServer", bad, token=self.token).status, 400)
        self.assertEqual(platform("/quenta/deleteServer", {"ip": "203.0.113.7"}, token=self.token).status, 404)


class CatalogueTests(SimTestCase):
    def test_videos_answer_byte_ranges_and_images_come_in_two_sizes(self):
        data = platform("/quenta/getProjectInfoList", token=self.token).json()["data"]
        # The catalogues keep the simulator's own notes ("_" keys) to themselves.
        server_side = platform("/kxt/getlist", token=self.token).json()["list"]
        self.assertFalse([key for entry in server_side + list(data.values()) for key in entry if key.startswith("_")])
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

    def test_unknown_files_and_packages_are_refused(self):
        cases = [("/kxt/download/AutoAnnounce:Other.jar", {"key": "AutoAnnounce:Other.jar"}, 404),
                 ("/kxt/download/Nope:Proj.ifo", {"key": "Nope:Proj.ifo"}, 404),
                 ("/kxt/download/AutoAnnounce:Proj.ifo", {"key": "ShopGui:Proj.ifo"}, 400),
                 ("/quenta/download", {"projectName": "Nope"}, 404),
                 ("/quenta/download/all", {"key": "nope"}, 404),
                 ("/quenta/download/all", {}, 404)]
        for path, body, status in cases:
            with self.subTest(path=path, body=body):
                self.assertEqual(platform(path, body).status, status)


class GatewayTests(SimTestCase):
    def test_framework_registration_and_component_files(self):
        host = SIM.hosts[1]
        self.assertEqual(gateway(host, "/api/addrun").status, 404)
        upload(host, [("file", "/quenta/download/kx_t.tar", platform("/quenta/download/all", {"key": "kxt"}).body)])
        self.assertEqual(gateway(host, "/api/addrun").status, 200)
        version = os.path.join(SIM.state["root"], host, "kx_t", "version")
        self.assertEqual(gateway(host, "/getkxtinfo").json()["info"]["ProjectVersion"], "1.6")
        os.unlink(version)
        self.assertIsNone(gateway(host, "/getkxtinfo").json()["info"])
        # The folder may belong to a sandboxed shell: links out of it are not followed.
        secret = os.path.join(SIM.folder, "secret")
        with open(secret, "w") as out:
            out.write("9.9\n")
        os.symlink(secret, version)
        self.assertIsNone(gateway(host, "/getkxtinfo").json()["info"])

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

    def test_a_base64_configuration_stays_base64_and_bad_ones_are_refused(self):
        host = SIM.hosts[0]
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
