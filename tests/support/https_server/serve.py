#!/usr/bin/python3
"""HTTPS server on loopback for the update-check tests and benchmark.

    /usr/bin/python3 serve.py --root DIR --certs DIR [--port-file FILE]

Serves DIR twice, each on a free port of 127.0.0.1 (clients ask for "localhost"): first with
the certificate certs/trusted.pem (a server certificate for localhost under the test root the
tests trust), then with certs/untrusted.pem (the same name under a root nobody trusts). Prints
both ports on one line and, with --port-file, writes them there (written under a temporary name
and renamed, so a reader never sees half a line). Ends cleanly on SIGTERM or SIGINT.

A file may have a sidecar "<file>.cut-short" holding a number N: a GET of the file is then
answered with status 200 and the file's full Content-Length, but only its first N bytes are
sent before the connection is closed, as a transfer that breaks off does.

Like many servers, it compresses a file (Content-Encoding: gzip) for a request that does not
ask for the identity encoding: a request without Accept-Encoding accepts any encoding.
"""
import argparse
import gzip
import http.server
import os
import signal
import ssl
import sys
import threading

CUT_SHORT = ".cut-short"


class Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format, *args):
        pass

    def send_cut_short(self, path):
        try:
            with open(path + CUT_SHORT, "rb") as f:
                count = max(0, int(f.read().strip() or b"0"))
            with open(path, "rb") as f:
                body = f.read()
        except (OSError, ValueError):
            return False
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body[:count])
        self.wfile.flush()
        self.close_connection = True
        return True

    def send_compressed(self, path):
        try:
            with open(path, "rb") as f:
                body = gzip.compress(f.read())
        except OSError:
            return False
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Encoding", "gzip")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        return True

    def do_GET(self):
        path = self.translate_path(self.path)
        if os.path.isfile(path + CUT_SHORT) and self.send_cut_short(path):
            return
        wanted = self.headers.get("Accept-Encoding", "").replace(" ", "").lower()
        if wanted != "identity" and os.path.isfile(path) and self.send_compressed(path):
            return
        super().do_GET()


def serve(root, certificate, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(certificate, key)

    class RootHandler(Handler):
        def __init__(self, *args, **kwargs):
            super().__init__(*args, directory=root, **kwargs)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), RootHandler)
    server.daemon_threads = True
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.5},
                     daemon=True).start()
    return server


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--certs", required=True)
    parser.add_argument("--port-file")
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    servers = [serve(root, os.path.join(args.certs, name + ".pem"),
                     os.path.join(args.certs, name + ".key"))
               for name in ("trusted", "untrusted")]
    ports = " ".join(str(s.server_address[1]) for s in servers)

    done = threading.Event()
    signal.signal(signal.SIGTERM, lambda signum, frame: done.set())
    signal.signal(signal.SIGINT, lambda signum, frame: done.set())

    if args.port_file:
        temporary = args.port_file + ".tmp"
        with open(temporary, "w") as f:
            f.write(ports + "\n")
        os.replace(temporary, args.port_file)
    print(ports, flush=True)
    while not done.wait(0.5):
        pass
    for server in servers:
        server.shutdown()
        server.server_close()
    sys.exit(0)


if __name__ == "__main__":
    main()
