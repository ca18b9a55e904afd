#!/usr/bin/env python3
"""A SOAP peer written apart from our interface header (soap_capture_peer.h).

It knows the messaging service only from the outside: it takes whatever
HTTP request arrives, reports it, and answers the way the .NET service does,
with the response element in a default namespace rather than a prefix. So
it checks what the client puts on the wire and that the client reads an
answer that our own gSOAP server would never write.

Listens on 127.0.0.1 with a port the system chooses and prints "PORT <n>".
For each connection it reads one request (headers, then a Content-Length or
chunked body) and prints one line "REQUEST <json>" with the request line,
the headers in order and the body in base64 (the exact bytes), before the
answer goes out. The connection is closed after the answer.

The answer names the operation after the last "/" of the request's action
(the "action" parameter of Content-Type, else the SOAPAction header):
<OpResponse xmlns="NS"><OpResult>RESULT</OpResult></OpResponse>.
Ends when stdin closes, so it never outlives the test that started it.
"""
import argparse
import base64
import json
import os
import re
import socket
import sys
import threading

MAX_HEADER_BYTES = 64 * 1024
MAX_BODY_BYTES = 64 * 1024 * 1024

_out_lock = threading.Lock()


def emit(line):
    with _out_lock:
        sys.stdout.write(line + "\n")
        sys.stdout.flush()


class Reader:
    def __init__(self, sock):
        self.sock = sock
        self.buf = b""

    def fill(self):
        data = self.sock.recv(65536)
        if not data:
            raise ConnectionError("closed before the request was complete")
        self.buf += data

    def until(self, marker, limit):
        while marker not in self.buf:
            if len(self.buf) > limit:
                raise ValueError("header too long")
            self.fill()
        head, self.buf = self.buf.split(marker, 1)
        return head

    def exactly(self, n):
        while len(self.buf) < n:
            self.fill()
        data, self.buf = self.buf[:n], self.buf[n:]
        return data


def read_request(sock):
    reader = Reader(sock)
    head = reader.until(b"\r\n\r\n", MAX_HEADER_BYTES).decode("latin-1")
    lines = head.split("\r\n")
    headers = []
    for line in lines[1:]:
        name, _, value = line.partition(":")
        headers.append([name, value.strip()])
    lookup = {k.lower(): v for k, v in headers}
    if lookup.get("transfer-encoding", "").lower() == "chunked":
        body = b""
        while True:
            size = int(reader.until(b"\r\n", 1024).split(b";")[0], 16)
            if size == 0:
                reader.until(b"\r\n", MAX_HEADER_BYTES)  # no trailers expected
                break
            body += reader.exactly(size)
            reader.exactly(2)
            if len(body) > MAX_BODY_BYTES:
                raise ValueError("body too long")
    else:
        length = int(lookup.get("content-length", "0"))
        if length > MAX_BODY_BYTES:
            raise ValueError("body too long")
        body = reader.exactly(length)
    return lines[0], headers, lookup, body


def operation_of(lookup):
    match = re.search(r'action="?([^";]*)', lookup.get("content-type", ""))
    action = match.group(1) if match else lookup.get("soapaction", "").strip('"')
    return action.rsplit("/", 1)[-1]


def answer(namespace, operation, result):
    body = (
        '<?xml version="1.0" encoding="utf-8"?>'
        '<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope" '
        'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" '
        'xmlns:xsd="http://www.w3.org/2001/XMLSchema">'
        "<soap:Body>"
        '<{op}Response xmlns="{ns}"><{op}Result>{result}</{op}Result></{op}Response>'
        "</soap:Body></soap:Envelope>"
    ).format(op=operation, ns=namespace, result=result).encode("utf-8")
    head = (
        "HTTP/1.1 200 OK\r\n"
        "Cache-Control: private, max-age=0\r\n"
        "Content-Type: application/soap+xml; charset=utf-8\r\n"
        "Content-Length: %d\r\n"
        "Connection: close\r\n"
        "\r\n" % len(body)
    ).encode("latin-1")
    return head + body


def serve(conn, args):
    with conn:
        conn.settimeout(30)
        try:
            line, headers, lookup, body = read_request(conn)
        except (OSError, ValueError, ConnectionError) as e:
            emit("BROKEN " + json.dumps({"error": str(e)}))
            return
        emit("REQUEST " + json.dumps({
            "line": line,
            "headers": headers,
            "body": base64.b64encode(body).decode("ascii"),
        }))
        try:
            conn.sendall(answer(args.namespace, operation_of(lookup), args.result))
            conn.shutdown(socket.SHUT_WR)
        except OSError:
            pass


def watch_stdin():
    sys.stdin.buffer.read()
    os._exit(0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--namespace", default="http://ns.corvelane.invalid/")
    parser.add_argument("--result", default="8765")
    args = parser.parse_args()

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    threading.Thread(target=watch_stdin, daemon=True).start()
    emit("PORT %d" % listener.getsockname()[1])
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn, args), daemon=True).start()


if __name__ == "__main__":
    main()
