#!/usr/bin/env bash
# Prints through the program's real printer layer: first with no print system
# at all (a quick refusal, never a hang), then to a private CUPS daemon whose
# default queue hands the job to a backend that keeps the PDF in a file; the
# PDF must hold the title and the text, Polish letters intact.
set -u
probe="$1"
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }
for tool in pdftotext pdfinfo timeout; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (poppler-utils)"
done

work=$(mktemp -d)
cupsd_pid=""
cleanup() {
    [ -n "$cupsd_pid" ] && kill "$cupsd_pid" 2>/dev/null && wait "$cupsd_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# The print jobs run as the daemon's user ("lp" when it runs as root).
chmod 755 "$work"
mkdir -p "$work/etc/ppd" "$work/lib/backend" "$work/spool/tmp" "$work/cache" "$work/state" "$work/log" "$work/out" "$work/home"
chmod 1777 "$work/out"
mkdir -m 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen
unset PRINTER LPDEST

title='Kelvadrin - informacja.'
text='Zażółć gęślą jaźń – spotkanie z Łucją o 10:00. ZAŻÓŁĆ GĘŚLĄ JAŹŃ'
printf '%s\n' "$text" >"$work/text.txt"

# No print system: the printer layer says no at once.
export CUPS_SERVER="$work/nothing.sock"
timeout 20 "$probe" "$title" "$work/text.txt" >"$work/none.log" 2>&1
code=$?
[ "$code" = 124 ] && fail "printing without a print system hung"
[ "$code" = 1 ] || fail "printing without a print system gave code $code: $(cat "$work/none.log")"
echo "no printer: $(cat "$work/none.log")"

for tool in cupsd lpadmin lpstat cupsreject; do
    command -v "$tool" >/dev/null 2>&1 || PATH="$PATH:/usr/sbin" command -v "$tool" >/dev/null 2>&1 ||
        skip "$tool is not installed (cups-daemon, cups-client)"
done
PATH="$PATH:/usr/sbin"
socket="$work/cups.sock"
# The daemon's programs are the system's; the one backend is ours: it keeps the
# job as it comes (the queue has no filters) and the job's name beside it.
for dir in /usr/lib/cups/*; do
    [ "$(basename "$dir")" = backend ] || ln -s "$dir" "$work/lib/"
done
cat >"$work/lib/backend/keep" <<'BACKEND'
#!/bin/sh
[ $# -eq 0 ] && { echo 'file keep "Unknown" "Keeps the job in a file"'; exit 0; }
out="${DEVICE_URI#keep:}"
if [ $# -ge 6 ]; then cat "$6"; else cat; fi >"$out.part" || exit 1
printf '%s\n' "$3" >"$out.title" && mv "$out.part" "$out"
BACKEND
chmod 755 "$work/lib/backend/keep"
cat >"$work/etc/cups-files.conf" <<CONF
ServerRoot $work/etc
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
ServerBin $work/lib
Sandboxing Relaxed
CONF
cat >"$work/etc/cupsd.conf" <<CONF
Listen $socket
LogLevel debug
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cupsd -f -c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf" >"$work/log/cupsd.out" 2>&1 &
cupsd_pid=$!
export CUPS_SERVER="$socket"
for _ in $(seq 50); do
    [ -S "$socket" ] && lpstat -r >/dev/null 2>&1 && break
    kill -0 "$cupsd_pid" 2>/dev/null || break
    sleep 0.2
done
lpstat -r >/dev/null 2>&1 ||
    skip "cupsd cannot run here: $(cat "$work/log/cupsd.out" "$work/log/error_log" 2>/dev/null | tail -n 5)"

# A queue without filters: the PDF the program makes goes to the file as it is.
pdf="$work/out/job.pdf"
lpadmin -p kelvadrin-pdf -E -v "keep:$pdf" -m raw >"$work/lpadmin.log" 2>&1 ||
    fail "lpadmin: $(cat "$work/lpadmin.log")"
lpadmin -d kelvadrin-pdf >>"$work/lpadmin.log" 2>&1 || fail "lpadmin -d: $(cat "$work/lpadmin.log")"
[ "$(lpstat -d)" = "system default destination: kelvadrin-pdf" ] || fail "no default queue: $(lpstat -d)"

timeout 60 "$probe" "$title" "$work/text.txt" >"$work/print.log" 2>&1 ||
    fail "printing failed: $(cat "$work/print.log")"
echo "default queue: $(cat "$work/print.log")"
for _ in $(seq 100); do
    [ -z "$(lpstat -o 2>/dev/null)" ] && [ -s "$pdf" ] && break
    sleep 0.2
done
[ -s "$pdf" ] || fail "no PDF came out: $(tail -n 20 "$work/log/error_log")"

job=$(lpstat -W completed -o kelvadrin-pdf 2>/dev/null | head -n 1)
echo "job: $job"
printed_title=$(pdfinfo "$pdf" | sed -n 's/^Title: *//p')
[ "$printed_title" = "$title" ] || fail "the document is titled '$printed_title'"
printed_text=$(pdftotext -enc UTF-8 "$pdf" - | tr -s ' \n\f' ' ' | sed 's/ *$//')
[ "$printed_text" = "$text" ] || fail "the page reads '$printed_text'"
[ "$(cat "$pdf.title")" = "$title" ] || fail "the print job is named '$(cat "$pdf.title")'"
echo "printed: $printed_title / $printed_text"

# Rich text (the archive's results) keeps its words and letters as well.
rm -f "$pdf" "$pdf.title"
printf '%s' '<p><b>8 grudnia 2026</b></p><p>Zadzwonić do Żanety &amp; Łukasza</p>' >"$work/rich.html"
timeout 60 "$probe" 'Kelvadrin - dane z archiwum.' "$work/rich.html" rich >"$work/rich.log" 2>&1 ||
    fail "printing rich text failed: $(cat "$work/rich.log")"
for _ in $(seq 100); do
    [ -s "$pdf" ] && break
    sleep 0.2
done
printed_text=$(pdftotext -enc UTF-8 "$pdf" - 2>/dev/null | tr -s ' \n\f' ' ' | sed 's/ *$//')
[ "$printed_text" = "8 grudnia 2026 Zadzwonić do Żanety & Łukasza" ] ||
    fail "the rich page reads '$printed_text'"
[ "$(cat "$pdf.title")" = 'Kelvadrin - dane z archiwum.' ] || fail "the rich job is named '$(cat "$pdf.title")'"
echo "rich: $printed_text"

# A queue that rejects jobs: the program must not take that for a printout.
cupsreject kelvadrin-pdf >/dev/null 2>&1 || fail "cupsreject failed"
timeout 60 "$probe" "$title" "$work/text.txt" >"$work/rejected.log" 2>&1
code=$?
[ "$code" = 1 ] || fail "printing to a rejecting queue gave code $code: $(cat "$work/rejected.log")"
echo "rejecting queue: $(cat "$work/rejected.log")"
echo "4 passed, 0 failed"
