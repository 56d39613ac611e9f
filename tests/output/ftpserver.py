#!/usr/bin/env python3
# A small FTP or FTPS (explicit TLS) server for the publishing tests: user
# "site", password "secret", on 127.0.0.1.
# Usage: ftpserver.py PORT ROOT PERM [CERT KEY]
# PERM: pyftpdlib's permission letters, or "short" for a server that keeps only
# half of each file received and still reports success.
import logging
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer

port, root, perm = int(sys.argv[1]), sys.argv[2], sys.argv[3]
tls = len(sys.argv) > 5


class HandshakeFirstDTP(TLS_DTPHandler):
    # libcurl starts TLS on a data connection before it sends STOR or LIST;
    # pyftpdlib would close a data channel that reads before its command.
    def readable(self):
        if self._ssl_accepting:
            return True
        if not self.receive and not self._initialized:
            return False
        return super().readable()


authorizer = DummyAuthorizer()
authorizer.add_user("site", "secret", root, perm="elradfmw" if perm == "short" else perm)
handler = TLS_FTPHandler if tls else FTPHandler
handler.authorizer = authorizer
handler.auth_failed_timeout = 0.1  # a wrong password is answered at once
if tls:
    handler.dtp_handler = HandshakeFirstDTP
    handler.certfile, handler.keyfile = sys.argv[4], sys.argv[5]
    handler.tls_control_required = handler.tls_data_required = True
if perm == "short":
    handler.on_file_received = lambda self, path: os.truncate(path, os.path.getsize(path) // 2)
logging.basicConfig(level=logging.DEBUG if os.environ.get("FTPDEBUG") else logging.ERROR)
FTPServer(("127.0.0.1", port), handler).serve_forever()
