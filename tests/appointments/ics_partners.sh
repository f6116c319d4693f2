#!/usr/bin/env bash
# The program's iCalendar against independent readers and writers:
#  1. python-icalendar reads the file the program writes (a slot for every
#     repeat code from the month-end days, ics_tool grid) without an error,
#     and python-dateutil expands each RRULE over three years (45 for periods
#     of months and the year: their whole cycle) to exactly the
#     moments the program's own arithmetic and date test give; an event that
#     carries X-KELVADRIN-NOTE (no exact rule) must differ, or the note lies;
#  2. calcurse imports that file, and fires each event on the program's
#     moments, save rules with BYSETPOS, which calcurse drops (it reads
#     "BYMONTHDAY=28,29,30;BYSETPOS=-1" as three days a month), and repeating
#     events that start at midnight, which calcurse refuses;
#  3. calcurse's export of appointments made in calcurse reads back into the
#     program with the same dates, times, periods and texts;
#  4. khal's events (a TZID with a VTIMEZONE of only the changes around the
#     start) read into the program for every period the slots hold, on the
#     program's own days; a time in the hour the clocks skip in spring an hour
#     later, said so; one in the autumn's repeated hour as it is.
# Exit 77 (skipped) when python3 without icalendar/dateutil, calcurse or khal
# is missing.
#   ics_partners.sh ICS_TOOL
set -euo pipefail
tool="$1"
python=/usr/bin/python3
if ! [ -x "$python" ] || ! "$python" -c 'import icalendar, dateutil' 2>/dev/null; then
    echo "skipped: $python with icalendar and dateutil is needed" >&2
    exit 77
fi
for partner in calcurse khal; do
    if ! command -v "$partner" >/dev/null; then
        echo "skipped: $partner is needed" >&2
        exit 77
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=Europe/Warsaw

"$tool" grid "$work/grid.ics" >"$work/program.tsv"

# 1. python-icalendar and python-dateutil.
"$python" - "$work/grid.ics" "$work/program.tsv" <<'EOF'
import sys, datetime as dt
from icalendar import Calendar
from dateutil.rrule import rrulestr
from dateutil.relativedelta import relativedelta

calendar = Calendar.from_ical(open(sys.argv[1], "rb").read())
errors = [(c.name, c.errors) for c in calendar.walk() if c.errors]
if errors:
    sys.exit(f"python-icalendar reports errors: {errors[:3]}")
program = {}
for line in open(sys.argv[2], encoding="utf-8"):
    name, *moments = line.rstrip("\n").split("\t")
    program[name] = moments

exact = noted = 0
failures = []
for event in calendar.walk("VEVENT"):
    name = str(event["SUMMARY"])
    start = event.decoded("DTSTART")
    timed = isinstance(start, dt.datetime)
    day = start.date() if timed else start
    code = int(name.split()[0][1:])
    end = day + relativedelta(years=3 if code < 30 else 45)  # as ics_tool counts
    if "RRULE" in event:
        rule = event["RRULE"].to_ical().decode()
        if "RSCALE" in rule:
            sys.exit(f"{name}: RSCALE is not written; dateutil could not expand it")
        first = start if timed else dt.datetime.combine(start, dt.time())
        got = []
        for m in rrulestr(rule, dtstart=first):
            if m.date() >= end:
                break
            got.append(m if timed else m.date())
    else:
        got = [start]
    text = [m.strftime("%Y-%m-%dT%H:%M") if timed else m.isoformat() for m in got]
    if "X-KELVADRIN-NOTE" in event:
        noted += 1
        if text == program[name]:
            failures.append(f"{name}: noted as inexact, yet the rule gives the program's days")
    elif text != program[name]:
        failures.append(f"{name}: dateutil {text[:4]}... "
                        f"program {program[name][:4]}...")
    else:
        exact += 1
for f in failures[:10]:
    print(f, file=sys.stderr)
print(f"python-icalendar + dateutil: {exact} events exact, {noted} noted as inexact, "
      f"{len(failures)} wrong")
sys.exit(1 if failures else 0)
EOF

# 2. calcurse reads the same file.
mkdir "$work/cc"
TMPDIR="$work" calcurse -D "$work/cc" -i "$work/grid.ics" >"$work/import.txt" 2>&1 || true
cat "$work"/calcurse_log.* >"$work/refused.txt" 2>/dev/null || true
calcurse -D "$work/cc" -Q --from 01/01/2026 --to 12/31/2031 \
    --format-apt '@%(start:%Y-%m-%dT%H:%M)\t%m\n' --format-recur-apt '@%(start:%Y-%m-%dT%H:%M)\t%m\n' \
    --format-event '@\t%m\n' --format-recur-event '@\t%m\n' >"$work/calcurse.txt"
"$python" - "$work/grid.ics" "$work/program.tsv" "$work/calcurse.txt" "$work/refused.txt" <<'EOF'
import sys, re, datetime as dt
from icalendar import Calendar

# calcurse refuses a repeating event that starts at midnight ("rrule does not
# match start day"): those are counted, any other refusal fails.
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
refused = set()
for entry in re.finditer(r"^VEVENT \[(\d+)\]: (.*)$", open(sys.argv[4]).read(), re.M):
    at = int(entry.group(1)) - 1
    item = lines[at:lines.index("END:VEVENT", at)]
    start = next(l for l in item if l.startswith("DTSTART"))
    summary = next(l for l in item if l.startswith("SUMMARY:"))[8:]
    if not (start.endswith("T000000") and "does not match start day" in entry.group(2)):
        sys.exit(f"calcurse refused {summary}: {entry.group(2)}")
    refused.add(summary)
rules = {str(e["SUMMARY"]): (e["RRULE"].to_ical().decode() if "RRULE" in e else "",
                             "X-KELVADRIN-NOTE" in e)
         for e in Calendar.from_ical(open(sys.argv[1], "rb").read()).walk("VEVENT")}
program = {}
for line in open(sys.argv[2], encoding="utf-8"):
    name, *moments = line.rstrip("\n").split("\t")
    program[name] = moments
seen = {name: [] for name in program}
day = None
for line in open(sys.argv[3], encoding="utf-8"):
    line = line.rstrip("\n")
    if re.fullmatch(r"\d\d/\d\d/\d\d:", line):
        day = dt.datetime.strptime(line, "%m/%d/%y:").date().isoformat()
    elif line.startswith("@"):
        when, name = line[1:].split("\t", 1)
        seen[name].append(when or day)
exact, bysetpos, wrong = 0, 0, []
for name, moments in program.items():
    rule, noted = rules[name]
    moments = [m for m in moments if m[:10] <= "2031-12-31"]  # the range asked of calcurse
    got = [m for m in seen[name] if m[:10] <= moments[-1][:10]]
    if noted or name in refused:
        continue
    if got == moments:
        exact += 1
    elif "BYSETPOS" in rule:
        bysetpos += 1
    else:
        wrong.append(f"{name} {rule}: calcurse {got[:4]}... program {moments[:4]}...")
for w in wrong[:10]:
    print(w, file=sys.stderr)
print(f"calcurse: {exact} events fire on the program's moments, {bysetpos} with BYSETPOS "
      f"read otherwise, {len(refused)} starting at midnight refused, {len(wrong)} wrong")
sys.exit(1 if wrong else 0)
EOF

# 3. calcurse writes, the program reads.
mkdir "$work/made"
cat >"$work/made/apts" <<'EOF'
03/15/2030 @ 10:30 -> 03/15/2030 @ 11:00 |Dentysta
01/31/2030 @ 09:00 -> 01/31/2030 @ 09:00 {1M d-1} |Raport miesięczny
07/04/2030 [1] {1Y} Urodziny Anny
02/10/2030 @ 18:15 -> 02/10/2030 @ 19:00 {2W} |Basen
05/20/2030 [1] Zażółć gęślą jaźń
01/07/2030 @ 08:00 -> 01/07/2030 @ 08:30 {1W w1 w3} |Dwa dni w tygodniu
EOF
calcurse -D "$work/made" -xical >"$work/made.ics"
"$tool" read "$work/made.ics" 2026-01-10T12:00 >"$work/read.txt"
cat >"$work/expected.txt" <<'EOF'
E	03/15/30	10:30	0	1	Dentysta
E	01/31/30	09:00	30	1	Raport miesięczny
E	07/04/30		41	1	Urodziny Anny
E	02/10/30	18:15	14	1	Basen
E	05/20/30		0	1	Zażółć gęślą jaźń
R	nieobsługiwany okres powtarzania	1
EOF
if ! sort "$work/read.txt" | cmp -s - <(sort "$work/expected.txt"); then
    echo "calcurse's export read otherwise:" >&2
    diff <(sort "$work/expected.txt") <(sort "$work/read.txt") >&2 || true
    exit 1
fi
echo "calcurse export: 5 appointments read as made, 1 rule of two weekdays refused"

# 4. khal writes, the program reads. One event of each kind of rule is made by
# khal; the other periods are copies of its files with an INTERVAL.
kc="$work/khal"
mkdir -p "$kc/cal"
cat >"$kc/config" <<EOF
[calendars]
[[dom]]
path = $kc/cal
type = calendar
[default]
default_calendar = dom
[locale]
timeformat = %H:%M
dateformat = %Y-%m-%d
longdateformat = %Y-%m-%d
datetimeformat = %Y-%m-%d %H:%M
longdatetimeformat = %Y-%m-%d %H:%M
local_timezone = Europe/Warsaw
default_timezone = Europe/Warsaw
EOF
made() { grep -l "^SUMMARY:$1.\?$" "$kc"/cal/*.ics | head -n 1; }
khal_new() { khal -c "$kc/config" new "$@" >/dev/null; }
khal_new 2027-02-20 18:00 2027-02-20 19:00 jednorazowy
khal_new -r daily 2027-01-12 10:00 2027-01-12 11:00 k1
khal_new -r weekly 2027-01-12 10:00 2027-01-12 11:00 k7
khal_new -r monthly 2027-01-12 09:30 2027-01-12 10:00 k30
khal_new -r yearly 2027-01-12 07:15 2027-01-12 08:00 k41
khal_new 2027-03-28 02:30 2027-03-28 04:00 wiosna
khal_new 2027-10-31 02:30 2027-10-31 03:00 jesien
grep -q "BEGIN:VTIMEZONE" "$(made k7)" || { echo "khal wrote no VTIMEZONE" >&2; exit 1; }
with_interval() { # FILE CODE INTERVAL: a copy named kCODE with that interval
    sed -e "s/^SUMMARY:.*/SUMMARY:k$2/" -e "s/^UID:.*/UID:k$2/" \
        -e "s/^\(RRULE:[^\r]*\)/\1;INTERVAL=$3/" "$1" >"$kc/cal/k$2.ics"
}
for n in $(seq 2 29); do
    if [ "$n" = 7 ]; then
        continue
    elif [ $((n % 7)) = 0 ]; then
        with_interval "$(made k7)" "$n" $((n / 7))
    else
        with_interval "$(made k1)" "$n" "$n"
    fi
done
for n in $(seq 31 40); do with_interval "$(made k30)" "$n" $((n - 29)); done
# All of them in one calendar, each zone once.
"$python" - "$kc/cal" "$work/khal.ics" <<'EOF'
import glob, sys
from icalendar import Calendar
whole = Calendar()
whole.add("prodid", "-//khal files joined//EN")
whole.add("version", "2.0")
zones = set()
for name in sorted(glob.glob(sys.argv[1] + "/*.ics")):
    for part in Calendar.from_ical(open(name, "rb").read()).subcomponents:
        if part.name == "VTIMEZONE":
            if str(part["TZID"]) in zones:
                continue
            zones.add(str(part["TZID"]))
        whole.add_component(part)
open(sys.argv[2], "wb").write(whole.to_ical())
EOF
"$tool" read "$work/khal.ics" 2027-01-10T12:00 >"$work/khal.txt"
{
    printf 'E\t02/20/27\t18:00\t0\t1\tjednorazowy\n'
    for n in $(seq 1 41); do
        case $n in
            41) t=07:15 ;;
            3[0-9] | 40) t=09:30 ;;
            *) t=10:00 ;;
        esac
        printf 'E\t01/12/27\t%s\t%s\t1\tk%s\n' "$t" "$n" "$n"
    done
    printf 'E\t03/28/27\t03:30\t0\t1\twiosna\n'
    printf 'E\t10/31/27\t02:30\t0\t1\tjesien\n'
} >"$work/khal-expected.txt"
if ! grep -v '^S' "$work/khal.txt" | sort | cmp -s - <(sort "$work/khal-expected.txt"); then
    echo "khal's events read otherwise:" >&2
    diff <(sort "$work/khal-expected.txt") <(grep -v '^S' "$work/khal.txt" | sort) >&2 || true
    exit 1
fi
[ "$(grep -c '^S' "$work/khal.txt")" = 1 ] || { echo "the spring gap is not reported" >&2; exit 1; }
# A file of khal's alone: its VTIMEZONE holds only the changes around its start.
for n in 7 30 41; do
    "$tool" read "$(made "k$n")" 2027-01-10T12:00 | grep -q "	$n	1	k$n\$" ||
        { echo "khal's own file of k$n is read otherwise" >&2; exit 1; }
done
echo "khal: 44 events read on the program's days, the spring gap an hour later and said so"
