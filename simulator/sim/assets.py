"""Files the platform hands out: PNG images, the three packages, plugin files,
client import packages, the gateway installer script, small HTML pages and the demo video.
Everything but the video is generated on first use and cached under the simulator's work folder."""

import colorsys
import hashlib
import html
import io
import json
import os
import random
import struct
import tarfile
import threading
import time
import zipfile
import zlib

# Four seconds of a bouncing ball, 160x90 Motion JPEG in AVI, made once with
# gst-launch-1.0 videotestsrc pattern=ball num-buffers=100 ! video/x-raw,width=160,height=90,
# framerate=25/1 ! jpegenc quality=60 ! avimux. Every frame is a key frame and the AVI
# demuxer seeks over HTTP; WebM does not seek there (Qt asks for a stop time, which the
# Matroska demuxer refuses while streaming).
VIDEO_FILE = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                          "data", "videos", "demo.avi")


def _png_chunk(kind, data):
    chunk = kind + data
    return struct.pack(">I", len(data)) + chunk + struct.pack(">I", zlib.crc32(chunk) & 0xFFFFFFFF)


def png(width, height, seed):
    """A diagonal gradient in two related hues with soft bands and a lighter panel,
    distinct per seed, so that every banner and plugin image looks its own."""
    digest = hashlib.sha256(seed.encode("utf-8")).digest()
    hue = digest[0] / 255.0
    start = colorsys.hsv_to_rgb(hue, 0.55, 0.90)
    end = colorsys.hsv_to_rgb((hue + 0.12 + digest[1] / 2550.0) % 1.0, 0.65, 0.70)
    band = max(4, height // (6 + digest[2] % 5))
    span = max(1, width + height - 2)
    # Every row is a window onto one diagonal strip, so a row costs a few slices.
    strips = {"plain": bytearray(), "band": bytearray(), "panel": bytearray()}
    for step in range(width + height):
        t = step / span
        pixel = [255 * (start[c] * (1 - t) + end[c] * t) for c in range(3)]
        strips["plain"] += bytes(int(value) for value in pixel)
        strips["band"] += bytes(int(value * 0.95) for value in pixel)
        strips["panel"] += bytes(int(value + (255 - value) * 0.35) for value in pixel)
    left, right = width // 12, width // 12 + width * 5 // 12
    top, bottom = height * 55 // 100, height * 75 // 100
    rows = []
    for y in range(height):
        strip = strips["band"] if (y // band) % 2 else strips["plain"]
        row = bytearray(strip[y * 3:(y + width) * 3])
        if top <= y < bottom:
            row[left * 3:right * 3] = strips["panel"][(y + left) * 3:(y + right) * 3]
        rows.append(b"\x00" + bytes(row))
    raw = b"".join(rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _png_chunk(b"IHDR", header)
            + _png_chunk(b"IDAT", zlib.compress(raw, 9)) + _png_chunk(b"IEND", b""))


def _tar_add(tar, name, data, mode=0o644):
    info = tarfile.TarInfo(name)
    info.size = len(data)
    info.mode = mode
    info.mtime = int(time.time())
    tar.addfile(info, io.BytesIO(data))


def _padding(size):
    """Incompressible bytes so a padded package really has the size asked for."""
    generator = random.Random(size)
    return generator.randbytes(size)


def jar(main_class, describe):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as archive:
        archive.writestr("META-INF/MANIFEST.MF",
                         "Manifest-Version: 1.0\r\nMain-Class: %s\r\n\r\n" % main_class)
        archive.writestr("plugin.yml", "main: %s\ndescription: %s\n" % (main_class, describe))
        archive.writestr(main_class.replace(".", "/") + ".class", b"\xca\xfe\xba\xbe\x00\x00\x00\x34")
    return buffer.getvalue()


class Assets:
    def __init__(self, cache_dir):
        self.cache_dir = cache_dir
        self.lock = threading.Lock()
        self.images = {}
        os.makedirs(cache_dir, exist_ok=True)

    def image(self, width, height, seed):
        key = (width, height, seed)
        with self.lock:
            if key not in self.images:
                self.images[key] = png(width, height, seed)
            return self.images[key]

    def cached(self, name, build):
        """Path of cache file `name`, built by `build(path)` the first time."""
        path = os.path.join(self.cache_dir, name)
        with self.lock:
            if not os.path.exists(path):
                temp = path + ".part"
                build(temp)
                os.replace(temp, path)
        return path

    # -- the three packages of "/quenta/download/all" -----------------------

    def tar_package(self, name, mode, members, padding_member, padding):
        """A tar package of (name, data, mode) members, padded when asked."""
        def build(path):
            with tarfile.open(path, mode) as tar:
                for member, data, permissions in members:
                    _tar_add(tar, member, data, permissions)
                if padding:
                    _tar_add(tar, padding_member, _padding(padding))
        return self.cached(name, build)

    def kxt_package(self, version, padding):
        members = [
            ("kx_t/version", ("%s\n" % version).encode(), 0o644),
            ("kx_t/start.sh", b"#!/bin/sh\ncd /kx_t && exec java -jar kxt-core.jar\n", 0o755),
            ("kx_t/kxt-core.jar", jar("kxt.core.Main", "KX-T 插件框架核心"), 0o644),
            ("kx_t/OfficialProject/.keep", b"", 0o644),
            ("kx_t/OfficialConfig/.keep", b"", 0o644),
            ("kx_t/README.txt", ("KX-T 插件框架 %s\n" % version).encode("utf-8"), 0o644),
        ]
        return self.tar_package("kx_t-%s-%d.tar" % (version, padding), "w", members,
                                "kx_t/lib/resources.bin", padding)

    def javap_package(self, version, padding):
        restart = b"#!/bin/sh\npkill -f java_plugin/rt-core.jar\nnohup java -jar rt-core.jar >/dev/null 2>&1 &\n"
        members = [
            ("version", ("%s\n" % version).encode(), 0o644),
            ("Restart", restart, 0o755),
            ("rt-core.jar", jar("kxt.rt.Main", "JAVA插件运行时"), 0o644),
            ("plugins/README.txt", "把JAVA插件放在这个目录\n".encode("utf-8"), 0o644),
        ]
        return self.tar_package("RT-%s-%d.tar.gz" % (version, padding), "w:gz", members,
                                "lib/resources.bin", padding)

    def tool_package(self, version, padding):
        def build(path):
            with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
                archive.writestr("update/version.txt", "%s\n" % version)
                archive.writestr("update/更新说明.txt", "KX-T管理工具 %s\n修复了若干问题。\n" % version)
                archive.writestr("update/doc/", b"")
                archive.writestr("update/doc/readme.md", "# KX-T 管理工具\n")
                if padding:
                    archive.writestr(zipfile.ZipInfo("update/resources.bin"), _padding(padding),
                                     compress_type=zipfile.ZIP_STORED)
        return self.cached("Kxtbundle-%s-%d.zip" % (version, padding), build)

    # -- plugin files and client packages ----------------------------------

    def plugin_file(self, entry, filename, public_record):
        """One file of a server-side plugin as "/kxt/download/" serves it."""
        name = entry["ProjectName"]
        if filename == "Proj.ifo":
            data = json.dumps(public_record, ensure_ascii=False, indent=2).encode("utf-8")
        elif filename == entry.get("ProjectConfig"):
            data = json.dumps(entry.get("_config", {}).get("content", {}), ensure_ascii=False,
                              indent=2).encode("utf-8")
        elif filename.endswith(".jar"):
            data = jar("kxt.plugin.%s.Main" % name, entry.get("ProjectDescribe", ""))
        else:
            data = ("# %s 的文件 %s (版本 %s)\n" % (name, filename, entry.get("ProjectVersion"))).encode("utf-8")
        key = hashlib.sha256(data).hexdigest()[:16]
        safe = hashlib.sha256(("%s:%s" % (name, filename)).encode("utf-8")).hexdigest()[:16]

        def build(path):
            with open(path, "wb") as out:
                out.write(data)
        return self.cached("plugin-%s-%s" % (safe, key), build)

    def client_package(self, name, entry):
        safe = hashlib.sha256(name.encode("utf-8")).hexdigest()[:16]

        def build(path):
            with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
                if entry is None:
                    archive.writestr("客户端插件包/说明.txt", "把本目录放进游戏客户端的 plugins 文件夹后重启客户端。\n")
                    archive.writestr("客户端插件包/kxt-client.jar", jar("kxt.client.Main", "KX-T 客户端通用组件"))
                else:
                    archive.writestr("%s/说明.txt" % name, "%s\n%s\n" % (entry.get("ProjectAlias") or name,
                                                                         entry.get("ProjectDescribe", "")))
                    for filename in entry.get("ProjectFiles", []):
                        archive.writestr("%s/%s" % (name, filename), jar("kxt.ex.%s.Main" % name, name))
        return self.cached("client-%s.zip" % safe, build)


def installer_script(control_url, port, fail):
    """The gateway installer. Run on a managed server it asks the simulator to start
    the gateway of the address the SSH client connected to."""
    if fail:
        body = 'echo "KXT管理网关安装失败: 下载组件超时" >&2\nexit 1\n'
    else:
        body = ('if curl -fsS -k -m 20 -X POST -H "Content-Type: application/json" \\\n'
                '     -d "{\\"host\\":\\"$host\\"}" "%s/gateway/start" >/dev/null; then\n'
                '  echo "KXT管理网关已在 $host:%d 启动"\n'
                '  echo "Tolvaren_Service_Success"\n'
                'else\n'
                '  echo "KXT管理网关启动失败" >&2\n'
                '  exit 1\n'
                'fi\n') % (control_url, port)
    return ("#!/bin/sh\n"
            "# KXT 管理网关安装脚本\n"
            'host="${1:-}"\n'
            'if [ -z "$host" ] && [ -n "${SSH_CONNECTION:-}" ]; then\n'
            '  set -- $SSH_CONNECTION\n'
            '  host="$3"\n'
            'fi\n'
            '[ -n "$host" ] || host=127.0.0.1\n'
            'echo "正在安装KXT管理网关..."\n' + body)


def html_page(title, body_html):
    return ("<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
            "<title>%s</title><style>body{font-family:sans-serif;margin:40px;color:#222}"
            "h1{font-size:22px}.box{border:1px solid #ddd;border-radius:8px;padding:20px;max-width:640px}"
            "</style></head><body><div class=\"box\"><h1>%s</h1>%s</div></body></html>\n"
            % (html.escape(title), html.escape(title), body_html))
