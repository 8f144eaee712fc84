#!/usr/bin/env python3
"""A CONNECT proxy for the tests, on a free port of 127.0.0.1.

Usage: connect_proxy.py --log FILE [--mode MODE] [--user USER:PASSWORD]

It prints its port on standard output once it listens, and appends the target of each CONNECT
it is asked for to the log, one "HOST:PORT" a line (with " refused" when it did not open it), and
"HOST:PORT signed in unasked" for a CONNECT that sent Proxy-Authorization before any 407 asked.
Modes: open tunnels every request; negotiate answers every request 407 offering Negotiate and
NTLM, as a proxy does to a user it does not accept; basic tunnels only requests that sign in
with the --user and password by Basic, and answers others 407 offering Basic; refuse answers
403. It only tunnels to loopback addresses.
The faulty modes hold a client that trusts the proxy: silent never answers CONNECT; drip answers
one byte a second; hugeheaders sends header lines without end; garbage answers what is no HTTP;
flood407 answers 407 with a body of a terabyte that it sends without end; chunked407 the same
with an endless chunked body.
"""

import argparse
import base64
import select
import socket
import socketserver
import sys
import time

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
            if self.server.mode in FAULTS:
                self.log(target + " refused")
                try:
                    FAULTS[self.server.mode](self.request)
                except OSError:  # The client gave up, as it should.
                    pass
                return
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


# How long a faulty mode keeps at it: far longer than any client's time limit.
FAULT_SECONDS = 120


def keep_at(send):
    deadline = time.time() + FAULT_SECONDS
    while time.time() < deadline:
        send()


def silent(connection):
    time.sleep(FAULT_SECONDS)


def drip(connection):
    head = b"HTTP/1.1 200 Connection established\r\nX-Slow: " + b"x" * FAULT_SECONDS
    for byte in head:
        connection.sendall(bytes([byte]))
        time.sleep(1)


def huge_headers(connection):
    connection.sendall(b"HTTP/1.1 200 Connection established\r\n")
    keep_at(lambda: connection.sendall(b"X-Filler: " + b"y" * 1000 + b"\r\n"))


def garbage(connection):
    connection.sendall(b"\x00\x01 this is no HTTP at all \xff\xfe\r\n\r\n")
    time.sleep(FAULT_SECONDS)


def tunnel_closed(connection):
    connection.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")


def tunnel_junk(connection):
    connection.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n" +
                       b"this is no TLS at all\r\n" * 64)
    time.sleep(FAULT_SECONDS)


def flood_407(connection):
    connection.sendall(b"HTTP/1.1 407 Proxy Authentication Required\r\n"
                       b"Proxy-Authenticate: Basic realm=\"tests\"\r\n"
                       b"Content-Length: 1000000000000\r\n\r\n")
    block = b"z" * 65536
    keep_at(lambda: connection.sendall(block))


def chunked_407(connection):
    connection.sendall(b"HTTP/1.1 407 Proxy Authentication Required\r\n"
                       b"Proxy-Authenticate: Basic realm=\"tests\"\r\n"
                       b"Transfer-Encoding: chunked\r\n\r\n")
    chunk = b"%x\r\n%s\r\n" % (65536, b"z" * 65536)
    keep_at(lambda: connection.sendall(chunk))


FAULTS = {"silent": silent, "drip": drip, "hugeheaders": huge_headers, "garbage": garbage,
          "flood407": flood_407, "chunked407": chunked_407, "tunnelclosed": tunnel_closed,
          "tunneljunk": tunnel_junk}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--mode", default="open",
                        choices=["open", "negotiate", "basic", "refuse", *FAULTS])
    parser.add_argument("--user", default="", help="USER:PASSWORD for --mode basic")
    options = parser.parse_args()
    server = Proxy(("127.0.0.1", 0), Handler)
    server.log_path, server.mode, server.user = options.log, options.mode, options.user
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
