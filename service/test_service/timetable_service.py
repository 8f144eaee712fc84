#!/usr/bin/env python3
"""A small HTTPS timetable service for the tests and the demo.

It answers the program's two queries from our own sample data, wrapped as {"message": ...},
and logs every request's address and User-Agent, and in a second log the connection each request
came over. It keeps connections open between requests, as a real HTTPS service does. A test steers it through POST /control: a mode
per query (for the fault tests) and, optionally, its own timetables and list of trains online.
On start it makes a throwaway CA and a certificate for localhost in its work folder, and puts
the CA's certificate there as cacert.pem for the program.
"""

import argparse
import json
import os
import ssl
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from service_client import PORT

DATA_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")
MODES = ("normal", "notjson", "html500", "json500", "redirect", "array", "nomessage", "stall",
         "cut", "empty", "huge", "hugechunked", "deep", "emptystops", "unavailable",
         "json503", "toomany", "reset", "notfound")
# The modes of a service that falters for a moment: "unavailable" answers 503 with a page,
# "json503" 503 with the usual JSON, "toomany" 429 with Retry-After (the control's "retryAfter",
# 2 s by default), "reset" closes the connection without an answer; "notfound" answers 404
# with a page, as a web server without the service does. With the control's
# "timetableTimes" or "onlineTimes" N, a query's mode holds for its first N requests, and the
# service answers normally after them.
STALL_SECONDS = 120
# The answer of the modes "huge" (with its Content-Length) and "hugechunked" (without one): one
# block sent over and over, until the client stops reading.
HUGE_BYTES = 300 * 1024 * 1024
HUGE_BLOCK = b" " * (1024 * 1024)
# The answer of the mode "deep": stop points of arrays nested a million deep, 2 MB in all.
DEEP_LEVELS = 1000000
# The answer of the mode "emptystops": a timetable of this many empty stop points by default (the
# control's "emptyStops" changes it), written without blanks, three bytes a stop point.
EMPTY_STOPS = 400000


def make_certificates(folder):
    """A CA and a server certificate for localhost and 127.0.0.1, made once per work folder."""
    server_pem = os.path.join(folder, "server.pem")
    if not os.path.exists(server_pem):
        def openssl(*args):
            subprocess.run(["openssl", *args], cwd=folder, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30",
                "-subj", "/CN=Timetable test CA", "-keyout", "ca.key", "-out", "ca.pem")
        openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost",
                "-keyout", "server.key", "-out", "server.csr")
        with open(os.path.join(folder, "server.ext"), "w") as ext:
            ext.write("subjectAltName=DNS:localhost,IP:127.0.0.1\n")
        openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                "-CAcreateserial", "-days", "30", "-extfile", "server.ext", "-out", "server.pem")
    with open(os.path.join(folder, "ca.pem"), "rb") as src:
        ca = src.read()
    with open(os.path.join(folder, "cacert.pem"), "wb") as dst:
        dst.write(ca)
    return server_pem, os.path.join(folder, "server.key")


def answer_body(payload):
    """The service's answer to a query, as the program reads it: the payload as "message"."""
    return json.dumps({"success": payload is not None, "message": payload}, ensure_ascii=False)


def load_sample_data():
    timetables = {}
    folder = os.path.join(DATA_DIR, "timetables")
    for name in os.listdir(folder):
        if name.endswith(".json"):
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                timetables[name[:-5]] = json.load(f)
    with open(os.path.join(DATA_DIR, "online.json"), encoding="utf-8") as f:
        online = json.load(f)
    return timetables, online


class State:
    """What the service answers; replaced as a whole by each POST /control."""

    def __init__(self, log_path):
        self.lock = threading.Lock()
        self.log_path = log_path
        self.connections_path = os.path.join(os.path.dirname(log_path), "connections.log")
        self.stopping = threading.Event()
        self.reset({})

    def reset(self, control):
        timetables, online = load_sample_data()
        timetables.update(control.get("timetables", {}))
        self.timetables = timetables
        self.online = control.get("onlineList", online)
        self.empty_stops = control.get("emptyStops", EMPTY_STOPS)
        self.modes = {"timetable": control.get("timetable", "normal"),
                      "online": control.get("online", "normal")}
        self.remaining = {query: control.get(query + "Times") for query in self.modes}
        self.retry_after = control.get("retryAfter", 2)
        for mode in self.modes.values():
            if mode not in MODES:
                raise ValueError("unknown mode " + mode)


class Handler(BaseHTTPRequestHandler):
    """One instance serves one connection, request after request."""

    server_version = "TimetableTestService/1.0"
    protocol_version = "HTTP/1.1"  # Keep-alive: every answer carries its Content-Length.

    def log_message(self, format, *args):  # Quiet: the request log is written separately.
        pass

    def send_body(self, status, body, content_type="application/json", headers=()):
        data = body.encode("utf-8") if isinstance(body, str) else body
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(data)

    def do_POST(self):
        state = self.server.state
        if self.path != "/control":
            return self.send_body(404, '{"message":null}')
        length = int(self.headers.get("Content-Length", "0"))
        try:
            control = json.loads(self.rfile.read(length) or b"{}")
            with state.lock:
                state.reset(control)
        except (ValueError, TypeError) as error:
            return self.send_body(400, json.dumps({"error": str(error)}))
        self.send_body(200, '{"ok":true}')

    def do_GET(self):
        state = self.server.state
        with state.lock:
            with open(state.log_path, "a", encoding="utf-8") as log:
                log.write("https://%s%s\t%s\n" % (self.headers.get("Host", ""), self.path,
                                                   self.headers.get("User-Agent", "")))
            with open(state.connections_path, "a", encoding="utf-8") as log:
                log.write("%s:%d\t%s\n" % (*self.client_address[:2], self.path))
        query = urllib.parse.urlsplit(self.path).query
        params = dict(urllib.parse.parse_qsl(query, keep_blank_values=True))
        method = params.get("method")
        if method == "getTrainsOnline":
            return self.answer(self.mode_now("online"), state.online)
        if method == "readFromSWDR":
            parts = params.get("value", "").split(";")
            if len(parts) == 3 and parts[0] == "getTimetable":
                payload = state.timetables.get(parts[1].lstrip("0") or "0")
                return self.answer(self.mode_now("timetable"), payload)
        self.send_body(200, json.dumps({"success": False, "message": None}))

    def mode_now(self, query):
        """The query's mode for this request, counting down the requests it holds for."""
        state = self.server.state
        with state.lock:
            remaining = state.remaining[query]
            if remaining is None:
                return state.modes[query]
            if remaining <= 0:
                return "normal"
            state.remaining[query] = remaining - 1
            return state.modes[query]

    def answer(self, mode, payload):
        body = answer_body(payload)
        if mode == "normal":
            self.send_body(200, body)
        elif mode == "notjson":
            self.send_body(200, "Service temporarily unavailable", "text/plain")
        elif mode == "html500":
            self.send_body(500, "<html><body><h1>500 Internal Server Error</h1></body></html>",
                           "text/html")
        elif mode == "json500":
            self.send_body(500, body)
        elif mode == "redirect":
            self.send_body(302, "<html><body>Moved</body></html>", "text/html",
                           [("Location", "https://localhost:%d/moved" % PORT)])
        elif mode == "array":
            self.send_body(200, json.dumps([payload], ensure_ascii=False))
        elif mode == "nomessage":
            self.send_body(200, json.dumps({"success": True, "data": payload}))
        elif mode == "empty":
            self.send_body(200, "")
        elif mode == "unavailable":
            self.send_body(503, "<html><body><h1>503 Service Unavailable</h1></body></html>",
                           "text/html")
        elif mode == "notfound":
            self.send_body(404, "<html><body><h1>404 Not Found</h1></body></html>", "text/html")
        elif mode == "json503":
            self.send_body(503, body)
        elif mode == "toomany":
            self.send_body(429, "<html><body>Too many requests</body></html>", "text/html",
                           [("Retry-After", str(self.server.state.retry_after))])
        elif mode == "reset":
            self.close_connection = True
            self.connection.close()
        elif mode == "stall":
            self.server.state.stopping.wait(STALL_SECONDS)
        elif mode == "deep":
            self.send_body(200, '{"message":{"trainInfo":{},"stopPoints":%s%s}}' % (
                "[" * DEEP_LEVELS, "]" * DEEP_LEVELS))
        elif mode == "emptystops":
            self.send_body(200, '{"message":{"trainInfo":{},"stopPoints":[%s]}}' % ",".join(
                ["{}"] * self.server.state.empty_stops))
        elif mode in ("huge", "hugechunked"):
            self.send_huge(mode == "huge")
        elif mode == "cut":
            data = body.encode("utf-8")
            self.send_response(200)
            self.send_header("Content-Type", "application/json")
            self.send_header("Content-Length", str(len(data) + 10000))
            self.end_headers()
            self.wfile.write(data[: max(1, len(data) // 2)])
            self.wfile.flush()
            self.close_connection = True
            self.connection.close()


    def send_huge(self, with_length):
        self.send_response(200)
        self.send_header("Content-Type", "application/json")
        if with_length:
            self.send_header("Content-Length", str(HUGE_BYTES))
        else:
            self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        chunk = HUGE_BLOCK if with_length else b"%x\r\n%s\r\n" % (len(HUGE_BLOCK), HUGE_BLOCK)
        self.close_connection = True
        try:
            for _ in range(HUGE_BYTES // len(HUGE_BLOCK)):
                self.wfile.write(chunk)
            if not with_length:
                self.wfile.write(b"0\r\n\r\n")
        except OSError:  # The client hung up, as it should, long before the end.
            pass


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--dir", required=True, help="work folder: certificates and request log")
    parser.add_argument("--port", type=int, default=PORT)
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    cert, key = make_certificates(args.dir)

    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.state = State(os.path.join(args.dir, "requests.log"))
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    print("listening on https://localhost:%d" % args.port, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.state.stopping.set()
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
