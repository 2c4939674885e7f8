#!/usr/bin/python3
"""Loopback web server for the upgrade check's tests.

Usage: version_server.py DIRECTORY
Listens on a free port of 127.0.0.1 and writes that port to DIRECTORY/port;
appends the path of every request it reads to DIRECTORY/requests.
GET /KIND/NewVersion answers the version file of one kind:
  same    "4.7.0" and CR LF        newer  "4.8.0" and LF
  split   the lines "4.8" and ".0" empty  nothing
  huge    "4.9.0", LF, then one line of 10 MB
  silent  reads the request and never answers
Any other path is a 404 page.
"""
import os
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

HUGE_LINE = 10 * 1024 * 1024
FILES = {
    "same": b"4.7.0\r\n",
    "newer": b"4.8.0\n",
    "split": b"4.8\n.0",
    "empty": b"",
}
never = threading.Event()
requests_file = None


class VersionHandler(BaseHTTPRequestHandler):
    def do_GET(self):
        with open(requests_file, "a") as out:
            out.write(self.path + "\n")
        kind, _, name = self.path.strip("/").partition("/")
        if name != "NewVersion":
            self.send_error(404)
        elif kind == "silent":
            never.wait()
        elif kind == "huge":
            self.answer(b"4.9.0\n", HUGE_LINE)
        elif kind in FILES:
            self.answer(FILES[kind], 0)
        else:
            self.send_error(404)

    def answer(self, head, filler):
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(head) + filler))
        self.end_headers()
        try:
            self.wfile.write(head)
            chunk = b"x" * 65536
            for _ in range(filler // len(chunk)):
                self.wfile.write(chunk)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client read what it wanted

    def log_message(self, *args):
        pass


def main(directory):
    global requests_file
    requests_file = os.path.join(directory, "requests")
    server = ThreadingHTTPServer(("127.0.0.1", 0), VersionHandler)
    server.daemon_threads = True
    port_file = os.path.join(directory, "port")
    with open(port_file + ".tmp", "w") as out:
        out.write("%d\n" % server.server_address[1])
    os.replace(port_file + ".tmp", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main(sys.argv[1])
