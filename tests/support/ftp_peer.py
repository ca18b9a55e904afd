#!/usr/bin/env python3
"""Loopback FTP peer for the cloud-copy tests, over pyftpdlib.

Serves the folder given as --root to the one account --user/--password with
full rights, on 127.0.0.1 with a port the system chooses. Prints "PORT <n>",
then "CMD <command> <argument>" for every command it receives (never the
password). Ends when stdin closes, so it never outlives the test that
started it. Needs Debian's python3-pyftpdlib: run it with /usr/bin/python3.
"""
import argparse
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


class RecordingHandler(FTPHandler):
    def pre_process_command(self, line, cmd, arg):
        shown = "" if cmd == "PASS" else (arg or "")
        print("CMD %s %s" % (cmd, shown), flush=True)
        return super().pre_process_command(line, cmd, arg)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", default="imupdate")
    parser.add_argument("--password", default="quillmarshden")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    handler = RecordingHandler
    handler.authorizer = authorizer
    handler.banner = "ftp_peer ready"

    import logging
    logging.basicConfig(level=logging.CRITICAL)

    server = FTPServer(("127.0.0.1", 0), handler)
    print("PORT %d" % server.socket.getsockname()[1], flush=True)
    thread = threading.Thread(target=server.serve_forever, kwargs={"timeout": 0.2}, daemon=True)
    thread.start()
    try:
        sys.stdin.read()
    finally:
        server.close_all()


if __name__ == "__main__":
    main()
