#!/usr/bin/python3
"""The tray menu as panels built on libdbusmenu read it (xfce4-panel, waybar,
the indicator hosts): through libdbusmenu's own client.

  dbusmenu_client.py SERVICE PATH members      checks the introspection data
                                               names every method and signal
  dbusmenu_client.py SERVICE PATH labels       prints the entries' labels
  dbusmenu_client.py SERVICE PATH click LABEL  asks the menu to be shown
                                               (AboutToShowGroup), then clicks
                                               the entry (EventGroup)

SERVICE and PATH are those of the StatusNotifierItem; its Menu property names
the menu. Exits 1 with the reason when the menu does not answer as it should.
"""
import re
import sys
import xml.etree.ElementTree as ET

import dbus
import gi

gi.require_version("Dbusmenu", "0.4")
from dbus.mainloop.glib import DBusGMainLoop  # noqa: E402
from gi.repository import Dbusmenu, GLib  # noqa: E402

MENU = "com.canonical.dbusmenu"
METHODS = {"GetLayout", "GetGroupProperties", "GetProperty", "Event", "EventGroup",
           "AboutToShow", "AboutToShowGroup"}
SIGNALS = {"LayoutUpdated", "ItemsPropertiesUpdated"}
TIMEOUT_MS = 5000


def fail(reason):
    print(reason)
    sys.exit(1)


def menu_path(service, item_path):
    bus = dbus.SessionBus()
    item = bus.get_object(service, item_path, introspect=False)
    return bus, str(item.Get("org.kde.StatusNotifierItem", "Menu",
                             dbus_interface=dbus.PROPERTIES_IFACE, timeout=5))


def members(bus, service, path):
    xml = bus.get_object(service, path, introspect=False).Introspect(
        dbus_interface=dbus.INTROSPECTABLE_IFACE, timeout=5)
    interface = ET.fromstring(xml).find(f"interface[@name='{MENU}']")
    if interface is None:
        fail(f"no {MENU} in the introspection data")
    methods = {m.get("name") for m in interface.iter("method")}
    signals = {s.get("name") for s in interface.iter("signal")}
    missing = sorted((METHODS - methods) | (SIGNALS - signals))
    if missing:
        fail("not in the introspection data: " + ", ".join(missing))
    event_group = interface.find("method[@name='EventGroup']")
    types = sorted((a.get("direction", "in"), a.get("type")) for a in event_group.iter("arg"))
    if types != [("in", "a(isvu)"), ("out", "ai")]:
        fail(f"EventGroup takes {types}")
    print("all members")


def run_until(done, what):
    loop = GLib.MainLoop()
    timed_out = []

    def check():
        if done():
            loop.quit()
            return False
        return True

    def give_up():
        timed_out.append(True)
        loop.quit()
        return False

    GLib.timeout_add(20, check)
    GLib.timeout_add(TIMEOUT_MS, give_up)
    loop.run()
    if timed_out and not done():
        fail(f"no answer in {TIMEOUT_MS} ms: {what}")


def entries(client):
    run_until(lambda: client.get_root() is not None and client.get_root().get_children(),
              "the layout")
    found = []
    for child in client.get_root().get_children():
        label = child.property_get("label")
        if label and child.property_get("type") != "separator" and \
                child.property_get_bool("visible") is not False:
            found.append((child, re.sub("_(.)", r"\1", label)))
    return found


def click(client, label):
    found = [item for item, text in entries(client) if text == label]
    if not found:
        fail(f"no menu entry {label!r}")
    # Panels ask before they show the menu; libdbusmenu's client batches that
    # into AboutToShowGroup (its answer reaches no callback from Python, so
    # the call is made once more by hand, for its answer).
    client.get_root().send_about_to_show(None, None)
    menu = dbus.SessionBus().get_object(client.props.dbus_name, client.props.dbus_object,
                                        introspect=False)
    ids = [dbus.Int32(item.get_id()) for item, _ in entries(client)]
    updates, errors = menu.AboutToShowGroup(dbus.Array(ids + [dbus.Int32(9999)], signature="i"),
                                            dbus_interface=MENU, timeout=5)
    if list(errors) != [9999]:
        fail(f"AboutToShowGroup: unknown entries {list(errors)}, not [9999]")
    results = []
    client.connect("event-result", lambda c, item, name, data, stamp, error: results.append(error))
    found[0].handle_event("clicked", GLib.Variant("i", 0), 0)
    run_until(lambda: results, "EventGroup")
    if results[0]:  # a GError, or nothing (None or a null pointer)
        fail(f"the click was refused: {results[0]}")
    print(f"clicked {label}")


def main(service, item_path, command, *args):
    DBusGMainLoop(set_as_default=True)
    bus, path = menu_path(service, item_path)
    if command == "members":
        return members(bus, service, path)
    client = Dbusmenu.Client.new(service, path)
    if command == "labels":
        print("\n".join(text for _, text in entries(client)))
    elif command == "click":
        click(client, args[0])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
