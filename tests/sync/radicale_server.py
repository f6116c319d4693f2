#!/usr/bin/python3
"""Runs a real Radicale for one test.

Usage: radicale_server.py --dir TMPDIR [--user NAME --password PW]...
                          [--create-calendar NAME]... [--create-addressbook NAME]...
Prints http://127.0.0.1:PORT/ once Radicale answers, then runs until stdin
reaches EOF or SIGTERM/SIGINT arrives, and ends Radicale before exiting.
"""
import argparse
import ctypes
import http.client
import os
import select
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


# Radicale as its own command starts it, except that a server of one test,
# in a folder thrown away after it, does not flush every write to the disk.
LAUNCH = """
import sys
import radicale.config, radicale.log, radicale.server
configuration = radicale.config.load([(sys.argv[1], False)])
configuration.update({"storage": {"_filesystem_fsync": "False"}}, "test", privileged=True)
radicale.log.set_level(configuration.get("logging", "level"))
radicale.server.serve(configuration)
"""


def write_config(d, port, users):
    with open(os.path.join(d, "users"), "w") as f:
        f.writelines(f"{u}:{p}\n" for u, p in users)
    path = os.path.join(d, "radicale.conf")
    with open(path, "w") as f:
        f.write(f"[server]\nhosts = 127.0.0.1:{port}\nssl = False\n"
                f"[auth]\ntype = htpasswd\nhtpasswd_filename = {d}/users\nhtpasswd_encryption = plain\n"
                f"[rights]\ntype = owner_only\n"
                f"[storage]\nfilesystem_folder = {d}/collections\n"
                f"[logging]\nlevel = warning\n")
    return path


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


def fail(message, log):
    sys.stderr.write(f"radicale_server: {message}\n")
    with open(log, errors="replace") as f:
        sys.stderr.write(f.read())
    return 1


LIBC = ctypes.CDLL(None)


def kill_with_parent():
    LIBC.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG: Radicale dies with this script


def main():
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
    config = write_config(d, port, users)
    log = os.path.join(d, "radicale.log")
    with open(log, "w") as logf:
        proc = subprocess.Popen(["/usr/bin/python3", "-c", LAUNCH, config],
                                stdin=subprocess.DEVNULL, stdout=logf, stderr=logf,
                                preexec_fn=kill_with_parent)
    try:
        signal.signal(signal.SIGTERM, on_signal)
        signal.signal(signal.SIGINT, on_signal)
        deadline = time.monotonic() + 20
        while not answers(port):
            if proc.poll() is not None:
                return fail(f"Radicale exited with {proc.returncode} while starting", log)
            if time.monotonic() > deadline:
                return fail("Radicale did not answer within 20 s", log)
            time.sleep(0.05)
        url = f"http://127.0.0.1:{port}/"
        user, password = users[0]
        dav = Dav(url, user, password)
        for name in a.create_calendar:
            dav.mkcalendar(f"/{user}/{name}/", name)
        for name in a.create_addressbook:
            dav.mkaddressbook(f"/{user}/{name}/", name)
        print(url, flush=True)
        while True:
            if proc.poll() is not None:
                return fail(f"Radicale exited with {proc.returncode}", log)
            if select.select([sys.stdin], [], [], 0.2)[0] and not os.read(sys.stdin.fileno(), 4096):
                return 0
    except Stop:
        return 0
    except Exception as e:
        return fail(f"{type(e).__name__}: {e}", log)
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


if __name__ == "__main__":
    sys.exit(main())
