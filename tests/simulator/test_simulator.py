"""What the simulator promises and no console test would see broken: it refuses what
the platform refuses, keeps every write inside a server's root, reports a framework
that was never uploaded, and its control interface refuses bad faults and resets
cleanly. It runs an instance of its own (free ports, a random loopback block), so
its resets and faults stay away from the tests that share the fixture."""

import json
import os
import socket
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "fixtures"))
import fixturelib as fx  # noqa: E402
import sim_fixture  # noqa: E402

BOUNDARY = "kxtBoundary7MA4YWxkTrZu0gW"


def setUpModule():
    global FOLDER, SIM
    FOLDER = unittest.enterModuleContext(tempfile.TemporaryDirectory(prefix="kxtsim-test-"))
    sim_fixture.start(FOLDER)
    unittest.addModuleCleanup(sim_fixture.stop, FOLDER)
    SIM = fx.read_json(os.path.join(FOLDER, "sim.json"))


def platform(path, body=None, token=None):
    return fx.fetch(SIM["base_url"] + path, body or {}, token and {"Authorization": token})


def gateway(host, path, body=None):
    return fx.fetch("http://%s:%d%s" % (host, SIM["gateway_port"], path), body or {})


def control(path, body=None):
    status, answer = fx.fetch(SIM["control_url"] + path, None if path in ("/log", "/faults") else body or {})
    assert status == 200, "control %s answered %d: %s" % (path, status, answer)
    return json.loads(answer)


def png_size(url):
    return struct.unpack(">II", fx.fetch(url)[1][16:24])


def multipart(name, data):
    """A body shaped like the console's uploads: Content-Type before Content-Disposition."""
    return (("--%s\r\nContent-Type: application/octet-stream\r\nContent-Disposition: form-data; "
             'name="file"; filename="%s"\r\n\r\n' % (BOUNDARY, name)).encode() + data
            + ("\r\n--%s--\r\n" % BOUNDARY).encode())


def upload(host, name, data):
    return fx.fetch("http://%s:%d/api/uploadfiles" % (host, SIM["gateway_port"]), raw=multipart(name, data),
                    headers={"Content-Type": "multipart/form-data; boundary=" + BOUNDARY})[0]


class SimulatorTests(unittest.TestCase):
    def setUp(self):
        control("/reset")
        self.token = json.loads(platform("/login", {"username": "demo", "password": "kxt2025"})[1])["token"]
        self.root = os.path.join(SIM["root"], SIM["gateway_hosts"][0])

    def test_refusals(self):
        server = {"ip": "203.0.113.7", "port": "2200", "username": "admin", "password": "p1"}
        config = {"filename": "AutoAnnounce.json", "config": "{broken"}
        rows = [  # path (on the platform unless a gateway's URL), body, token, status, text in the answer
            ("/quenta/getInfo", {}, None, 401, "未登录"),
            ("/quenta/getInfo", {}, "Bearer " + self.token, 401, "未登录"),
            ("/quenta/getInfo", {}, self.token[:-1], 401, "未登录"),
            ("/register", {"username": " ", "password": "secret1", "qq": "x"}, None, 400, "账号和密码不能为空"),
            ("/register", {"username": "newbie", "password": "123", "qq": "x"}, None, 400, "密码至少需要6位"),
            ("/register", {"username": "newbie", "password": "secret1"}, None, 400, "注册信息不完整"),
            ("/register", {"username": "new bie", "password": "secret1", "qq": "x"}, None, 400, "账号只能包含"),
            ("/register", {"username": "newbie", "password": "secret1", "qq": " "}, None, 400, "请设置安全口令"),
            ("/quenta/addServer", dict(server, port="0"), self.token, 400, "端口"),
            ("/quenta/addServer", dict(server, port="70000"), self.token, 400, "端口"),
            ("/quenta/addServer", dict(server, port="abc"), self.token, 400, "端口"),
            ("/quenta/addServer", dict(server, username=None), self.token, 400, "username"),
            ("/quenta/deleteServer", {"ip": "203.0.113.7"}, self.token, 404, ""),
            ("/kxt/download/AutoAnnounce:Other.jar", {"key": "AutoAnnounce:Other.jar"}, None, 404, ""),
            ("/kxt/download/AutoAnnounce:Proj.ifo", {"key": "ShopGui:Proj.ifo"}, None, 400, ""),
            ("/quenta/download/all", {"key": "nope"}, None, 404, ""),
            ("http://%s:%d/api/setpluginconfig" % (SIM["gateway_hosts"][0], SIM["gateway_port"]), config, None, 400,
             "JSON"),
        ]
        for path, body, token, status, text in rows:
            with self.subTest(path=path, body=body):
                answer = platform(path, body, token) if path.startswith("/") else fx.fetch(path, body)
                self.assertEqual(answer[0], status)
                self.assertIn(text, answer[1].decode())

    def test_catalogue_media_and_no_private_fields(self):
        dual = json.loads(platform("/quenta/getProjectInfoList", {}, self.token)[1])["data"]
        server = json.loads(platform("/kxt/getlist", {}, self.token)[1])["list"]
        # The catalogues keep the simulator's own notes ("_" keys) to themselves.
        self.assertFalse([key for entry in server + list(dual.values()) for key in entry if key.startswith("_")])
        blocks = [(name, block) for name, entry in dual.items() for block in entry["ProjectDetails"]]
        # Players seek through byte ranges.
        video = next(block["content"] for _, block in blocks if block["type"] == "mov")
        self.assertEqual(fx.fetch(video, headers={"Range": "bytes=8-11"}), (206, b"AVI "))
        name, image = next((name, block["content"]) for name, block in blocks if block["type"] == "img")
        for kind, size in (("getimg", (640, 360)), ("getthumb", (160, 90))):
            self.assertEqual(png_size(SIM["base_url"] + "/quenta/%s/%s/%s" % (kind, name, image)), size)
        for advert in json.loads(platform("/kxt/getadvertisement", {}, self.token)[1])["list"]:
            self.assertEqual(png_size(SIM["base_url"] + advert["imageurl"]), (900, 300))

    def test_uploads_and_links_stay_inside_the_root(self):
        host = SIM["gateway_hosts"][0]
        before = sorted(os.listdir(FOLDER))
        for name in ("/../escape.txt", "../escape.txt", "/kx_t/../../escape.txt", "..", "/", "dir\\..\\x", ""):
            with self.subTest(name=name):
                self.assertEqual(upload(host, name, b"payload"), 400)
        # A sandboxed shell may plant links to this machine's files; the gateway runs as root.
        os.symlink(FOLDER, os.path.join(self.root, "kx_t", "outside"))
        self.assertEqual(upload(host, "/kx_t/outside/escape.txt", b"x"), 400)
        os.unlink(os.path.join(self.root, "kx_t", "version"))
        os.symlink(os.path.join(FOLDER, "sim.json"), os.path.join(self.root, "kx_t", "version"))
        self.assertIsNone(json.loads(gateway(host, "/getkxtinfo")[1])["info"])
        self.assertEqual(sorted(os.listdir(FOLDER)), before)

    def test_an_upload_cut_short_stores_nothing(self):
        host = SIM["gateway_hosts"][0]
        body = multipart("/quenta/download/cut.bin", os.urandom(200000))
        with socket.create_connection((host, SIM["gateway_port"]), timeout=10) as raw:
            raw.sendall(("POST /api/uploadfiles HTTP/1.1\r\nHost: %s\r\nContent-Type: multipart/form-data; "
                         "boundary=%s\r\nContent-Length: %d\r\n\r\n" % (host, BOUNDARY, len(body))).encode())
            raw.sendall(body[:len(body) // 2])
        incoming = os.path.join(FOLDER, "sim.json.d", "incoming")
        self.assertTrue(fx.poll(lambda: control("/log")[-1]["path"] == "/api/uploadfiles"
                                and not os.listdir(incoming), 10))
        self.assertEqual(control("/log")[-1]["status"], 400)
        self.assertFalse(os.path.exists(os.path.join(self.root, "quenta", "download", "cut.bin")))
        self.assertEqual(gateway(host, "/api/hello")[0], 200)

    def test_framework_registration_needs_the_uploaded_package(self):
        host = SIM["gateway_hosts"][1]
        self.assertEqual(gateway(host, "/api/addrun")[0], 404)
        self.assertEqual(upload(host, "/quenta/download/kx_t.tar", platform("/quenta/download/all", {"key": "kxt"})[1]), 200)
        self.assertEqual(gateway(host, "/api/addrun")[0], 200)

    def test_control_refuses_bad_faults_and_reset_starts_afresh(self):
        for spec in ({"status": 500}, {"path": "x", "status": 500}, {"path": "/a", "status": 42},
                     {"path": "/a", "times": -1}, {"path": "/a", "short": "10"}):
            with self.subTest(spec=spec):
                self.assertEqual(fx.fetch(SIM["control_url"] + "/fault", spec)[0], 400)
        platform("/register", {"username": "temp01", "password": "secret1", "qq": "q"})
        control("/fault", {"path": "/login", "status": 500})
        control("/reset")
        self.assertEqual((control("/log"), control("/faults")), ([], []))
        self.assertEqual(platform("/login", {"username": "temp01", "password": "secret1"})[0], 401)
        self.assertEqual(platform("/quenta/getInfo", {}, self.token)[0], 401)
