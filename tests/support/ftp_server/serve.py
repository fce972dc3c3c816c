#!/usr/bin/python3
"""Anonymous, read-only FTP server on 127.0.0.1 for the update-check tests and benchmark.

    /usr/bin/python3 serve.py --root DIR [--port-file FILE]

Serves DIR on a free port (passive mode works on loopback), prints the port on its own line
and, with --port-file, writes it there as well (written under a temporary name and renamed, so
a reader never sees half a number). Ends cleanly on SIGTERM or SIGINT.

A directory may hold a file named ".listing-extra": its lines are sent verbatim ahead of the
directory's real entries in every LIST reply. Tests use it to offer entries that no Linux
file system can hold (names with path separators or control characters) or entries whose
listed size differs from the data served.

The served root may hold a file named ".reply-delay-ms" with a number of milliseconds: every
listing and download command (LIST, NLST, MLSD, RETR) is then answered only after that delay,
without holding up other connections. Tests use it to keep queries running while they act.
"""
import argparse
import logging
import os
import signal
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

EXTRA = ".listing-extra"
DELAY = ".reply-delay-ms"
DELAYED_COMMANDS = ("LIST", "NLST", "MLSD", "RETR")


class ListingFS(AbstractedFS):
    def listdir(self, path):
        return [name for name in super().listdir(path) if name not in (EXTRA, DELAY)]

    def format_list(self, basedir, listing, ignore_err=True):
        extra = os.path.join(basedir, EXTRA)
        if os.path.isfile(extra):
            with open(extra, "rb") as f:
                for line in f.read().splitlines():
                    if line:
                        yield line + b"\r\n"
        yield from super().format_list(basedir, listing, ignore_err)


class DelayingHandler(FTPHandler):
    delay_file = None

    def reply_delay(self):
        try:
            with open(self.delay_file, "rb") as f:
                return max(0, int(f.read().strip() or b"0")) / 1000.0
        except (OSError, ValueError):
            return 0.0

    def process_command(self, cmd, *args, **kwargs):
        delay = self.reply_delay() if cmd in DELAYED_COMMANDS else 0.0
        if delay <= 0:
            return super().process_command(cmd, *args, **kwargs)
        # A connection closed in the meantime is skipped by process_command itself.
        self.ioloop.call_later(delay, super().process_command, cmd, *args, **kwargs)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--port-file")
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(os.path.abspath(args.root), perm="elr")

    handler = DelayingHandler
    handler.delay_file = os.path.join(os.path.abspath(args.root), DELAY)
    handler.authorizer = authorizer
    handler.abstracted_fs = ListingFS
    handler.banner = "update-check test server"

    server = FTPServer(("127.0.0.1", 0), handler)
    server.max_cons = 64
    port = server.socket.getsockname()[1]

    def stop(signum, frame):
        server.close_all()
        sys.exit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    if args.port_file:
        temporary = args.port_file + ".tmp"
        with open(temporary, "w") as f:
            f.write("%d\n" % port)
        os.replace(temporary, args.port_file)
    print(port, flush=True)
    server.serve_forever(timeout=0.5, handle_exit=False)


if __name__ == "__main__":
    main()
