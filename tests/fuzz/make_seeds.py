#!/usr/bin/env python3
"""Writes a small starting corpus for fuzz_unzip: ordinary packages and hostile ones."""
import io
import sys
import zipfile
from pathlib import Path


def archive(entries, compression=zipfile.ZIP_DEFLATED):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", compression) as zf:
        for name, data, mode in entries:
            info = zipfile.ZipInfo(name)
            info.compress_type = compression
            if mode:
                info.create_system = 3
                info.external_attr = mode << 16
            zf.writestr(info, data)
    return buffer.getvalue()


def main(out):
    out.mkdir(parents=True, exist_ok=True)
    text = b"KX-T console update " * 20
    seeds = {
        "plain": [("a.txt", text, 0), ("b.txt", b"b", 0)],
        "dirs": [("d/", b"", 0), ("d/a.txt", text, 0), ("d/e/", b"", 0), ("d/e/f.bin", bytes(range(256)), 0)],
        "chinese": [("更新包/说明.txt", "中文内容".encode(), 0)],
        "traversal": [("../up.txt", b"x", 0), ("a/../../up.txt", b"x", 0), ("ok.txt", b"ok", 0)],
        "absolute": [("/tmp/abs.txt", b"x", 0), ("C:/win.txt", b"x", 0), ("..\\back.txt", b"x", 0)],
        "symlink": [("link", b"/tmp", 0o120777), ("link/x.txt", b"x", 0)],
        "clash": [("a", b"file", 0), ("a/b.txt", b"x", 0), ("c/", b"", 0), ("c", b"x", 0)],
    }
    for name, entries in seeds.items():
        (out / f"{name}.zip").write_bytes(archive(entries))
    (out / "stored.zip").write_bytes(archive(seeds["dirs"], zipfile.ZIP_STORED))
    (out / "empty.zip").write_bytes(archive([]))


if __name__ == "__main__":
    main(Path(sys.argv[1]))
