#!/usr/bin/env python3
"""What a screen reader learns of the sync window, through AT-SPI.

  atspi_client.py PID NAME EXPECTED [PRESS]
Finds, in the application of process PID, the object whose accessible name is
NAME and waits (10 s at most) until its description is EXPECTED; with PRESS,
first presses the button of that accessible name through its action, as a
screen reader's user does (with NAME empty, only that). Prints what it saw;
exit status 0 when it matched.
"""
import sys
import time

import pyatspi


def find(pid, name):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None:
            continue
        try:
            if app.get_process_id() != pid:
                continue
        except Exception:
            continue
        found = pyatspi.findDescendant(app, lambda o: o is not None and o.name == name)
        if found is not None:
            return found
    return None


def main():
    pid, name, expected = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    press = sys.argv[4] if len(sys.argv) > 4 else None
    deadline = time.monotonic() + 10
    if press:
        button = None
        while button is None and time.monotonic() < deadline:
            button = find(pid, press)
            if button is None:
                time.sleep(0.2)
        if button is None:
            print(f"no object named {press!r}")
            return 1
        action = button.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if not names:
            print(f"{press!r} offers no action")
            return 1
        action.doAction(0)
        print(f"pressed {press!r} ({names[0]})")
        if not name:
            return 0
    seen = None
    while time.monotonic() < deadline:
        label = find(pid, name)
        if label is not None:
            seen = label.description
            if seen == expected:
                print(f"{name!r}: {seen!r}")
                return 0
        time.sleep(0.2)
    print(f"{name!r}: description {seen!r}, wanted {expected!r}")
    return 1


if __name__ == "__main__":
    sys.exit(main())
