#!/usr/bin/env python3
"""Loopback HTTP(S) peer for the tests (tests/support/http_server.h).

Listens on 127.0.0.1 with a port the system chooses, prints "PORT <n>" on
stdout, then one line "REQUEST <json>" per request it receives, written
before the answer goes out (so a client that has its answer can read the
record). Ends when stdin closes, so it never outlives the test that started it.

Routes (the query is ignored but by /return_wx):
  /short        200, a short text
  /long         200, LONG_SIZE bytes of a fixed pattern
  /empty        200, no body
  /missing      404, a UTF-8 text
  /gbk-error    500, a code page 936 text
  /empty-error  503, no body
  /inform       200, an HTML page with a link and pictures (local and remote)
  /picture.png  200, bytes that a page must never make its reader fetch
  /big-page     200, BIG_PAGE_SIZE bytes of "a"
  /return_wx    net messages chosen by sn=: "cr", "crlf", "lf" (the same three
                records with those line ends), "long" (LONG_NET_SIZE bytes of
                records, the last one's content Chinese), "empty" (200, no
                body); any other serial 404
  /redirect/<p> 302 with "Location: /<p>"
  /redirect-bare 302 without a Location header
  /short-body   200, Content-Length 100 but 40 bytes, then the connection closes
  /no-length    200 without Content-Length, the body ends with the connection
  /chunked      200, chunked transfer coding, no length
  /slow         200, SLOW_SIZE bytes announced, 1000 bytes every 50 ms
  anything else 404, "no such route"

With --folder DIR a request whose path (percent-decoded) names a file below
DIR is answered with that file (200, with its length) before the routes.
"""
import argparse
import json
import os
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LONG_SIZE = 5000
SHORT_BODY = b"short answer 123"
MISSING_BODY = "页面不存在 (not found)".encode("utf-8")
GBK_ERROR_BODY = "余额不足".encode("gbk")


def long_body():
    return bytes(ord("a") + i % 26 for i in range(LONG_SIZE))


BIG_PAGE_SIZE = 2 * 1024 * 1024
INFORM_BODY = (
    '<html><body><p>通知 notice</p>'
    '<a href="http://127.0.0.1:9/more">more</a>'
    '<img src="file:///etc/hostname"><img src="/picture.png">'
    '<link rel="stylesheet" href="/style.css">'
    '</body></html>'
).encode("utf-8")

# Kept in step with kRecords of tests/core/test_net_messages.cpp.
NET_RECORDS = [("第一条", "内容 一"), ("Second", "two words"), ("", "no title")]


def net_page(eol):
    text = "header line" + eol
    for title, content in NET_RECORDS:
        text += "title:" + title + eol + "content:" + content + eol
    return text.encode("utf-8")


# 100 records of 102 bytes, then "LAST" whose content of 26 "中" runs past
# byte 10239, cutting the seventh character; 10300 bytes in all.
LONG_NET_SIZE = 10300


def long_net_page():
    text = "".join("title:T%03d\r\ncontent:%s\r\n" % (i, "x" * 80) for i in range(100))
    text += "title:LAST\r\ncontent:" + "中" * 26 + "\r\n"
    body = text.encode("utf-8")
    assert len(body) == LONG_NET_SIZE
    return body


NET_PAGES = {
    "cr": (200, net_page("\r")),
    "crlf": (200, net_page("\r\n")),
    "lf": (200, net_page("\n")),
    "long": (200, long_net_page()),
    "empty": (200, b""),
}


ROUTES = {
    "/short": (200, SHORT_BODY),
    "/long": (200, long_body()),
    "/empty": (200, b""),
    "/missing": (404, MISSING_BODY),
    "/gbk-error": (500, GBK_ERROR_BODY),
    "/empty-error": (503, b""),
    "/inform": (200, INFORM_BODY),
    "/picture.png": (200, b"\x89PNG not really"),
    "/big-page": (200, b"a" * BIG_PAGE_SIZE),
}

SLOW_SIZE = 1000000
SHORT_BODY_ANNOUNCED = 100

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
        path, _, query = self.path.partition("?")
        if self.serve_folder(path) or self.serve_special(path):
            return
        if path == "/return_wx":
            serial = query[3:] if query.startswith("sn=") else ""
            status, body = NET_PAGES.get(serial, (404, b"no such serial"))
        else:
            status, body = ROUTES.get(path, (404, b"no such route"))
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


    def serve_folder(self, path):
        folder = self.server.folder
        if not folder:
            return False
        relative = urllib.parse.unquote(path, errors="strict").lstrip("/")
        full = os.path.realpath(os.path.join(folder, relative))
        if not full.startswith(os.path.realpath(folder) + os.sep) or not os.path.isfile(full):
            return False
        size = os.path.getsize(full)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.end_headers()
        with open(full, "rb") as f:
            while True:
                block = f.read(1 << 20)
                if not block:
                    break
                self.wfile.write(block)
        return True

    def serve_special(self, path):
        if path.startswith("/redirect/"):
            self.send_response(302)
            self.send_header("Location", "/" + path[len("/redirect/"):])
            self.send_header("Content-Length", "11")
            self.end_headers()
            self.wfile.write(b"moved here.")
        elif path == "/redirect-bare":
            self.send_response(302)
            self.send_header("Content-Length", "11")
            self.end_headers()
            self.wfile.write(b"moved where")
        elif path == "/short-body":
            self.send_response(200)
            self.send_header("Content-Length", str(SHORT_BODY_ANNOUNCED))
            self.end_headers()
            self.wfile.write(b"s" * 40)
            self.close_connection = True
        elif path == "/no-length":
            self.send_response(200)
            self.end_headers()
            self.wfile.write(b"body without a length")
            self.close_connection = True
        elif path == "/chunked":
            self.protocol_version = "HTTP/1.1"
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.send_header("Connection", "close")
            self.end_headers()
            for piece in (b"first piece ", b"second piece"):
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            self.wfile.write(b"0\r\n\r\n")
            self.close_connection = True
        elif path == "/slow":
            self.send_response(200)
            self.send_header("Content-Length", str(SLOW_SIZE))
            self.end_headers()
            try:
                for _ in range(SLOW_SIZE // 1000):
                    self.wfile.write(b"w" * 1000)
                    self.wfile.flush()
                    time.sleep(0.05)
            except (ConnectionError, ssl.SSLError):
                pass
        else:
            return False
        return True


class Server(ThreadingHTTPServer):
    daemon_threads = True
    ssl_context = None
    folder = None

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


def serve(server, args):
    """Serves until stdin closes: TLS with --cert/--key when given, the port
    printed first. The weibo peer runs its own server through this too."""
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.ssl_context = context
    threading.Thread(target=watch_stdin, daemon=True).start()
    emit("PORT %d" % server.server_address[1])
    server.serve_forever()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--folder")
    args = parser.parse_args()

    server = Server(("127.0.0.1", 0), Handler)
    server.folder = args.folder
    serve(server, args)


if __name__ == "__main__":
    main()
