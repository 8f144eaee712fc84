#!/usr/bin/env python3
"""A CONNECT proxy for the tests, on a free port of 127.0.0.1.

Usage: connect_proxy.py --log FILE [--mode open|negotiate|basic|refuse] [--user USER:PASSWORD]

It prints its port on standard output once it listens, and appends the target of each CONNECT
it is asked for to the log, one "HOST:PORT" a line (with " refused" when it did not open it), and
"HOST:PORT signed in unasked" for a CONNECT that sent Proxy-Authorization before any 407 asked.
Modes: open tunnels every request; negotiate answers every request 407 offering Negotiate and
NTLM, as a proxy does to a user it does not accept; basic tunnels only requests that sign in
with the --user and password by Basic, and answers others 407 offering Basic; refuse answers
403. It only tunnels to loopback addresses.
"""

import argparse
import base64
import select
import socket
import socketserver
import sys

LOOPBACK = ("localhost", "127.0.0.1", "::1", "[::1]")


class Proxy(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def read_head(connection):
    """The request's head as text, up to its blank line; empty when the client went away."""
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = connection.recv(4096)
        if not chunk:
            return ""
        data += chunk
    return data.split(b"\r\n\r\n", 1)[0].decode("latin-1")


def relay(one, other):
    sockets = [one, other]
    while True:
        readable, _, _ = select.select(sockets, [], [], 60)
        if not readable:
            return
        for source in readable:
            data = source.recv(65536)
            if not data:
                return
            (other if source is one else one).sendall(data)


class Handler(socketserver.BaseRequestHandler):
    def answer(self, status, headers=()):
        lines = ["HTTP/1.1 %s" % status, *headers, "Content-Length: 0", "", ""]
        self.request.sendall("\r\n".join(lines).encode("latin-1"))

    def log(self, text):
        with open(self.server.log_path, "a", encoding="utf-8") as log:
            log.write(text + "\n")

    def handle(self):
        # One connection may carry several CONNECTs when a sign-in needs more than one round.
        asked = False
        while True:
            head = read_head(self.request)
            if not head:
                return
            lines = head.split("\r\n")
            method, target = lines[0].split(" ")[:2]
            headers = {}
            for line in lines[1:]:
                name, _, value = line.partition(":")
                headers[name.strip().lower()] = value.strip()
            if method != "CONNECT":
                self.answer("405 Method Not Allowed")
                return
            if "proxy-authorization" in headers and not asked:
                self.log(target + " signed in unasked")
            if not self.admitted(target, headers):
                asked = True
                continue
            host, _, port = target.rpartition(":")
            if host not in LOOPBACK:
                self.log(target + " refused")
                self.answer("403 Forbidden")
                return
            self.log(target)
            try:
                upstream = socket.create_connection((host.strip("[]"), int(port)), timeout=10)
            except OSError:
                self.answer("502 Bad Gateway")
                return
            self.answer("200 Connection established")
            with upstream:
                relay(self.request, upstream)
            return

    def admitted(self, target, headers):
        """Whether the mode lets the CONNECT through; else it has been answered."""
        mode = self.server.mode
        if mode == "negotiate":
            self.log(target + " refused")
            self.answer("407 Proxy Authentication Required",
                        ["Proxy-Authenticate: Negotiate", "Proxy-Authenticate: NTLM"])
            return False
        if mode == "refuse":
            self.log(target + " refused")
            self.answer("403 Forbidden")
            return False
        if mode == "basic":
            expected = "Basic " + base64.b64encode(self.server.user.encode()).decode()
            if headers.get("proxy-authorization") != expected:
                self.answer("407 Proxy Authentication Required",
                            ['Proxy-Authenticate: Basic realm="tests"'])
                return False
        return True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--mode", default="open", choices=["open", "negotiate", "basic", "refuse"])
    parser.add_argument("--user", default="", help="USER:PASSWORD for --mode basic")
    options = parser.parse_args()
    server = Proxy(("127.0.0.1", 0), Handler)
    server.log_path, server.mode, server.user = options.log, options.mode, options.user
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
