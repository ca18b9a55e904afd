#!/usr/bin/env python3
"""Loopback microblog service for the tests (tests/support/weibo_peer.h).

Listens on 127.0.0.1 with a port the system chooses, prints "PORT <n>" on
stdout, then one line "REQUEST <json>" per request (method, target, headers,
body in base64), written before the answer goes out. Ends when stdin closes.

API answers come from the folder given with --answers: for a path P the test
writes "<hex of P>.json" ({"status": n, "delay_ms": n}) and "<hex of P>.body";
a path without them gets 404 "no answer set". The picture routes under /pic/
are fixed (see the header).
"""
import argparse
import base64
import json
import os
import sys
import time

# The sibling peer's handler, server, output and serving loop; no bytecode
# cache is left in the source tree.
sys.dont_write_bytecode = True
import http_server  # noqa: E402
from http_server import emit  # noqa: E402

PICTURE_SIZE = 3000
HUGE_SIZE = 11 * 1024 * 1024


def picture(size):
    return bytes((i * 7 + 3) % 256 for i in range(size))


PICTURE = picture(PICTURE_SIZE)

REDIRECTS = {
    "/pic/redirect": "/pic/length.jpg",
    "/pic/redirect-twice": "/pic/redirect",
    "/pic/redirect-file": "file:///etc/hostname",
}


class Handler(http_server.Handler):
    def record(self, body):
        emit("REQUEST " + json.dumps({
            "line": self.requestline,
            "headers": [[k, v] for k, v in self.headers.items()],
            "body": base64.b64encode(body).decode("ascii"),
        }))

    def do_GET(self):
        self.answer(b"")

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        self.answer(self.rfile.read(length) if length > 0 else b"")

    def answer(self, body):
        self.record(body)
        path = self.path.partition("?")[0]
        if path.startswith("/pic/"):
            self.picture_route(path)
            return
        status, payload, delay = self.stored(path)
        if delay > 0:
            time.sleep(delay / 1000.0)
        self.send_plain(status, payload, "application/json")

    def stored(self, path):
        folder = self.server.answers
        stem = os.path.join(folder, path.encode("utf-8").hex())
        try:
            with open(stem + ".json", "r", encoding="utf-8") as f:
                meta = json.load(f)
            with open(stem + ".body", "rb") as f:
                payload = f.read()
        except (OSError, ValueError):
            return 404, b"no answer set", 0
        return int(meta.get("status", 200)), payload, int(meta.get("delay_ms", 0))

    def send_plain(self, status, payload, kind):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(payload)))
        self.end_headers()
        self.wfile.write(payload)

    def picture_route(self, path):
        if path in ("/pic/length.jpg", "/pic/dir/"):
            self.send_plain(200, PICTURE, "image/jpeg")
        elif path == "/pic/chunked":
            self.protocol_version = "HTTP/1.1"
            self.send_response(200)
            self.send_header("Content-Type", "image/jpeg")
            self.send_header("Transfer-Encoding", "chunked")
            self.send_header("Connection", "close")
            self.end_headers()
            for i in range(0, PICTURE_SIZE, 700):
                piece = PICTURE[i:i + 700]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            self.wfile.write(b"0\r\n\r\n")
            self.close_connection = True
        elif path == "/pic/truncated.jpg":
            self.send_response(200)
            self.send_header("Content-Type", "image/jpeg")
            self.send_header("Content-Length", str(PICTURE_SIZE))
            self.end_headers()
            self.wfile.write(PICTURE[:PICTURE_SIZE // 2])
            self.wfile.flush()
            self.close_connection = True
        elif path in REDIRECTS:
            self.send_response(302)
            self.send_header("Location", REDIRECTS[path])
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif path == "/pic/huge.jpg":
            self.send_response(200)
            self.send_header("Content-Type", "image/jpeg")
            self.send_header("Content-Length", str(HUGE_SIZE))
            self.end_headers()
            block = b"h" * (1 << 20)
            for _ in range(HUGE_SIZE // len(block)):
                self.wfile.write(block)
        else:
            self.send_plain(404, b"no such picture", "text/plain")


class Server(http_server.Server):
    answers = ""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--answers", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()

    server = Server(("127.0.0.1", 0), Handler)
    server.answers = args.answers
    http_server.serve(server, args)


if __name__ == "__main__":
    main()
