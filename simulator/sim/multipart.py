"""Streaming multipart/form-data reader: parts go straight to their sinks, so an
upload of any size never sits in memory as a whole."""

import hashlib
import re

CHUNK = 64 * 1024
MAX_HEADER_BYTES = 16 * 1024


class MultipartError(Exception):
    pass


def boundary_of(content_type):
    match = re.search(r'boundary=(?:"([^"]+)"|([^;\s]+))', content_type or "")
    if not match:
        return None
    return (match.group(1) or match.group(2)).encode("latin-1")


def _header_params(value):
    """Splits `form-data; name="file"; filename="/a b.txt"` into a dict.
    Quoted values may hold ';' and escaped quotes."""
    params = {}
    for match in re.finditer(r';\s*([\w*-]+)\s*=\s*("((?:[^"\\]|\\.)*)"|[^;]*)', value):
        key = match.group(1).lower()
        raw = match.group(3) if match.group(3) is not None else match.group(2).strip()
        # Only an escaped quote is undone: backslashes are ordinary characters of
        # a file name and must reach the path check unchanged.
        params[key] = raw.replace('\\"', '"')
    return params


class Part:
    def __init__(self, headers):
        self.headers = headers
        disposition = _header_params(headers.get("content-disposition", ""))
        self.name = disposition.get("name")
        self.filename = disposition.get("filename")
        self.content_type = headers.get("content-type")
        self.size = 0
        self._hash = hashlib.sha256()
        self.sink = None

    @property
    def sha256(self):
        return self._hash.hexdigest()

    def feed(self, data):
        if not data:
            return
        self.size += len(data)
        self._hash.update(data)
        if self.sink is not None:
            self.sink.write(data)

    def describe(self):
        return {"name": self.name, "filename": self.filename,
                "content_type": self.content_type, "size": self.size, "sha256": self.sha256}


class _Reader:
    def __init__(self, stream, length):
        self.stream = stream
        self.remaining = length
        self.buf = b""

    def more(self):
        if self.remaining <= 0:
            raise MultipartError("请求体在分段结束前中断")
        data = self.stream.read(min(CHUNK, self.remaining))
        if not data:
            raise MultipartError("请求体比 Content-Length 短")
        self.remaining -= len(data)
        self.buf += data

    def need(self, count):
        while len(self.buf) < count:
            self.more()

    def drain(self):
        while self.remaining > 0:
            data = self.stream.read(min(CHUNK, self.remaining))
            if not data:
                break
            self.remaining -= len(data)


def parse(stream, length, boundary, open_sink):
    """Reads `length` bytes of a multipart body from `stream`.

    `open_sink(part)` is called once a part's headers are known and returns a
    writable object (or None to only measure the part). Returns the parts in order.
    """
    reader = _Reader(stream, length)
    dash = b"--" + boundary
    delimiter = b"\r\n" + dash
    # The first boundary is not preceded by CRLF; pretending it is keeps one scan rule.
    reader.buf = b"\r\n"
    while True:
        index = reader.buf.find(delimiter)
        if index >= 0:
            reader.buf = reader.buf[index + len(delimiter):]
            break
        reader.buf = reader.buf[-(len(delimiter) - 1):]
        reader.more()

    parts = []
    while True:
        reader.need(2)
        if reader.buf.startswith(b"--"):
            reader.drain()
            return parts
        line_end = reader.buf.find(b"\r\n")
        while line_end < 0:
            reader.more()
            line_end = reader.buf.find(b"\r\n")
        reader.buf = reader.buf[line_end + 2:]

        reader.need(2)
        if reader.buf.startswith(b"\r\n"):
            raw_headers, reader.buf = b"", reader.buf[2:]
        else:
            header_end = reader.buf.find(b"\r\n\r\n")
            while header_end < 0:
                if len(reader.buf) > MAX_HEADER_BYTES:
                    raise MultipartError("分段头过长")
                reader.more()
                header_end = reader.buf.find(b"\r\n\r\n")
            raw_headers, reader.buf = reader.buf[:header_end], reader.buf[header_end + 4:]
        headers = {}
        for line in raw_headers.decode("utf-8", "replace").split("\r\n"):
            if ":" in line:
                key, value = line.split(":", 1)
                headers[key.strip().lower()] = value.strip()
        part = Part(headers)
        part.sink = open_sink(part)
        parts.append(part)

        keep = len(delimiter) - 1
        while True:
            index = reader.buf.find(delimiter)
            if index >= 0:
                part.feed(reader.buf[:index])
                reader.buf = reader.buf[index + len(delimiter):]
                break
            if len(reader.buf) > keep:
                part.feed(reader.buf[:-keep])
                reader.buf = reader.buf[-keep:]
            reader.more()
