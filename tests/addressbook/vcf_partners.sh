#!/usr/bin/env bash
# The vCard codec against python3-vobject, an implementation of its own:
#  1. every card the program writes is read by vobject with the same fields,
#     and its lines are CR LF ended, at most 75 octets, whole UTF-8;
#  2. cards that vobject writes as vCard 3.0 (its own serialize) are read back
#     whole by the program, the preferred TEL chosen and a name too long for
#     its cell refused;
#  3. a vCard 4.0 card is read by the program with the fields vobject sees.
# Skips (77) when Debian's python3 has no vobject.
#   vcf_partners.sh PATH-TO-kv_vcf_tool
set -u
tool="$1"
python=/usr/bin/python3
if ! [ -x "$python" ] || ! "$python" -c 'import vobject' 2>/dev/null; then
    echo "SKIP: $python without vobject"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$python" - "$tool" "$work" <<'EOF'
import json, subprocess, sys, urllib.parse
import vobject

tool, work = sys.argv[1], sys.argv[2]
failures = []

def check(what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")

def run(*args):
    done = subprocess.run([tool, *args], capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"kv_vcf_tool {' '.join(args)} failed: {done.stderr}")
    return json.loads(done.stdout)

def child(card, name):
    lines = card.contents.get(name, [])
    return lines[0] if lines else None

def value(card, name):
    line = child(card, name)
    return line.value if line is not None else ""

# 1. What the program writes, read by vobject.
written = f"{work}/written.vcf"
expected = run("write", written)["entries"]
raw = open(written, "rb").read()
check("ends in CR LF", raw.endswith(b"\r\n"), True)
for line in raw[:-2].split(b"\r\n"):
    check("bare LF or CR in a line", b"\n" in line or b"\r" in line, False)
    check(f"line of {len(line)} octets", len(line) <= 75, True)
    try:
        line.decode("utf-8")
    except UnicodeDecodeError:
        failures.append(f"a line cut inside a UTF-8 sequence: {line!r}")
cards = list(vobject.readComponents(raw.decode("utf-8")))
check("cards written", len(cards), len(expected))
for n, (card, want) in enumerate(zip(cards, expected)):
    where = f"written card {n}"
    check(f"{where} VERSION", value(card, "version"), "3.0")
    check(f"{where} FN", value(card, "fn"), want["name"])
    name = child(card, "n")
    check(f"{where} N", (name.value.family, name.value.given) if name else None, (want["name"], ""))
    adr = child(card, "adr")
    has_adr = bool(want["street"] or want["town"] or want["code"])
    check(f"{where} ADR", (adr.value.street, adr.value.city, adr.value.code) if adr else None,
          (want["street"], want["town"], want["code"]) if has_adr else None)
    if adr:
        check(f"{where} ADR TYPE", adr.params.get("TYPE"), ["HOME"])
    check(f"{where} TEL", value(card, "tel"), want["phone"])
    check(f"{where} EMAIL", value(card, "email"), want["email"])
    check(f"{where} X-ICQ", value(card, "x-icq"), want["icq"])
    impp = value(card, "impp")
    check(f"{where} IMPP", urllib.parse.unquote(impp[4:]) if impp.startswith("icq:") else impp,
          want["icq"])
    check(f"{where} NOTE", value(card, "note"), want["notes"].replace("\r\n", "\n"))
    check(f"{where} UID", value(card, "uid"), want["uid"])
    check(f"{where} X-KELVADRIN-ENTRY", value(card, "x-kelvadrin-entry"),
          str(want["entry"]) if want["entry"] else "")

# 2. vCard 3.0 as vobject writes it, read by the program.
def vcard(fn, family, given, **fields):
    card = vobject.vCard()
    card.add("fn").value = fn
    card.add("n").value = vobject.vcard.Name(family=family, given=given)
    if "adr" in fields:
        adr = card.add("adr")
        adr.value = vobject.vcard.Address(**fields["adr"])
        adr.type_param = "HOME"
    for number, types in fields.get("tel", []):
        tel = card.add("tel")
        tel.value = number
        tel.type_paramlist = types
    for key in ("email", "note", "x-icq", "uid"):
        if key in fields:
            card.add(key).value = fields[key]
    return card.serialize()

note = "Pierwsza linia\nDruga; z przecinkiem, i \\ ukośnikiem\n" + "Zażółć gęślą jaźń. " * 8
by_vobject = "".join([
    vcard("Katarzyna Wiśniewska", "Wiśniewska", "Katarzyna",
          adr=dict(street="ul. Kwiatowa 7, m. 3", city="Wrocław", code="50-001", country="Polska"),
          tel=[("+48 71 000 00 00", ["CELL"])], email="kasia@example.pl", note=note.strip(),
          **{"x-icq": "555666777", "uid": "vobject-1"}),
    vcard("Piotr Zieliński-Łęcki", "Zieliński-Łęcki", "Piotr",
          tel=[("22 000 00 01", ["HOME"]), ("+48 603 000 000", ["CELL", "PREF"])]),
    vcard("Bardzo długie imię " * 8, "Długie", "Imię"),
])
with open(f"{work}/vobject30.vcf", "w", encoding="utf-8", newline="") as f:
    f.write(by_vobject)
got = run("read", f"{work}/vobject30.vcf")
blank = dict(entry=0, uid="", name="", town="", code="", street="", phone="", email="", icq="",
             notes="")
check("vobject 3.0 entries", got["entries"], [
    dict(blank, uid="vobject-1", name="Katarzyna Wiśniewska", town="Wrocław", code="50-001",
         street="ul. Kwiatowa 7, m. 3", phone="+48 71 000 00 00", email="kasia@example.pl",
         icq="555666777", notes=note.strip().replace("\n", "\r\n")),
    dict(blank, name="Piotr Zieliński-Łęcki", phone="+48 603 000 000"),
])
check("vobject 3.0 refused", got["refused"], {"TooLong": 1})
check("vobject 3.0 values left out", got["valuesLeftOut"], 1)

# 3. A vCard 4.0 card: the program reads what vobject sees in it.
v40 = ("BEGIN:VCARD\r\nVERSION:4.0\r\nUID:urn:uuid:6f1e2d3c-4b5a-4697-8877-665544332211\r\n"
       "FN:Tomasz Dąbrowski\r\nN:Dąbrowski;Tomasz;;;\r\n"
       'TEL;VALUE=uri;PREF=1;TYPE="voice,cell":tel:+48-602-111-222\r\n'
       "EMAIL;TYPE=work:tomasz@example.pl\r\n"
       "ADR;TYPE=home:;;ul. Leśna 12\\, m. 4;Poznań;wielkopolskie;60-001;Polska\r\n"
       "IMPP;PREF=1:icq:246813579\r\n"
       "NOTE:Spotkanie we wtorek\\, o 10:00\\nsala 3\\; piętro 2\r\n"
       "PHOTO:data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR4\r\n"
       " 2mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==\r\nEND:VCARD\r\n")
with open(f"{work}/v40.vcf", "w", encoding="utf-8", newline="") as f:
    f.write(v40)
seen = vobject.readOne(v40)
got = run("read", f"{work}/v40.vcf")
check("4.0 entries", got["entries"], [
    dict(blank, uid=seen.uid.value, name=seen.fn.value, town=seen.adr.value.city,
         code=seen.adr.value.code, street=seen.adr.value.street,
         phone=seen.tel.value.removeprefix("tel:"), email=seen.email.value,
         icq=seen.impp.value.removeprefix("icq:"), notes=seen.note.value.replace("\n", "\r\n")),
])
check("4.0 refused", got["refused"], {})

for failure in failures:
    print("FAIL:", failure)
print(f"vobject partner checks: {len(failures)} failed")
sys.exit(1 if failures else 0)
EOF
