#!/usr/bin/env python3
"""Loopback HTTP(S) peer for the tests (tests/support/http_server.h).

Listens on 127.0.0.1 with a port the system chooses, prints "PORT <n>" on
stdout, then one line "REQUEST <json>" per request it receives, written
before the answer goes out (so a client that has its answer can read the
record). Ends when stdin closes, so it never outlives the test that started it.

Routes (the query is ignored):
  /short        200, a short text
  /long         200, LONG_SIZE bytes of a fixed pattern
  /empty        200, no body
  /missing      404, a UTF-8 text
  /gbk-error    500, a code page 936 text
  /empty-error  503, no body
  anything else 404, "no such route"
"""
import argparse
import json
import os
import ssl
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LONG_SIZE = 5000
SHORT_BODY = b"short answer 123"
MISSING_BODY = "页面不存在 (not found)".encode("utf-8")
GBK_ERROR_BODY = "余额不足".encode("gbk")


def long_body():
    return bytes(ord("a") + i % 26 for i in range(LONG_SIZE))


ROUTES = {
    "/short": (200, SHORT_BODY),
    "/long": (200, long_body()),
    "/empty": (200, b""),
    "/missing": (404, MISSING_BODY),
    "/gbk-error": (500, GBK_ERROR_BODY),
    "/empty-error": (503, b""),
}

_out_lock = threading.Lock()


def emit(line):
    with _out_lock:
        sys.stdout.write(line + "\n")
        sys.stdout.flush()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, format, *args):  # quiet: stderr is the test's
        pass

    def handle(self):
        try:
            super().handle()
        except (ConnectionError, ssl.SSLError, TimeoutError):
            pass  # a client that stops reading (the 2046-byte cap) or refuses TLS

    def do_GET(self):
        emit("REQUEST " + json.dumps({
            "line": self.requestline,
            "headers": [[k, v] for k, v in self.headers.items()],
        }))
        path = self.path.split("?", 1)[0]
        status, body = ROUTES.get(path, (404, b"no such route"))
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


class Server(ThreadingHTTPServer):
    daemon_threads = True
    ssl_context = None

    def finish_request(self, request, client_address):
        if self.ssl_context is not None:
            try:
                request = self.ssl_context.wrap_socket(request, server_side=True)
            except (OSError, ssl.SSLError):
                return  # the client refused our certificate
        try:
            self.RequestHandlerClass(request, client_address, self)
        finally:
            if self.ssl_context is not None:
                request.close()


def watch_stdin():
    sys.stdin.buffer.read()
    os._exit(0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()

    server = Server(("127.0.0.1", 0), Handler)
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.ssl_context = context
    threading.Thread(target=watch_stdin, daemon=True).start()
    emit("PORT %d" % server.server_address[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
