#!/usr/bin/env python3
"""Writes a small starting corpus for fuzz_unzip: ordinary packages and hostile ones."""
import sys
import zipfile
from pathlib import Path

TEXT = b"KX-T console update " * 20
SEEDS = {
    "plain": [("a.txt", TEXT), ("b.txt", b"b")],
    "dirs": [("d/", b""), ("d/a.txt", TEXT), ("d/e/", b""), ("d/e/f.bin", bytes(range(256)))],
    "chinese": [("更新包/说明.txt", "中文内容".encode())],
    "symlink": [("link", b"/tmp", 0o120777), ("link/x.txt", b"x")],
    "clash": [("a", b"file"), ("a/b.txt", b"x"), ("c/", b""), ("c", b"x")],
    "empty": [],
}
# One escape per archive, after ordinary entries, so that no earlier refusal hides it.
for index, name in enumerate(("../up.txt", "a/../../up.txt", "/tmp/abs.txt", "C:/win.txt", "..\\back.txt")):
    SEEDS["escape%d" % index] = [("a/", b""), ("ok.txt", b"ok"), (name, b"x")]


def main(out):
    out.mkdir(parents=True, exist_ok=True)
    for name, entries in SEEDS.items():
        for compression in (zipfile.ZIP_DEFLATED, zipfile.ZIP_STORED):
            with zipfile.ZipFile(out / ("%s-%d.zip" % (name, compression)), "w", compression) as archive:
                for entry, data, *mode in entries:
                    info = zipfile.ZipInfo(entry)
                    info.external_attr = mode[0] << 16 if mode else 0  # the Unix file type and mode
                    archive.writestr(info, data, compression)


if __name__ == "__main__":
    main(Path(sys.argv[1]))
