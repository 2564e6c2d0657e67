#!/usr/bin/python3
"""A one-connection SSH server on loopback that reports the password it receives.

  password_probe_sshd.py EXPECTED_PASSWORD_AS_UTF8_HEX

Prints "port N" once listening, then "password HEX" (the received password's
bytes in hex) for each password attempt. Accepts only EXPECTED_PASSWORD, then
grants a pseudo-terminal and a shell that prints one line. Ends when the client
goes, or after 30 seconds."""

import socket
import sys
import threading

import paramiko


class Server(paramiko.ServerInterface):
    def __init__(self, expected):
        self.expected = expected
        self.shell = threading.Event()

    def get_allowed_auths(self, username):
        return "password"

    def check_auth_password(self, username, password):
        raw = password if isinstance(password, bytes) else password.encode("utf-8")
        print("password " + raw.hex(), flush=True)
        return paramiko.AUTH_SUCCESSFUL if password == self.expected else paramiko.AUTH_FAILED

    def check_channel_request(self, kind, chanid):
        return paramiko.OPEN_SUCCEEDED if kind == "session" else paramiko.OPEN_FAILED_ADMINISTRATIVELY_PROHIBITED

    def check_channel_pty_request(self, *args):
        return True

    def check_channel_shell_request(self, channel):
        self.shell.set()
        return True


def main():
    expected = bytes.fromhex(sys.argv[1]).decode("utf-8")
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    listener.settimeout(30)
    print("port %d" % listener.getsockname()[1], flush=True)
    connection, _ = listener.accept()
    transport = paramiko.Transport(connection)
    transport.add_server_key(paramiko.ECDSAKey.generate())
    server = Server(expected)
    transport.start_server(server=server)
    channel = transport.accept(30)
    if channel is not None and server.shell.wait(30):
        channel.sendall(b"probe_shell_ready\r\n")
        channel.recv(1)
    transport.close()


if __name__ == "__main__":
    main()
