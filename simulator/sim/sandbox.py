"""The managed servers' root folders. Each server address has one folder that is
both where its gateway keeps files and, when the sshd fixture runs, the "/" of an
SSH login to that address (see tests/fixtures/sshd_fixture.py and README.md).

A root holds the commands a managed server needs, copied from this machine with
their libraries and owned by the real root user, so that a login (root only in a
user namespace of its own) can use them but not change them, plus the folders an
operator's commands change, owned by the login account (the namespace's root)."""

import concurrent.futures
import os
import shutil
import subprocess

COMMANDS = (
    "bash", "sh", "ls", "cat", "echo", "mkdir", "rmdir", "rm", "chmod", "chown", "cp", "mv", "ln",
    "touch", "tar", "gzip", "gunzip", "zcat", "grep", "sed", "od", "stty", "md5sum", "sha256sum",
    "curl", "id", "whoami", "pwd", "head", "tail", "cut", "tr", "wc", "sort", "uniq", "seq",
    "sleep", "printf", "mktemp", "base64", "date", "env", "uname", "find", "xargs", "dirname",
    "basename", "readlink", "realpath", "test", "true", "false", "tee", "nohup", "stat", "expr",
    "dd", "du", "yes", "diff", "cmp", "clear", "tty", "ps", "kill", "hostname", "umount",
)
TERMINALS = ("xterm-256color", "xterm", "vt100", "dumb", "linux", "screen")
DEVICES = ("null", "zero", "full", "random", "urandom", "tty")
# Top-level entries that make up the system itself; everything else at the top
# is the operator's and goes on reset.
SYSTEM = ("bin", "sbin", "lib", "lib32", "lib64", "libx32", "usr", "etc", "dev", "proc", "tmp", "root")
LINKS = ("bin", "sbin", "lib", "lib64")
JAVA_HOME = "usr/lib/jvm"
JAVA_RELEASE = JAVA_HOME + "/jre/release"
MARK = "etc/kxt-sandbox"

SUDO = """#!/bin/sh
# Everybody here is root already; sudo just runs the command.
[ "$1" = "--" ] && shift
exec "$@"
"""

YUM = """#!/bin/sh
# A yum that knows one package: java, which it records as installed.
command=
for word in "$@"; do
  case $word in
    -*) ;;
    *) if [ -z "$command" ]; then command=$word; else package=$word; fi ;;
  esac
done
if [ "$command" != install ] || [ -z "${package:-}" ]; then
  echo "用法: yum install -y java" >&2
  exit 1
fi
case $package in
  java|java-1.8.0-openjdk|java-1.8.0-openjdk-devel) ;;
  *) echo "No package $package available." >&2; echo "Error: Nothing to do" >&2; exit 1 ;;
esac
echo "Resolving Dependencies"
echo "--> Package java-1.8.0-openjdk.x86_64 1:1.8.0.392.b08-2.el7_9 will be installed"
mkdir -p /usr/lib/jvm/jre || exit 1
printf 'JAVA_VERSION="1.8.0_392"\\nIMPLEMENTOR="Red Hat, Inc."\\n' > /usr/lib/jvm/jre/release || exit 1
echo "Installed:"
echo "  java-1.8.0-openjdk.x86_64 1:1.8.0.392.b08-2.el7_9"
echo "Complete!"
"""


def make_dirs(root, relative, owner, mode=0o755):
    """Creates the folders of `relative` under `root` that are missing, each given
    to `owner`, so that a login of the sandbox can later remove them."""
    path = root
    for piece in [piece for piece in relative.split("/") if piece]:
        path = os.path.join(path, piece)
        if not os.path.isdir(path):
            os.mkdir(path, mode)
            if owner is not None:
                os.lchown(path, *owner)
    return path


def _inside(root, relative):
    """True when `relative` under `root` is reached without passing a link, so that
    acting on it as root cannot reach this machine's own files."""
    real = os.path.realpath(root)
    return os.path.realpath(os.path.join(root, relative)) == os.path.join(real, relative)


def has_system(root):
    """True when the commands, stand-ins and writable folders are all in place, and
    the top-level links are the ones this machine has."""
    needed = (MARK, "usr/bin/bash", "usr/bin/sh", "usr/bin/sudo", "usr/bin/yum", "usr/bin/tar",
              "usr/bin/curl", "tmp", "root", "dev/null", "proc", JAVA_HOME)
    links = all(os.path.islink(os.path.join(root, name))
                and os.readlink(os.path.join(root, name)) == os.readlink("/" + name)
                for name in LINKS if os.path.islink("/" + name))
    return links and all(os.path.lexists(os.path.join(root, name)) and _inside(root, name)
                         for name in needed)


def repair_system(root, host, owner):
    """Rebuilds the system part from scratch when a shell has damaged it; the
    damaged entries are removed first without following any link."""
    if not has_system(root):
        for name in SYSTEM:
            _remove(os.path.join(root, name))
        build_system(root, host, owner)


def _copy(root, source):
    """Copies `source` (following links) to the same place under `root`, with the
    host's merged-/usr links resolved."""
    real_dir = os.path.realpath(os.path.dirname(source))
    target_dir = os.path.join(root, real_dir.lstrip("/"))
    os.makedirs(target_dir, exist_ok=True)
    target = os.path.join(target_dir, os.path.basename(source))
    if not os.path.exists(target):
        shutil.copy2(source, target, follow_symlinks=True)
    return target


def _loader():
    """The dynamic loader, which lists a program's libraries much faster than ldd."""
    result = subprocess.run(["ldd", "/bin/sh"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            text=True)
    for word in result.stdout.split():
        if word.startswith("/") and "/ld-" in word:
            return word
    raise OSError("no dynamic loader found for /bin/sh")


def _libraries(loader, program):
    result = subprocess.run([loader, "--list", program], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True)
    paths = []
    for line in result.stdout.splitlines():
        for word in line.split():
            if word.startswith("/") and os.path.exists(word):
                paths.append(word)
    return paths


_FILES = []


def _system_files():
    """The host files a root gets: commands, their libraries, terminal descriptions."""
    if not _FILES:
        programs = [path for path in (shutil.which(name, path="/usr/bin:/bin:/usr/sbin:/sbin")
                                      for name in COMMANDS) if path]
        loader = _loader()
        libraries = {loader}
        with concurrent.futures.ThreadPoolExecutor(8) as pool:
            for found in pool.map(lambda program: _libraries(loader, program), programs):
                libraries.update(found)
        terminals = [os.path.join(base, name[0], name) for name in TERMINALS
                     for base in ("/usr/share/terminfo", "/lib/terminfo")]
        _FILES.extend(programs + sorted(libraries) + [path for path in terminals if os.path.exists(path)])
    return _FILES


def hostname(host):
    return "kxt-" + host.replace(".", "-").replace(":", "-")


def build_system(root, host, owner):
    """Lays out a server's system part under `root`: commands and libraries copied
    from this machine, the sudo and yum stand-ins, /etc, /dev mount points, and the
    folders the account may write. Needs root (the copies belong to root)."""
    os.makedirs(root, exist_ok=True)
    os.chmod(root, 0o755)
    if owner is not None:
        os.lchown(root, *owner)
    for name in LINKS:
        link = os.readlink("/" + name) if os.path.islink("/" + name) else None
        target = os.path.join(root, name)
        if link and not os.path.lexists(target):
            os.symlink(link, target)
    for source in _system_files():
        _copy(root, source)
    for name, text in (("usr/bin/sudo", SUDO), ("usr/bin/yum", YUM)):
        _write(root, name, text, 0o755)
    _write(root, "etc/passwd", "root:x:0:0:root:/root:/bin/bash\n"
           "nobody:x:65534:65534:nobody:/nonexistent:/usr/sbin/nologin\n")
    _write(root, "etc/group", "root:x:0:\nusers:x:100:\nnogroup:x:65534:\n")
    _write(root, "etc/hostname", hostname(host) + "\n")
    _write(root, "etc/profile", "export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin\n"
           "umask 022\nPS1='root@%s:\\w\\$ '\n" % host)
    dev = os.path.join(root, "dev")
    os.makedirs(os.path.join(dev, "pts"), exist_ok=True)
    os.makedirs(os.path.join(root, "proc"), exist_ok=True)
    for name in DEVICES:
        open(os.path.join(dev, name), "a").close()
    for name, mode in (("tmp", 0o1777), ("root", 0o700), (JAVA_HOME, 0o755)):
        path = make_dirs(root, name, owner, mode)
        os.chmod(path, mode)
    _write(root, MARK, "%s\n" % host)


def _write(root, relative, text, mode=0o644):
    path = os.path.join(root, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)
    os.chmod(path, mode)
    return path


def clear_operator_state(root):
    """Removes what an operator's actions change: every top-level entry that is not
    part of the system, the contents of /root and the Java runtime. /tmp stays: a
    shell of another test may be using it."""
    for name in os.listdir(root):
        if name not in SYSTEM:
            _remove(os.path.join(root, name))
    for folder in ("root", JAVA_HOME):
        path = os.path.join(root, folder)
        if os.path.isdir(path) and _inside(root, folder):
            for name in os.listdir(path):
                _remove(os.path.join(path, name))


def _remove(path):
    if os.path.isdir(path) and not os.path.islink(path):
        shutil.rmtree(path, ignore_errors=True)
    else:
        try:
            os.unlink(path)
        except FileNotFoundError:
            pass
