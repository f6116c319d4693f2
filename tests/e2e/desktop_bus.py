#!/usr/bin/python3
"""Desktop services on a private session bus, for the end-to-end tests.

  watcher LOG                    a StatusNotifierWatcher: "registered SERVICE PATH"
  notifications LOG              a notification server: "notify ID SUMMARY|URGENCY|
                                 ACTION KEYS|APP ICON|IMAGE (WxHxCHANNELS or -)"
                                 and "close ID"
  invoke ID ACTION               makes the running notification server report an action
  item SERVICE PATH prop NAME    prints a property of a StatusNotifierItem
  item SERVICE PATH activate     calls Activate(0, 0)
  item SERVICE PATH menu-labels  prints the labels of the item's menu, in order
  item SERVICE PATH menu-click LABEL  clicks the menu entry of that label

A service creates its LOG only once it owns its name. Lines are written whole.
"""
import re
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PROPS = "org.freedesktop.DBus.Properties"
WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
NOTIFICATIONS = "org.freedesktop.Notifications"
NOTIFICATIONS_PATH = "/org/freedesktop/Notifications"
STAND_IN = "test.StandIn"  # what the tests alone call
TIMEOUT = 5


class Service(dbus.service.Object):
    def __init__(self, bus, name, path, log):
        super().__init__(bus, path)
        self.bus = bus
        reply = bus.request_name(name, dbus.bus.NAME_FLAG_DO_NOT_QUEUE)
        if reply != dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER:
            sys.exit(f"{name} is owned already")
        self.log = open(log, "a", encoding="utf-8")

    def write(self, line):
        self.log.write(line + "\n")
        self.log.flush()


class Watcher(Service):
    # Properties are declared too: a client may read them through introspection.
    INTROSPECTION = f"""<node><interface name="{WATCHER}">
      <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
      <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
      <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
      <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
      <property name="ProtocolVersion" type="i" access="read"/>
      <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
      <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
      <signal name="StatusNotifierHostRegistered"/>
    </interface><interface name="{PROPS}">
      <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
      <method name="GetAll"><arg type="s" direction="in"/><arg type="a{{sv}}" direction="out"/></method>
    </interface></node>"""

    def __init__(self, bus, log):
        super().__init__(bus, WATCHER, "/StatusNotifierWatcher", log)
        self.items = []

    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, in_signature="", out_signature="s")
    def Introspect(self):
        return self.INTROSPECTION

    @dbus.service.method(WATCHER, in_signature="s", out_signature="", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender):
        # An object path names the item at the caller; a bus name, the default path.
        name, path = (sender, service) if service.startswith("/") else (service, "/StatusNotifierItem")
        entry = name if path == "/StatusNotifierItem" else name + path
        if entry not in self.items:
            self.items.append(entry)
            self.bus.watch_name_owner(name, lambda owner: owner or self.drop(entry))
        self.write(f"registered {name} {path}")
        self.StatusNotifierItemRegistered(entry)

    @dbus.service.method(WATCHER, in_signature="s", out_signature="")
    def RegisterStatusNotifierHost(self, service):
        pass

    def drop(self, entry):
        if entry in self.items:
            self.items.remove(entry)
            self.StatusNotifierItemUnregistered(entry)

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemUnregistered(self, service):
        pass

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(PROPS, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
                "IsStatusNotifierHostRegistered": True, "ProtocolVersion": dbus.Int32(0)}


class Notifications(Service):
    def __init__(self, bus, log):
        super().__init__(bus, NOTIFICATIONS, NOTIFICATIONS_PATH, log)
        self.last = 0

    @dbus.service.method(NOTIFICATIONS, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        if not replaces:
            self.last += 1
        number = replaces or self.last
        urgency = int(hints["urgency"]) if "urgency" in hints else "-"
        image = hints.get("image-data", hints.get("image_data"))
        if image is not None:  # (iiibiiay): the picture's size and whether its pixels are all there
            width, height, stride, alpha, bits, channels, pixels = image
            whole = len(pixels) >= stride * (height - 1) + width * channels and bits == 8
            image = f"{width}x{height}x{channels}" + ("" if whole else " short")
        self.write(f"notify {number} {summary}|{urgency}|{','.join(actions[0::2])}|{icon}|{image or '-'}")
        return number

    @dbus.service.method(NOTIFICATIONS, in_signature="u", out_signature="")
    def CloseNotification(self, number):
        self.write(f"close {number}")
        self.NotificationClosed(number, 3)  # closed by a call

    @dbus.service.method(NOTIFICATIONS, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["actions", "body"]

    @dbus.service.method(NOTIFICATIONS, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("stand-in", "test", "1", "1.2")

    @dbus.service.signal(NOTIFICATIONS, signature="uu")
    def NotificationClosed(self, number, reason):
        pass

    @dbus.service.signal(NOTIFICATIONS, signature="us")
    def ActionInvoked(self, number, action):
        pass

    @dbus.service.method(STAND_IN, in_signature="us", out_signature="")
    def Invoke(self, number, action):
        self.ActionInvoked(number, action)


def menu_entries(bus, service, path):
    """(number, label) of the item's menu entries, depth first, without separators."""
    item = bus.get_object(service, path, introspect=False)
    menu = bus.get_object(service, item.Get(ITEM, "Menu", dbus_interface=PROPS, timeout=TIMEOUT),
                          introspect=False)
    layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"), dbus_interface=MENU, timeout=TIMEOUT)[1]
    entries = []

    def walk(node):
        number, props, children = node
        if "label" in props and props.get("type") != "separator" and props.get("visible", True):
            entries.append((number, re.sub("_(.)", r"\1", props["label"])))  # "__" is a "_"
        for child in children:
            walk(child)
    walk(layout)
    return entries, menu


def item(bus, service, path, command, *args):
    proxy = bus.get_object(service, path, introspect=False)
    if command == "prop":
        print(proxy.Get(ITEM, args[0], dbus_interface=PROPS, timeout=TIMEOUT))
    elif command == "activate":
        proxy.Activate(dbus.Int32(0), dbus.Int32(0), dbus_interface=ITEM, timeout=TIMEOUT)
    elif command == "menu-labels":
        print("\n".join(label for _, label in menu_entries(bus, service, path)[0]))
    elif command == "menu-click":
        entries, menu = menu_entries(bus, service, path)
        numbers = [number for number, label in entries if label == args[0]]
        if not numbers:
            sys.exit(f"no menu entry {args[0]!r}")
        menu.Event(numbers[0], "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0),
                   dbus_interface=MENU, timeout=TIMEOUT)
    else:
        sys.exit(f"unknown item command {command}")


def main(command, *args):
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    if command in ("watcher", "notifications"):
        service = (Watcher if command == "watcher" else Notifications)(bus, *args)
        GLib.MainLoop().run()
    elif command == "invoke":
        bus.get_object(NOTIFICATIONS, NOTIFICATIONS_PATH, introspect=False).Invoke(
            dbus.UInt32(int(args[0])), args[1], dbus_interface=STAND_IN, timeout=TIMEOUT)
    elif command == "item":
        item(bus, *args)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    main(*sys.argv[1:])
