#!/usr/bin/python3
"""Runs a real Radicale for one test, started by its own command.

Usage: radicale_server.py --dir TMPDIR [--user NAME --password PW]...
                          [--create-calendar NAME]... [--create-addressbook NAME]...
Prints http://127.0.0.1:PORT/ once the server answers, then the address of
each collection it made, calendars first, one a line. Runs until stdin
reaches EOF or SIGTERM/SIGINT arrives, and ends the server before exiting.
xandikos_server.py runs Xandikos through serve() below.
"""
import argparse
import ctypes
import http.client
import os
import select
import shutil
import signal
import socket
import subprocess
import sys
import time

from third_client import Dav


class Stop(Exception):
    pass


def on_signal(signum, frame):
    raise Stop()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def answers(port):
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=1)
    try:
        conn.request("OPTIONS", "/")
        conn.getresponse().read()
        return True
    except OSError:
        return False
    finally:
        conn.close()


LIBC = ctypes.CDLL(None)


def kill_with_parent():
    LIBC.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG: the server dies with this script


def serve(name, start):
    """Runs the server that start(folder, port, users) gives as
    (command, calendar home, address book home), the homes as paths on it."""
    p = argparse.ArgumentParser()
    p.add_argument("--dir", required=True)
    p.add_argument("--user", action="append", default=[])
    p.add_argument("--password", action="append", default=[])
    p.add_argument("--create-calendar", action="append", default=[])
    p.add_argument("--create-addressbook", action="append", default=[])
    a = p.parse_args()
    if len(a.user) != len(a.password):
        p.error("each --user needs a --password")
    users = list(zip(a.user, a.password)) or [("anna", "tajne")]
    d = os.path.abspath(a.dir)
    os.makedirs(d, exist_ok=True)
    port = free_port()
    command, calendars, books = start(d, port, users)
    log = os.path.join(d, "server.log")

    def fail(message):
        sys.stderr.write(f"{name}: {message}\n")
        with open(log, errors="replace") as f:
            sys.stderr.write(f.read())
        return 1

    with open(log, "w") as logf:
        proc = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=logf, stderr=logf,
                                preexec_fn=kill_with_parent)
    try:
        signal.signal(signal.SIGTERM, on_signal)
        signal.signal(signal.SIGINT, on_signal)
        deadline = time.monotonic() + 20
        while not answers(port):
            if proc.poll() is not None:
                return fail(f"the server exited with {proc.returncode} while starting")
            if time.monotonic() > deadline:
                return fail("the server did not answer within 20 s")
            time.sleep(0.05)
        url = f"http://127.0.0.1:{port}/"
        dav = Dav(url, *users[0])
        made = []
        for home, names, make in ((calendars, a.create_calendar, dav.mkcalendar),
                                  (books, a.create_addressbook, dav.mkaddressbook)):
            for n in names:
                make(f"{home}{n}/", n)
                made.append(f"{url.rstrip('/')}{home}{n}/")
        print("\n".join([url] + made), flush=True)
        while True:
            if proc.poll() is not None:
                return fail(f"the server exited with {proc.returncode}")
            if select.select([sys.stdin], [], [], 0.2)[0] and not os.read(sys.stdin.fileno(), 4096):
                return 0
    except Stop:
        return 0
    except Exception as e:
        return fail(f"{type(e).__name__}: {e}")
    finally:
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        if proc.poll() is None:
            proc.terminate()
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()


# Plain passwords in a htpasswd file, each user owning the collections under
# /USER/. Radicale's configuration file takes no option to leave out the
# flush of every write to the disk: each write of a test pays for it.
def start_radicale(d, port, users):
    with open(os.path.join(d, "users"), "w") as f:
        f.writelines(f"{u}:{p}\n" for u, p in users)
    config = os.path.join(d, "radicale.conf")
    with open(config, "w") as f:
        f.write(f"[server]\nhosts = 127.0.0.1:{port}\nssl = False\n"
                f"[auth]\ntype = htpasswd\nhtpasswd_filename = {d}/users\nhtpasswd_encryption = plain\n"
                f"[rights]\ntype = owner_only\n"
                f"[storage]\nfilesystem_folder = {d}/collections\n"
                f"[logging]\nlevel = warning\n")
    radicale = shutil.which("radicale")
    command = [radicale] if radicale else [sys.executable, "-m", "radicale"]
    home = f"/{users[0][0]}/"
    return command + ["--config", config], home, home


if __name__ == "__main__":
    sys.exit(serve("radicale_server", start_radicale))
