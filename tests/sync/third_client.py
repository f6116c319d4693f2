#!/usr/bin/python3
"""A third CalDAV/CardDAV client for tests, speaking JSON lines on stdin/stdout.

Usage: third_client.py URL USER PASSWORD
One JSON command per input line, one JSON answer per output line; ends at EOF.
"""
import base64
import http.client
import json
import sys
import urllib.parse
import xml.etree.ElementTree as ET
from xml.sax.saxutils import escape

XMLNS = 'xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav" xmlns:CR="urn:ietf:params:xml:ns:carddav"'
MKCALENDAR = ('<?xml version="1.0" encoding="utf-8"?><C:mkcalendar ' + XMLNS + '><D:set><D:prop>'
              '<D:displayname>{}</D:displayname></D:prop></D:set></C:mkcalendar>')
MKADDRESSBOOK = ('<?xml version="1.0" encoding="utf-8"?><D:mkcol ' + XMLNS + '><D:set><D:prop>'
                 '<D:resourcetype><D:collection/><CR:addressbook/></D:resourcetype>'
                 '<D:displayname>{}</D:displayname></D:prop></D:set></D:mkcol>')
PROPFIND = ('<?xml version="1.0" encoding="utf-8"?><D:propfind xmlns:D="DAV:">'
            '<D:prop><D:resourcetype/><D:getetag/></D:prop></D:propfind>')
XML = {"Content-Type": "application/xml; charset=utf-8"}
NS = {"D": "DAV:"}


class Failure(Exception):
    def __init__(self, status, text):
        super().__init__(f"HTTP {status}: {text[:300]}")
        self.status = status


class Dav:
    def __init__(self, url, user, password):
        self.url, self.user, self.password = url, user, password
        self.auth = "Basic " + base64.b64encode(f"{user}:{password}".encode()).decode()

    def request(self, method, url, body=None, headers=None, ok=range(200, 300)):
        """Returns (status, response, body text); raises Failure on a status outside ok."""
        u = urllib.parse.urlsplit(urllib.parse.urljoin(self.url, url))
        cls = http.client.HTTPSConnection if u.scheme == "https" else http.client.HTTPConnection
        conn = cls(u.hostname, u.port, timeout=30)
        try:
            path = urllib.parse.quote(u.path, safe="/%@:!$&'()*+,;=~")
            conn.request(method, path + ("?" + u.query if u.query else ""),
                         body.encode() if isinstance(body, str) else body,
                         {"Authorization": self.auth, **(headers or {})})
            r = conn.getresponse()
            text = r.read().decode("utf-8", "replace")
        finally:
            conn.close()
        if r.status not in ok:
            raise Failure(r.status, text)
        return r.status, r, text

    def mkcalendar(self, url, name):
        return self.request("MKCALENDAR", url, MKCALENDAR.format(escape(name)), XML)[0]

    def mkaddressbook(self, url, name):
        return self.request("MKCOL", url, MKADDRESSBOOK.format(escape(name)), XML)[0]

    def list(self, collection):
        _, _, text = self.request("PROPFIND", collection, PROPFIND, {**XML, "Depth": "1"}, ok=(207,))
        own = urllib.parse.urlsplit(urllib.parse.urljoin(self.url, collection)).path
        items = []
        for resp in ET.fromstring(text).findall("D:response", NS):
            href = urllib.parse.urljoin(self.url, resp.findtext("D:href", "", NS))
            if urllib.parse.urlsplit(href).path == own or resp.find(".//D:resourcetype/D:collection", NS) is not None:
                continue
            _, r, data = self.request("GET", href)
            items.append({"href": href, "etag": r.getheader("ETag"), "data": data})
        return sorted(items, key=lambda i: i["href"])

    def put(self, href, data, headers):
        ctype = "text/vcard; charset=utf-8" if href.endswith(".vcf") else "text/calendar; charset=utf-8"
        status, r, _ = self.request("PUT", href, data, {"Content-Type": ctype, **headers})
        return {"ok": True, "href": href, "etag": r.getheader("ETag"), "status": status}


def caldav_events(dav, collection):
    import caldav
    cal = caldav.DAVClient(dav.url, username=dav.user, password=dav.password).calendar(url=collection)
    found = []
    for obj in cal.events() + cal.todos(include_completed=True):
        comps = [c for c in obj.icalendar_instance.walk() if c.name in ("VEVENT", "VTODO")]
        master = next((c for c in comps if "RECURRENCE-ID" not in c), comps[0])
        found.append((str(master.get("UID", "")), str(master.get("SUMMARY", ""))))
    found.sort()
    return {"ok": True, "uids": [u for u, _ in found], "summaries": [s for _, s in found]}


def run(dav, cmd):
    op = cmd["op"]
    if op == "list":
        return {"ok": True, "items": dav.list(cmd["collection"])}
    if op == "put":
        return dav.put(urllib.parse.urljoin(cmd["collection"], urllib.parse.quote(cmd["name"])), cmd["data"], {})
    if op == "put_if":
        return dav.put(cmd["href"], cmd["data"], {"If-Match": cmd["etag"]})
    if op == "delete":
        headers = {"If-Match": cmd["etag"]} if "etag" in cmd else {}
        return {"ok": True, "status": dav.request("DELETE", cmd["href"], headers=headers)[0]}
    if op == "mkcalendar":
        return {"ok": True, "status": dav.mkcalendar(cmd["url"], cmd["name"])}
    if op == "mkaddressbook":
        return {"ok": True, "status": dav.mkaddressbook(cmd["url"], cmd["name"])}
    if op == "caldav_events":
        return caldav_events(dav, cmd["collection"])
    raise ValueError(f"unknown op {op!r}")


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: third_client.py URL USER PASSWORD")
    dav = Dav(*sys.argv[1:])
    sys.stdin.reconfigure(encoding="utf-8")
    for line in sys.stdin:
        if not line.strip():
            continue
        try:
            answer = run(dav, json.loads(line))
        except Failure as e:
            answer = {"ok": False, "status": e.status, "error": str(e)}
        except Exception as e:
            answer = {"ok": False, "error": f"{type(e).__name__}: {e}"}
        print(json.dumps(answer), flush=True)


if __name__ == "__main__":
    main()
