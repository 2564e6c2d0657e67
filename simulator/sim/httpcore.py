"""What the platform and the gateways share: the threaded (optionally TLS) server,
request reading, the request log, fault injection and response writing."""

import io
import json
import os
import socket
import socketserver
import ssl
import sys
import tempfile
import threading
import time
import traceback
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, unquote, urlsplit

from . import multipart

MAX_JSON_BODY = 16 * 1024 * 1024
LOGGED_BODY_CHARS = 16 * 1024
STALL_LIMIT_SECONDS = 300


class Response:
    """A complete answer: either `body` bytes or a file streamed from `path`."""

    def __init__(self, status=200, body=b"", content_type="application/json; charset=utf-8",
                 path=None, headers=None):
        self.status = status
        self.body = body
        self.content_type = content_type
        self.path = path
        self.headers = headers or {}

    @property
    def length(self):
        return os.path.getsize(self.path) if self.path else len(self.body)


def json_response(value, status=200):
    return Response(status, json.dumps(value, ensure_ascii=False).encode("utf-8"))


def text_response(text, status=200, content_type="text/plain; charset=utf-8"):
    return Response(status, text.encode("utf-8"), content_type)


def error_response(status, message):
    return json_response({"code": status, "message": message}, status)


class BadRequest(Exception):
    def __init__(self, message, status=400):
        super().__init__(message)
        self.status = status


class SimServer(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, address, handler, sim, kind, tls_context=None):
        self.sim = sim
        self.kind = kind
        self.tls_context = tls_context
        super().__init__(address, handler)

    def server_bind(self):
        # HTTPServer.server_bind resolves the host name, which can stall on a
        # machine without DNS; the simulator only needs the numeric address.
        socketserver.TCPServer.server_bind(self)
        self.server_name, self.server_port = self.server_address[:2]

    def finish_request(self, request, client_address):
        # Headers and body leave in separate writes; without this, Nagle's
        # algorithm and the client's delayed ACK add 40 ms or more to each answer.
        request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        if self.tls_context is None:
            self.RequestHandlerClass(request, client_address, self)
            return
        # The handshake runs in the connection's own thread so that a client that
        # connects and says nothing cannot hold up the accept loop.
        request.settimeout(30)
        try:
            tls = self.tls_context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        try:
            self.RequestHandlerClass(tls, client_address, self)
        finally:
            try:
                tls.close()
            except OSError:
                pass

    def handle_error(self, request, client_address):
        # Clients that hang up mid-answer are part of the tests; stay quiet about them.
        pass


class SimHandler(BaseHTTPRequestHandler):
    """One request: read it, log it, apply a matching fault, answer it.

    Subclasses provide `route(request)` returning a Response, and may name paths
    whose multipart bodies are stored (`upload_paths`)."""

    protocol_version = "HTTP/1.1"
    server_version = "KxtSim/1.0"
    timeout = 120
    upload_paths = ()

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        self.handle_request()

    def do_POST(self):
        self.handle_request()

    def do_PUT(self):
        self.handle_request()

    def do_DELETE(self):
        self.handle_request()

    # -- request reading ---------------------------------------------------

    def handle_request(self):
        sim = self.server.sim
        split = urlsplit(self.path)
        self.route_path = unquote(split.path, encoding="utf-8", errors="replace")
        self.query = parse_qs(split.query)
        self.local_host = self.connection.getsockname()[0]
        if self.is_control():
            self.handle_control()
            return
        record = {
            "time": time.time(),
            "server": self.server.kind,
            "host": self.local_host,
            "method": self.command,
            "path": self.route_path,
            "headers": self.header_dict(),
        }
        self.json_body = None
        self.parts = []
        self.body_error = None
        try:
            self.read_body(record)
        except BadRequest as error:
            self.body_error = error
        except (multipart.MultipartError, ConnectionError, socket.timeout) as error:
            self.body_error = BadRequest(str(error))
            self.close_connection = True
            if self.parts:
                record["parts"] = [part.describe() for part in self.parts]
        try:
            fault = sim.faults.take(self.server.kind, self.local_host, self.route_path)
            if fault and fault.get("delay_ms"):
                time.sleep(fault["delay_ms"] / 1000.0)
            if fault and fault.get("status"):
                record["status"] = fault["status"]
                record["fault"] = fault
                sim.requests.append(record)
                self.send(error_response(int(fault["status"]), "injected fault"))
                return
            if fault and fault.get("nonjson"):
                record["status"] = 200
                record["fault"] = fault
                sim.requests.append(record)
                self.send(text_response("<html><body>服务暂不可用</body></html>",
                                        content_type="text/html; charset=utf-8"))
                return
            if self.body_error is not None:
                response = error_response(self.body_error.status, str(self.body_error))
            else:
                try:
                    response = self.route(record)
                except BadRequest as error:
                    response = error_response(error.status, str(error))
                except Exception:  # a simulator bug: answer it and leave a trace in the output
                    traceback.print_exc(file=sys.stderr)
                    response = error_response(500, "模拟器内部错误")
            record["status"] = response.status
            if fault:
                record["fault"] = fault
            sim.requests.append(record)
            self.send(response, fault)
        finally:
            self.discard_uploads()

    def header_dict(self):
        headers = {}
        for key, value in self.headers.items():
            headers[key] = headers[key] + ", " + value if key in headers else value
        return headers

    def content_length(self):
        value = self.headers.get("Content-Length")
        if value is None:
            return 0
        try:
            length = int(value)
        except ValueError:
            raise BadRequest("Content-Length 无效")
        if length < 0:
            raise BadRequest("Content-Length 无效")
        return length

    def read_body(self, record):
        length = self.content_length()
        content_type = self.headers.get("Content-Type", "")
        if content_type.lower().startswith("multipart/form-data"):
            boundary = multipart.boundary_of(content_type)
            if boundary is None:
                self.drain(length)
                raise BadRequest("multipart 请求缺少 boundary")
            store = self.route_path in self.upload_paths
            self.upload_dir = self.server.sim.upload_tmp if store else None
            parts = multipart.parse(self.rfile, length, boundary, self.open_part_sink)
            for part in parts:
                if part.sink is not None:
                    part.sink.close()
            record["parts"] = [part.describe() for part in parts]
            return
        if length > MAX_JSON_BODY:
            self.drain(length)
            raise BadRequest("请求体过大", 413)
        raw = self.rfile.read(length) if length else b""
        if len(raw) < length:
            self.close_connection = True
            raise BadRequest("请求体比 Content-Length 短")
        text = raw.decode("utf-8", "replace")
        try:
            self.json_body = json.loads(text) if text.strip() else None
            record["body"] = self.json_body if text.strip() else text
        except ValueError:
            self.json_body = ValueError
            record["body"] = text[:LOGGED_BODY_CHARS]
            if len(text) > LOGGED_BODY_CHARS:
                record["body_truncated"] = True

    def drain(self, length):
        while length > 0:
            data = self.rfile.read(min(65536, length))
            if not data:
                break
            length -= len(data)

    def open_part_sink(self, part):
        """Every part is recorded as soon as it starts, so that a body cut off in
        the middle of a part still has its temporary file found and removed."""
        self.parts.append(part)
        if self.upload_dir is None:
            return None
        handle = tempfile.NamedTemporaryFile(dir=self.upload_dir, prefix="part-", delete=False)
        part.temp_path = handle.name
        return handle

    def discard_uploads(self):
        for part in getattr(self, "parts", []):
            if part.sink is not None:
                part.sink.close()
            path = getattr(part, "temp_path", None)
            if path and os.path.exists(path):
                os.unlink(path)

    def json_object(self):
        """The request body as a JSON object; an absent body counts as {}."""
        if self.json_body is ValueError:
            raise BadRequest("请求体不是合法的JSON")
        if self.json_body is None:
            return {}
        if not isinstance(self.json_body, dict):
            raise BadRequest("请求体必须是JSON对象")
        return self.json_body

    # -- control -----------------------------------------------------------

    def is_control(self):
        return False

    def handle_control(self):
        raise NotImplementedError

    def route(self, record):
        raise NotImplementedError

    # -- response writing --------------------------------------------------

    def send(self, response, fault=None):
        # Parts not moved into place go before the client hears back, so nothing
        # of a refused upload is left on disk once the answer has arrived.
        self.discard_uploads()
        fault = fault or {}
        length = response.length
        self.send_response(response.status)
        self.send_header("Content-Type", response.content_type)
        self.send_header("Content-Length", str(length))
        for key, value in response.headers.items():
            self.send_header(key, value)
        if fault.get("stall") or fault.get("short"):
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        if self.command == "HEAD":
            return
        if fault.get("stall"):
            self.wfile.flush()
            self.server.sim.stall_release.wait(STALL_LIMIT_SECONDS)
            return
        limit = max(0, length - int(fault.get("short") or 0))
        rate = int(fault.get("rate_kbps") or 0) * 1024
        try:
            if response.path:
                with open(response.path, "rb") as source:
                    self.copy_limited(source, limit, rate)
            elif rate:
                self.copy_limited(io.BytesIO(response.body), limit, rate)
            else:
                self.wfile.write(response.body[:limit])
            self.wfile.flush()
        except (ConnectionError, socket.timeout):
            self.close_connection = True

    def copy_limited(self, source, limit, rate=0):
        """Copies at most limit bytes; with a rate (bytes per second), in tenths of a
        second's worth, each sent no earlier than the rate allows."""
        chunk = max(1, rate // 10) if rate else 256 * 1024
        start = time.monotonic()
        sent = 0
        while limit > 0:
            data = source.read(min(chunk, limit))
            if not data:
                break
            if rate:
                delay = start + sent / rate - time.monotonic()
                if delay > 0:
                    time.sleep(delay)
                self.wfile.write(data)
                self.wfile.flush()
            else:
                self.wfile.write(data)
            sent += len(data)
            limit -= len(data)


class RequestLog:
    """Every request the platform and the gateways saw, oldest first; also appended
    as JSON lines to a file so a failed test run can be read afterwards."""

    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()
        self.records = []
        self.clear()

    def clear(self):
        with self.lock:
            self.records = []
            with open(self.path, "w", encoding="utf-8"):
                pass

    def append(self, record):
        with self.lock:
            record["seq"] = len(self.records) + 1
            self.records.append(record)
            with open(self.path, "a", encoding="utf-8") as out:
                out.write(json.dumps(record, ensure_ascii=False) + "\n")

    def snapshot(self, since=0):
        with self.lock:
            return [record for record in self.records if record["seq"] > since]


class FaultTable:
    """Injected faults. A fault matches a request by server kind, address and path
    (exact, or a prefix when the fault's path ends with '*'); `times` limits how
    many requests it spoils."""

    FIELDS = ("status", "nonjson", "short", "stall", "delay_ms", "rate_kbps", "times")

    def __init__(self):
        self.lock = threading.Lock()
        self.faults = []
        self.next_id = 1

    def add(self, spec):
        path = spec.get("path")
        if not isinstance(path, str) or not path.startswith("/"):
            raise BadRequest("fault 需要以 / 开头的 path")
        fault = {"id": None, "path": path, "host": spec.get("host")}
        for field in self.FIELDS:
            if spec.get(field) not in (None, False, 0):
                fault[field] = spec[field]
        for field in ("status", "short", "delay_ms", "rate_kbps", "times"):
            if field in fault:
                value = fault[field]
                if not isinstance(value, int) or isinstance(value, bool) or value < 0:
                    raise BadRequest("fault 字段 %s 必须是非负整数" % field)
        if "status" in fault and not 100 <= fault["status"] <= 599:
            raise BadRequest("fault 的 status 必须在 100 到 599 之间")
        with self.lock:
            fault["id"] = self.next_id
            self.next_id += 1
            self.faults.append(fault)
        return dict(fault)

    def clear(self):
        with self.lock:
            self.faults = []

    def list(self):
        with self.lock:
            return [dict(fault) for fault in self.faults]

    def take(self, kind, host, path):
        with self.lock:
            for fault in self.faults:
                if not self.matches(fault, kind, host, path):
                    continue
                if "times" in fault:
                    fault["times"] -= 1
                    if fault["times"] <= 0:
                        self.faults.remove(fault)
                return dict(fault)
        return None

    @staticmethod
    def matches(fault, kind, host, path):
        wanted = fault["path"]
        if wanted.endswith("*"):
            if not path.startswith(wanted[:-1]):
                return False
        elif path != wanted:
            return False
        if fault["host"] in (None, "", "platform"):
            return kind == "platform"
        if fault["host"] == "*":
            return True
        return kind == "gateway" and host == fault["host"]
