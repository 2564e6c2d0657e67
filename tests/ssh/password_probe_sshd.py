#!/usr/bin/python3
"""An SSH server on loopback that refuses every password and reports it.

  password_probe_sshd.py [ecdsa|rsa] [PORT]

Makes a fresh host key of the kind asked for and prints "port N" once listening,
"key TYPE BASE64 SHA256:FINGERPRINT", then "password HEX" (the received
password's bytes in hex) for each attempt. Serves one connection after another
until none comes for 30 seconds."""

import base64
import hashlib
import socket
import sys

import paramiko


class Server(paramiko.ServerInterface):
    def get_allowed_auths(self, username):
        return "password"

    def check_auth_password(self, username, password):
        raw = password if isinstance(password, bytes) else password.encode("utf-8")
        print("password " + raw.hex(), flush=True)
        return paramiko.AUTH_FAILED


def main():
    kind = sys.argv[1] if len(sys.argv) > 1 else "ecdsa"
    key = paramiko.RSAKey.generate(2048) if kind == "rsa" else paramiko.ECDSAKey.generate()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", int(sys.argv[2]) if len(sys.argv) > 2 else 0))
    listener.listen(4)
    listener.settimeout(30)
    fingerprint = base64.b64encode(hashlib.sha256(key.asbytes()).digest()).decode().rstrip("=")
    print("port %d" % listener.getsockname()[1], flush=True)
    print("key %s %s SHA256:%s" % (key.get_name(), key.get_base64(), fingerprint), flush=True)
    while True:
        try:
            connection, _ = listener.accept()
        except socket.timeout:
            return
        transport = paramiko.Transport(connection)
        transport.add_server_key(key)
        try:
            transport.start_server(server=Server())
        except (paramiko.SSHException, EOFError):
            continue
        transport.join(30)


if __name__ == "__main__":
    main()
