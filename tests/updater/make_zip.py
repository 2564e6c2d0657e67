#!/usr/bin/python3
# make_zip.py OUT: writes the archive given on stdin as a JSON list of
# [name, data (one character a byte), kind]. Kinds: "" a deflated file, or a
# directory when the name ends with "/"; "link" a symbolic link to data; "local"
# a name in the local code page (no UTF-8 flag); "lzma" a method the extractor
# lacks; "damaged" stored bytes declared deflated; "crc" stored bytes whose first
# one is changed after its checksum was written.

import json
import sys
import zipfile


class Entry(zipfile.ZipInfo):
    def _encodeFilenameFlags(self):
        name, flags = super()._encodeFilenameFlags()
        return name, flags & ~0x800 if self.kind == "local" else flags


deflater = zipfile._get_compressor
changed = []
with zipfile.ZipFile(sys.argv[1], "w") as archive:
    for name, data, kind in json.load(sys.stdin):
        info = Entry(name)
        info.kind = kind
        info.compress_type = {"lzma": zipfile.ZIP_LZMA, "crc": zipfile.ZIP_STORED}.get(kind, zipfile.ZIP_DEFLATED)
        info.external_attr = (0o120777 if kind == "link" else 0o644) << 16
        # Without a compressor the bytes go in as they are, under the declared method.
        zipfile._get_compressor = (lambda *_: None) if kind == "damaged" else deflater
        archive.writestr(info, data.encode("latin-1"))
        if kind == "crc":
            changed.append(info.header_offset + 30 + len(info.filename.encode()) + len(info.extra))
with open(sys.argv[1], "r+b") as out:
    for offset in changed:
        out.seek(offset)
        first = out.read(1)[0]
        out.seek(offset)
        out.write(bytes([first ^ 1]))
