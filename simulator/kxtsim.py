#!/usr/bin/env python3
"""Simulator of the KX-T platform web service (HTTPS) and of the server gateways
(HTTP) for tests and the demo. Loopback only; see README.md."""

import argparse
import json
import os
import signal
import ssl
import subprocess
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from sim.gateway import GatewayManager  # noqa: E402
from sim.httpcore import SimServer  # noqa: E402
from sim.platform import MediaHandler, PlatformHandler  # noqa: E402
from sim.state import Sim, is_loopback  # noqa: E402


def parse_args(argv):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--state-file", required=True,
                        help="JSON file written once the simulator is ready")
    parser.add_argument("--host", default="127.0.0.1", help="loopback address of the platform")
    parser.add_argument("--port", type=int, default=0, help="platform port (0: a free port)")
    parser.add_argument("--media-port", type=int, default=0,
                        help="plain-HTTP port of the videos on the platform's address (0: a free port)")
    parser.add_argument("--gateway-hosts", default="127.0.0.1,127.0.0.2,127.0.0.3",
                        help="comma-separated loopback addresses of the gateways")
    parser.add_argument("--gateway-port", type=int, default=65170)
    parser.add_argument("--root", help="folder that holds the files uploaded to the gateways")
    parser.add_argument("--root-owner", metavar="UID:GID",
                        help="the roots are sandboxes whose login is this account: files the "
                             "gateways write are handed to it")
    parser.add_argument("--ssh-host", help="address of the sshd the sample servers point to")
    parser.add_argument("--ssh-port", type=int, default=22)
    parser.add_argument("--ssh-user", default="root")
    parser.add_argument("--ssh-password", default="kxt-demo")
    args = parser.parse_args(argv)
    hosts = [host.strip() for host in args.gateway_hosts.split(",") if host.strip()]
    if args.ssh_host and args.ssh_host not in hosts:
        hosts.insert(0, args.ssh_host)
    for host in [args.host] + hosts:
        if not is_loopback(host):
            parser.error("%s is not a loopback address; the simulator serves loopback only" % host)
    if not hosts:
        parser.error("--gateway-hosts names no address")
    args.hosts = hosts
    args.owner = None
    if args.root_owner:
        try:
            args.owner = tuple(int(part) for part in args.root_owner.split(":"))
        except ValueError:
            args.owner = ()
        if len(args.owner) != 2:
            parser.error("--root-owner takes UID:GID")
    return args


def make_certificate(folder, host):
    os.makedirs(folder, exist_ok=True)
    key = os.path.join(folder, "key.pem")
    cert = os.path.join(folder, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-days", "30", "-keyout", key, "-out", cert, "-subj", "/CN=KX-T simulator",
                    "-addext", "subjectAltName=IP:%s,DNS:localhost" % host],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context, cert


def write_state(path, state):
    temp = "%s.%d.tmp" % (path, os.getpid())
    with open(temp, "w", encoding="utf-8") as out:
        json.dump(state, out, indent=2)
        out.write("\n")
    os.replace(temp, path)


def remove_own_state(path):
    """Removes the state file unless a newer instance has written it since."""
    try:
        with open(path, encoding="utf-8") as source:
            if json.load(source).get("pid") != os.getpid():
                return
        os.unlink(path)
    except (OSError, ValueError):
        pass


def main(argv):
    args = parse_args(argv)
    state_file = os.path.abspath(args.state_file)
    work_dir = state_file + ".d"
    root = os.path.abspath(args.root or os.path.join(work_dir, "root"))
    os.makedirs(work_dir, exist_ok=True)
    if os.path.exists(state_file):
        os.unlink(state_file)

    tls, cert = make_certificate(os.path.join(work_dir, "tls"), args.host)
    try:
        platform = SimServer((args.host, args.port), PlatformHandler, None, "platform", tls)
    except OSError as error:
        print("kxtsim: cannot listen on %s:%d: %s" % (args.host, args.port, error), file=sys.stderr)
        return 2
    base_url = "https://%s:%d" % (args.host, platform.server_address[1])
    try:
        media = SimServer((args.host, args.media_port), MediaHandler, None, "media")
    except OSError as error:
        print("kxtsim: cannot listen on %s:%d: %s" % (args.host, args.media_port, error), file=sys.stderr)
        return 2
    media_url = "http://%s:%d" % (args.host, media.server_address[1])
    control_url = base_url + "/__sim"
    ssh = {"host": args.ssh_host or args.hosts[0], "port": args.ssh_port,
           "user": args.ssh_user, "password": args.ssh_password}
    sim = Sim(base_url, control_url, work_dir, root, args.hosts, args.gateway_port, ssh,
              media_url=media_url, owner=args.owner)
    platform.sim = sim
    media.sim = sim
    sim.gateways = GatewayManager(sim, args.gateway_port)
    try:
        sim.gateways.reconcile()
    except OSError as error:
        print("kxtsim: cannot open a gateway on port %d: %s" % (args.gateway_port, error),
              file=sys.stderr)
        sim.gateways.stop_all()
        return 2

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    for name, server in (("platform", platform), ("media", media)):
        threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2},
                         name=name, daemon=True).start()

    write_state(state_file, {
        "base_url": base_url,
        "media_url": media_url,
        "control_url": control_url,
        "gateway_hosts": args.hosts,
        "gateway_port": sim.gateways.port,
        "root": root,
        "roots": {host: os.path.join(root, host) for host in args.hosts},
        "sandboxed": args.owner is not None,
        "log": sim.requests.path,
        "cert": cert,
        "ssh": ssh,
        "pid": os.getpid(),
    })
    print("kxtsim: platform %s, gateways %s port %d" % (base_url, ",".join(args.hosts),
                                                      sim.gateways.port), flush=True)
    while not stop.wait(1):
        pass

    sim.stall_release.set()
    for server in (platform, media):
        server.shutdown()
        server.server_close()
    sim.gateways.stop_all()
    remove_own_state(state_file)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
