#!/usr/bin/python3
"""An HTTP server that gives every request the same deliberately bad answer.

Usage: dav_stub.py --mode MODE [--tls]
MODE: 401 403 404 500 503 507 malformed html hang ok
Prints http(s)://127.0.0.1:PORT/ and serves until stdin reaches EOF or SIGTERM.
"""
import argparse
import os
import signal
import ssl
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "sync")
MULTISTATUS = '<?xml version="1.0" encoding="utf-8"?>\n<D:multistatus xmlns:D="DAV:">'
ANSWERS = {
    "401": (401, "text/plain", "Unauthorized\n"),
    "403": (403, "text/plain", "Forbidden\n"),
    "404": (404, "text/plain", "Not Found\n"),
    "500": (500, "text/plain", "Internal Server Error\n"),
    "503": (503, "text/plain", "Service Unavailable\n"),
    "507": (507, "text/plain", "Insufficient Storage\n"),
    "malformed": (207, "application/xml; charset=utf-8", MULTISTATUS +
                  "<D:response><D:href>/anna/work/a.ics</D:href><D:propstat><D:prop><D:getetag>\"1\"</D:getetag>"
                  "</D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response><D:response><D:hr"),
    "html": (200, "text/html; charset=utf-8", "<!DOCTYPE html>\n<html><head><title>Welcome to the hotel network</title>"
             "</head><body><form method=\"post\">Accept the terms to go online <button>Accept</button></form></body></html>\n"),
    "ok": (207, "application/xml; charset=utf-8", MULTISTATUS + "</D:multistatus>\n"),
    "hang": None,
}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def __getattr__(self, name):
        if name.startswith("do_"):
            return self.answer
        raise AttributeError(name)

    def answer(self):
        sys.stderr.write(f"dav_stub {self.server.mode}: {self.requestline}\n")
        sys.stderr.flush()
        self.rfile.read(int(self.headers.get("Content-Length") or 0))
        if self.server.mode == "hang":
            threading.Event().wait()
        status, ctype, text = ANSWERS[self.server.mode]
        body = text.encode()
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        if status == 401:
            self.send_header("WWW-Authenticate", 'Basic realm="stub"')
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def log_message(self, format, *args):
        pass


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def finish_request(self, request, client_address):
        if not self.tls:
            return super().finish_request(request, client_address)
        try:
            request = self.tls.wrap_socket(request, server_side=True)
        except OSError as e:
            sys.stderr.write(f"dav_stub: TLS handshake failed: {e}\n")
            return
        try:
            super().finish_request(request, client_address)
        finally:
            request.close()


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--mode", required=True, choices=sorted(ANSWERS))
    p.add_argument("--tls", action="store_true")
    a = p.parse_args()
    server = Server(("127.0.0.1", 0), Handler)
    server.mode, server.tls = a.mode, None
    if a.tls:
        server.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        server.tls.load_cert_chain(os.path.join(DATA, "stub-cert.pem"), os.path.join(DATA, "stub-key.pem"))
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: sys.exit(0))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print(f"{'https' if a.tls else 'http'}://127.0.0.1:{server.server_address[1]}/", flush=True)
    while sys.stdin.buffer.read1(4096):
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
