#!/usr/bin/python3
# make_zip.py OUT: writes the archive given on stdin as a JSON list of
# [name, data (one character a byte), kind]. Kinds: "" a deflated file, or a
# directory when the name ends with "/"; "link" a symbolic link to data; "local"
# a name in the local code page (no UTF-8 flag); "lzma" a method the extractor
# lacks; "damaged" stored bytes declared deflated.

import json
import sys
import zipfile


class Entry(zipfile.ZipInfo):
    def _encodeFilenameFlags(self):
        name, flags = super()._encodeFilenameFlags()
        return name, flags & ~0x800 if self.kind == "local" else flags


deflater = zipfile._get_compressor
with zipfile.ZipFile(sys.argv[1], "w") as archive:
    for name, data, kind in json.load(sys.stdin):
        info = Entry(name)
        info.kind = kind
        info.compress_type = zipfile.ZIP_LZMA if kind == "lzma" else zipfile.ZIP_DEFLATED
        info.external_attr = (0o120777 if kind == "link" else 0o644) << 16
        # Without a compressor the bytes go in as they are, under the declared method.
        zipfile._get_compressor = (lambda *_: None) if kind == "damaged" else deflater
        archive.writestr(info, data.encode("latin-1"))
