#!/usr/bin/python3
"""RFC 3161 time-stamp server on loopback, for signing tests.

    /usr/bin/python3 serve.py --dir DIR [--port-file FILE] [--fail] [--delay SECONDS]

Makes, once, in DIR a self-signed time-stamping certificate (tsa.pem, tsa.key) and the
configuration `openssl ts` needs, then answers each POSTed time-stamp query with the reply of
`openssl ts -reply` (application/timestamp-reply). With --fail every request is answered with
status 503, as a server that is down for maintenance does; with --delay each answer waits that
long, which keeps a signing tool running while a test looks at it. Listens on a free port of
127.0.0.1, prints it and, with --port-file, writes it there (under a temporary name, then
renamed). Ends cleanly on SIGTERM or SIGINT.
"""
import argparse
import http.server
import os
import signal
import subprocess
import sys
import tempfile
import threading
import time

CONFIG = """\
[tsa]
default_tsa = tsa_config
[tsa_config]
dir = {dir}
serial = $dir/serial
crypto_device = builtin
signer_cert = $dir/tsa.pem
signer_key = $dir/tsa.key
signer_digest = sha256
default_policy = 1.3.6.1.4.1.4146.2.3
other_policies = 1.3.6.1.4.1.4146.2.2
digests = sha256, sha384, sha512
accuracy = secs:1
ordering = no
tsa_name = no
ess_cert_id_chain = no
ess_cert_id_alg = sha256
"""

# The largest query read: a real one is well under 200 bytes.
MAX_QUERY = 4096


def make_authority(folder):
    os.makedirs(folder, exist_ok=True)
    key, cert = os.path.join(folder, "tsa.key"), os.path.join(folder, "tsa.pem")
    if not (os.path.exists(key) and os.path.exists(cert)):
        subprocess.run(
            ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256",
             "-days", "3650", "-subj", "/CN=Orvatec Test Time Stamps/O=Orvatec Test",
             "-addext", "extendedKeyUsage=critical,timeStamping",
             "-addext", "basicConstraints=critical,CA:FALSE",
             "-keyout", key + ".tmp", "-out", cert + ".tmp"],
            check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.replace(key + ".tmp", key)
        os.replace(cert + ".tmp", cert)
    config = os.path.join(folder, "tsa.cnf")
    with open(config, "w") as f:
        f.write(CONFIG.format(dir=folder))
    serial = os.path.join(folder, "serial")
    if not os.path.exists(serial):
        with open(serial, "w") as f:
            f.write("01\n")
    return config


class Handler(http.server.BaseHTTPRequestHandler):
    config = None
    failing = False
    delay = 0.0
    lock = threading.Lock()  # openssl ts counts its serial in one file

    def log_message(self, format, *args):
        pass

    def do_POST(self):
        time.sleep(self.delay)
        if self.failing:
            self.send_error(503, "time stamps are not available")
            return
        try:
            length = int(self.headers.get("Content-Length", ""))
        except ValueError:
            length = -1
        if length <= 0 or length > MAX_QUERY:
            self.send_error(400, "no query")
            return
        query = self.rfile.read(length)
        with tempfile.TemporaryDirectory() as scratch, self.lock:
            query_file = os.path.join(scratch, "query.tsq")
            reply_file = os.path.join(scratch, "reply.tsr")
            with open(query_file, "wb") as f:
                f.write(query)
            done = subprocess.run(
                ["openssl", "ts", "-reply", "-config", self.config, "-queryfile", query_file,
                 "-out", reply_file], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if done.returncode != 0:
                self.send_error(400, "not a time-stamp query")
                return
            with open(reply_file, "rb") as f:
                reply = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass  # a client that hangs up early (as one does on a failure status) is no error here


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--port-file")
    parser.add_argument("--fail", action="store_true")
    parser.add_argument("--delay", type=float, default=0.0)
    args = parser.parse_args()

    Handler.config = make_authority(os.path.abspath(args.dir))
    Handler.failing = args.fail
    Handler.delay = args.delay
    server = Server(("127.0.0.1", 0), Handler)
    port = server.server_address[1]
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as f:
            f.write(f"{port}\n")
        os.replace(args.port_file + ".tmp", args.port_file)
    print(port, flush=True)

    def stop(*_):
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    server.serve_forever()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
