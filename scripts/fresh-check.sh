#!/usr/bin/env bash
# Runs the README's test command (scripts/test.sh) on a pristine Debian 12 or
# 13, as
# a new machine has it: a minbase root made once with debootstrap and kept as a
# tarball, unpacked anew for every run, the committed tree (git archive HEAD)
# in /root/kelvadrin, run as root with no locale, no session bus and no
# display. The root gets only what a machine needs to reach the archive: the
# host's Debian sources, the host's local Acquire settings of apt, a resolver
# and /etc/hosts. Everything else is left to scripts/install-deps.sh.
#
# It runs in its own mount, PID, IPC and network namespaces: the mounts of
# /proc, /sys and /dev go away and every process in the root ends with the
# run, and its X servers, sockets and daemons never meet those of the host
# (an X server's abstract socket is per network namespace, so a display the
# host uses too would otherwise take the tests to the host's server). The
# network reaches the outside through slirp4netns, not the host's loopback.
#   KV_FRESH_CACHE=DIR  the root's tarball, downloaded packages and compiler
#                       cache (default ${XDG_CACHE_HOME:-$HOME/.cache}/kelvadrin-fresh)
#   KV_FRESH_MIRROR=URI the Debian mirror (default: the one the host's apt uses)
#   KV_FRESH_COLD=1     neither the downloaded packages nor the compiler cache
#                       of earlier runs are used
#   KV_FRESH_KEEP=1     the root is kept after the run, for a look inside
#   KV_FRESH_CCACHE=DIR the compiler cache the root builds with (default one
#                       of its own per release in the cache folder): the
#                       host's, for a root of the host's release, shares what
#                       the host has compiled
#   KV_WERROR=1         warnings are errors, as for scripts/test.sh
#   KV_FRESH_PREPARE=1  only the minbase root is made (and kept), no test runs:
#                       CI makes the roots of both releases while it builds
#   scripts/fresh-check.sh [bookworm|trixie] [ARGUMENTS...]
# The release is Debian 12 (bookworm) unless named. The other arguments go to
# scripts/test.sh (and so to ctest). The exit status is the test command's.
set -euo pipefail
cd "$(dirname "$0")/.."
suite=bookworm
case "${1:-}" in
    bookworm | trixie) suite=$1; shift ;;
esac
declare -A release_name=([bookworm]="Debian 12" [trixie]="Debian 13")
host_suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
home="${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}"
cache="${KV_FRESH_CACHE:-${XDG_CACHE_HOME:-$home/.cache}/kelvadrin-fresh}"

say() { printf 'fresh-check: %s\n' "$*"; }
die() { printf 'fresh-check: %s\n' "$*" >&2; exit 2; }
started=$SECONDS
elapsed() { local s=$((SECONDS - ${1:-$started})); printf '%dm%02ds' $((s / 60)) $((s % 60)); }

if [ "$(id -u)" -ne 0 ]; then
    say "mounting and chroot need root: running again under sudo"
    exec sudo env KV_FRESH_CACHE="$cache" KV_FRESH_MIRROR="${KV_FRESH_MIRROR:-}" \
        KV_FRESH_COLD="${KV_FRESH_COLD:-0}" KV_FRESH_KEEP="${KV_FRESH_KEEP:-0}" \
        KV_FRESH_PREPARE="${KV_FRESH_PREPARE:-0}" KV_FRESH_CCACHE="${KV_FRESH_CCACHE:-}" \
        KV_WERROR="${KV_WERROR:-0}" \
        bash "$0" "$suite" "$@"
fi
for tool in unshare setpriv chroot git tar; do
    command -v "$tool" >/dev/null 2>&1 || die "$tool is needed"
done
missing=()
for tool in debootstrap slirp4netns; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
    say "installing ${missing[*]} on this machine"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}" >/dev/null
fi

# The host's enabled Debian entries for its own release, as one-line sources:
# "deb URI SUITE COMPONENTS" (from sources.list, *.list and deb822 *.sources),
# turned to the release checked (the same mirrors serve both).
host_sources() {
    local files=()
    [ -f /etc/apt/sources.list ] && files+=(/etc/apt/sources.list)
    for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && files+=("$f")
    done
    [ ${#files[@]} -gt 0 ] || return 0
    awk -v want="^${host_suite:-$suite}(-updates|-security)?\$" -v host="${host_suite:-$suite}" -v suite="$suite" '
        function flush(   n, m, i, j, us, ss) {
            if (types ~ /(^| )deb( |$)/ && enabled !~ /^(no|false)$/ && uris != "") {
                n = split(uris, us, " "); m = split(suites, ss, " ")
                for (i = 1; i <= n; i++) for (j = 1; j <= m; j++)
                    if (ss[j] ~ want) { s = ss[j]; sub("^" host, suite, s); print "deb", us[i], s, comps }
            }
            types = uris = suites = comps = enabled = ""
        }
        FNR == 1 { flush(); deb822 = FILENAME ~ /\.sources$/ }
        /^[ \t]*#/ { next }
        { sub(/#.*/, "") }
        deb822 {
            if ($0 ~ /^[ \t]*$/) { flush(); next }
            if ($0 ~ /^[ \t]/) next
            key = tolower($1); sub(/^[^:]*:[ \t]*/, "")
            if (key == "types:") types = $0
            else if (key == "uris:") uris = $0
            else if (key == "suites:") suites = $0
            else if (key == "components:") comps = $0
            else if (key == "enabled:") enabled = tolower($0)
            next
        }
        $1 == "deb" {
            line = $0; sub(/^[ \t]*deb[ \t]+/, "", line); sub(/^\[[^]]*\][ \t]*/, "", line)
            n = split(line, w, /[ \t]+/)
            if (w[2] ~ want) { c = w[3]; for (i = 4; i <= n; i++) c = c " " w[i]; s = w[2]; sub("^" host, suite, s); print "deb", w[1], s, c }
        }
        END { flush() }' "${files[@]}" | awk '!seen[$0]++'
}

# The host's own apt settings for reaching the archive: files of apt.conf.d
# that no package owns and that set Acquire options.
host_apt_conf() {
    local f
    for f in /etc/apt/apt.conf.d/*; do
        [ -f "$f" ] || continue
        dpkg -S "$f" >/dev/null 2>&1 && continue
        grep -qE '^[[:space:]]*Acquire(::|[[:space:]]*\{)' "$f" && echo "$f"
    done
    return 0
}

sources=$(host_sources)
mirror="${KV_FRESH_MIRROR:-$(awk -v s="$suite" '$3 == s { print $2; exit }' <<<"$sources")}"
mirror="${mirror:-http://deb.debian.org/debian}"

mkdir -p "$cache"
tarball="$cache/debian-$suite-minbase.tar"
exec 9>"$cache/lock"
flock 9
if [ ! -s "$tarball" ]; then
    t=$SECONDS
    say "making a ${release_name[$suite]} minbase root from $mirror (once; kept in $tarball)"
    rm -rf "$cache/bootstrap"
    if ! debootstrap --variant=minbase "$suite" "$cache/bootstrap" "$mirror" >"$cache/debootstrap.log" 2>&1; then
        tail -n 20 "$cache/debootstrap.log" >&2
        die "debootstrap failed (the whole log: $cache/debootstrap.log)"
    fi
    tar -C "$cache/bootstrap" --numeric-owner -cf "$tarball.new" .
    mv "$tarball.new" "$tarball"
    rm -rf "$cache/bootstrap"
    say "root made in $(elapsed "$t")"
else
    say "using the cached minbase root $tarball"
fi
[ "${KV_FRESH_PREPARE:-0}" = 1 ] && exit 0
# Each run holds the lock of its folder; a folder whose lock is free belongs
# to a run that was killed outright, and goes.
mkdir -p "$cache/runs"
for old in "$cache"/runs/*/; do
    if [ -d "$old" ] && [ ! -e "$old/kept" ] && flock -n "$old/lock" true 2>/dev/null; then
        say "removing ${old%/}, left by a killed run"
        rm -rf "$old"
    fi
done
run=$(mktemp -d "$cache/runs/XXXXXX")
exec 8>"$run/lock"
flock 8
exec 9>&-

root="$run/root"
ns_pid=""
slirp_pid=""
cleanup() {
    local status=$?
    set +e
    # unshare ignores SIGINT and SIGTERM while it waits; killed, it takes the
    # namespace's first process with it (--kill-child), and so all the others.
    if [ -n "$ns_pid" ] && kill -0 "$ns_pid" 2>/dev/null; then
        kill -KILL "$ns_pid" 2>/dev/null
        wait "$ns_pid" 2>/dev/null
    fi
    if [ -n "$slirp_pid" ]; then
        kill "$slirp_pid" 2>/dev/null
        wait "$slirp_pid" 2>/dev/null
    fi
    # Nothing of the root may still be mounted or running on this side.
    if grep -qF " $root" /proc/self/mounts; then
        say "still mounted under $root; it is left as it is" >&2
        exit "$status"
    fi
    local p left=()
    for p in /proc/[0-9]*; do
        [[ "$(readlink "$p/root" 2>/dev/null)" == "$root"* ]] && left+=("${p#/proc/}")
    done
    if [ ${#left[@]} -gt 0 ]; then
        say "processes left in the root: ${left[*]}; ending them" >&2
        kill -KILL "${left[@]}" 2>/dev/null
        status=1
    fi
    if [ "${KV_FRESH_KEEP:-0}" = 1 ]; then
        touch "$run/kept"
        say "the root is kept in $root"
    else
        rm -rf "$run"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

t=$SECONDS
mkdir "$root"
tar -C "$root" --numeric-owner -xf "$tarball"
say "pristine root unpacked into $root in $(elapsed "$t")"

# What a machine needs to reach the archive, and nothing more.
if [ -n "$sources" ]; then
    say "apt sources of the host:"
    sed 's/^/    /' <<<"$sources"
    printf '%s\n' "$sources" >"$root/etc/apt/sources.list"
fi
for f in $(host_apt_conf); do
    say "apt settings of the host: $f"
    cp "$f" "$root/etc/apt/apt.conf.d/"
done
# slirp4netns answers name queries at 10.0.2.3 with the host's resolver.
echo 'nameserver 10.0.2.3' >"$root/etc/resolv.conf"
printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >"$root/etc/hosts"

commit=$(git rev-parse --short HEAD)
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    say "note: uncommitted changes are not part of the check, only HEAD ($commit)"
fi
git archive --format=tar --prefix=kelvadrin/ HEAD | tar -C "$root/root" -x
say "committed tree $commit copied to /root/kelvadrin"

# Inside the new namespaces: a private /dev/pts and /dev/shm over the host's
# device nodes, /proc and /sys of its own, the downloaded packages and the
# compiler cache of earlier runs (they save time and install nothing), then
# the test command in a clean environment. Whatever it leaves running is
# named, then ended with the namespace.
inner=$(cat <<'INNER'
set -e
root=$1 cache=$2 cold=$3 term=$4 run=$5 ccache=$6 werror=$7
shift 7
mount --bind /dev "$root/dev"
mount -t tmpfs -o nosuid,nodev,mode=1777 shm "$root/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666,mode=0620,gid=5 devpts "$root/dev/pts"
mount --bind "$root/dev/pts/ptmx" "$root/dev/ptmx"
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
if [ "$cold" != 1 ]; then
    mkdir -p "$cache/apt-archives/partial" "$ccache" "$root/root/.cache/ccache"
    mount --bind "$cache/apt-archives" "$root/var/cache/apt/archives"
    mount --bind "$ccache" "$root/root/.cache/ccache"
fi
# The network comes from outside, once the namespaces exist.
echo up >"$run/up"
read -r _ <"$run/go"
set +e
chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root TERM="$term" KV_WERROR="$werror" /bin/bash -c 'cd /root/kelvadrin && exec scripts/test.sh "$@"' test.sh "$@"
status=$?
for p in /proc/[0-9]*; do
    [ "${p#/proc/}" = 1 ] && continue
    read -r name <"$p/comm" 2>/dev/null || continue
    echo "fresh-check: left running by the tests, ended now: ${p#/proc/} $name"
done
exit $status
INNER
)

say "running scripts/test.sh${*:+ $*} in the root as root, with PATH, HOME and TERM only"
t=$SECONDS
mkfifo "$run/up" "$run/go"
exec 6<>"$run/up" 7<>"$run/go"
# Should this script be killed outright, unshare and slirp4netns go too
# (setpriv), and so does everything in the namespaces.
setpriv --pdeathsig KILL unshare --mount --pid --ipc --net --fork --kill-child --mount-proc \
    --propagation private bash -c "$inner" fresh-check "$root" "$cache" "${KV_FRESH_COLD:-0}" \
    "${TERM:-dumb}" "$run" "${KV_FRESH_CCACHE:-$cache/ccache-$suite}" "${KV_WERROR:-0}" "$@" \
    6>&- 7>&- 8>&- &
ns_pid=$!
until read -r -t 1 -u 6 _; do
    kill -0 "$ns_pid" 2>/dev/null || die "the namespaces could not be set up"
done
# unshare itself sits in the new network namespace (only its child is in the
# new PID namespace); never hand slirp4netns the host's own.
[ "$(readlink "/proc/$ns_pid/ns/net")" != "$(readlink /proc/self/ns/net)" ] ||
    die "unshare did not make a network namespace"
setpriv --pdeathsig KILL slirp4netns --configure --disable-host-loopback --ready-fd 3 \
    "$ns_pid" tap0 3>"$run/net-ready" >"$run/slirp4netns.log" 2>&1 6>&- 7>&- 8>&- &
slirp_pid=$!
for _ in $(seq 100); do
    [ -s "$run/net-ready" ] && break
    kill -0 "$slirp_pid" 2>/dev/null || break
    sleep 0.1
done
[ -s "$run/net-ready" ] || die "slirp4netns did not set up the network: $(cat "$run/slirp4netns.log")"
echo go >&7
set +e
wait "$ns_pid"
status=$?
ns_pid=""
set -e
say "scripts/test.sh ended with status $status after $(elapsed "$t") (all told $(elapsed))"
exit "$status"
