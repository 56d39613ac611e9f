#!/usr/bin/env python3
# A small FTP or FTPS (explicit TLS) server for the publishing tests: one user,
# one folder, on 127.0.0.1. Prints the port it listens on, then serves.
import argparse
import errno
import logging
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer

parser = argparse.ArgumentParser()
parser.add_argument("--port", type=int, default=0)
parser.add_argument("--root", required=True)
parser.add_argument("--user", required=True)
parser.add_argument("--password", required=True)
parser.add_argument("--perm", default="elradfmw")
parser.add_argument("--lose-tail", action="store_true",
                    help="keep only half of each file received and still report success")
parser.add_argument("--cert")
parser.add_argument("--key")
args = parser.parse_args()

authorizer = DummyAuthorizer()
authorizer.add_user(args.user, args.password, args.root, perm=args.perm)


class FullDiskDTP(DTPHandler):
    # pyftpdlib loses the reason of a failed write ("426 None"); a full disk
    # is answered as ProFTPD answers it.
    def handle_error(self):
        cause = sys.exc_info()[1]
        cause = cause.args[0] if cause is not None and cause.args else None
        if isinstance(cause, OSError) and cause.errno in (errno.ENOSPC, errno.EDQUOT):
            self._resp = ("452 No space left on device; transfer aborted.", logging.warning)
            self.close()
        else:
            super().handle_error()


class HandshakeFirstDTP(TLS_DTPHandler, FullDiskDTP):
    # libcurl starts TLS on a data connection before it sends STOR or LIST;
    # pyftpdlib would close a data channel that reads before its command.
    def readable(self):
        if self._ssl_accepting:
            return True
        if not self.receive and not self._initialized:
            return False
        return super().readable()


handler = TLS_FTPHandler if args.cert else FTPHandler
if args.cert:
    handler.certfile = args.cert
    handler.keyfile = args.key
    handler.tls_control_required = True
    handler.tls_data_required = True
    handler.dtp_handler = HandshakeFirstDTP
handler.authorizer = authorizer
if args.lose_tail:
    def on_file_received(self, path):
        os.truncate(path, os.path.getsize(path) // 2)
    handler.on_file_received = on_file_received
if not args.cert:
    handler.dtp_handler = FullDiskDTP
logging.basicConfig(level=logging.DEBUG if os.environ.get("FTPDEBUG") else logging.ERROR)
server = FTPServer(("127.0.0.1", args.port), handler)
print(server.address[1], flush=True)
sys.stdout.close()
server.serve_forever()
