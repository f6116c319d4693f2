#!/usr/bin/python3
"""Runs a real Xandikos for one test, started by its own command.

Usage and output as radicale_server.py's. Xandikos serves one user, the
first --user, and checks no password: each client is that user. Its
collections are where it keeps them, under /USER/calendars/ and
/USER/contacts/.
"""
import os
import shutil
import sys

from radicale_server import serve


def start_xandikos(d, port, users):
    user = users[0][0]
    xandikos = shutil.which("xandikos")
    command = [xandikos] if xandikos else [sys.executable, "-m", "xandikos"]
    return (command + ["-d", os.path.join(d, "collections"), "--autocreate",
                       "--current-user-principal", f"/{user}/",
                       "-l", "127.0.0.1", "-p", str(port)],
            f"/{user}/calendars/", f"/{user}/contacts/")


if __name__ == "__main__":
    sys.exit(serve("xandikos_server", start_xandikos))
