#!/usr/bin/env bash
# The Debian package (argument), installed with apt-get and removed again,
# leaving the machine's packages as they were. Exit 77 unless root and
# telvor not installed.
set -euo pipefail
deb=$(realpath "${1:?the package to test}")
fail() { echo "FAIL [package]: $*" >&2; exit 1; }
installed() { dpkg-query -W -f='${Status}' telvor 2>/dev/null | grep -q 'ok installed'; }
if [[ $(id -u) != 0 ]] || installed; then echo "SKIP [package]: needs root, and telvor not installed already"; exit 77; fi
apt() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -q "$@" >>"$DIR/apt.log" 2>&1; }
packages() { dpkg-query -W -f='${Package} ${Version} ${Status}\n' | grep ' installed$' | sort; }
before=$(packages)
DIR=$(mktemp -d "${TMPDIR:-/tmp}/telvor-package.XXXXXX")
cleanup() {
    local rc=$? added
    [[ -z ${xvfb:-} ]] || { kill "$xvfb" && wait "$xvfb"; } 2>/dev/null || true
    if installed; then apt purge telvor || rc=1; fi
    added=$(comm -13 <(cut -d' ' -f1 <<<"$before") <(packages | cut -d' ' -f1))
    if [[ -n $added ]]; then apt purge $added || rc=1; fi
    [[ $(packages) == "$before" ]] || { diff <(echo "$before") <(packages) >&2; echo "FAIL [package]: the installed packages differ" >&2; rc=1; }
    ((rc == 0)) || cat "$DIR/apt.log" >&2
    rm -rf "$DIR"
    exit "$rc"
}
trap cleanup EXIT

lintian --fail-on error "$deb" >"$DIR/lintian.log" 2>&1 || { cat "$DIR/lintian.log" >&2; fail "lintian reports errors"; }
apt install "$deb" || fail "apt-get install"
ls /usr/bin/telvor /usr/share/applications/telvor.desktop /usr/share/icons/hicolor/{scalable/apps/telvor.svg,16x16/apps/telvor.png} \
    /usr/share/mime/packages/telvor.xml /usr/share/doc/telvor/copyright >/dev/null || fail "files are missing"
[[ $(cd / && telvor --version | head -n 1) == "telvor $(dpkg-query -W -f='${Version}' telvor)" ]] || fail "telvor --version"
MANWIDTH=80 man -l /usr/share/man/man1/telvor.1.gz 2>&1 >/dev/null | { ! grep .; } || fail "man -l warns"
desktop-file-validate /usr/share/applications/telvor.desktop || fail "desktop-file-validate"
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/telvor.desktop)
[[ $exec_line == 'telvor --launch %f' ]] || fail "Exec=$exec_line"

# No desktop environment named: xdg-mime's generic way.
export HOME=$DIR/home XDG_CONFIG_HOME=$DIR/home/.config XDG_DATA_HOME=$DIR/home/.local/share
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION XDG_DATA_DIRS XDG_CONFIG_DIRS
mkdir -p "$HOME"
printf '05.12.2009 18:00   Sportschau\r\n' >"$DIR/some.telvor"
# Opened as launchers open it (the file type and its default found by the desktop's files):
# xdg-open's generic way runs the Exec line itself, gio its own way. The file's folder holds no
# lists: TELVOR runs in ~/TELVOR, made for it with the installed lists, on the file's full path.
export XDG_RUNTIME_DIR=$DIR/run && mkdir -m 700 "$XDG_RUNTIME_DIR"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$DIR/displayfd" 2>/dev/null & xvfb=$!
wait_for() { local tries=300; until "${@:2}" >/dev/null 2>&1; do ((tries-- > 0)) || fail "timed out waiting for $1 $(cat "$DIR/open.log" 2>/dev/null)"; sleep 0.1; done; }
wait_for Xvfb test -s "$DIR/displayfd"
export DISPLAY=:$(tr -dc 0-9 <"$DIR/displayfd")
question() { local id; id=$(xdotool search --onlyvisible --name '^TELVOR Version 0\.38w \(x86\)$') && echo "${id%%$'\n'*}"; }
for opener in xdg-open 'gio open'; do
    rm -rf "$HOME/TELVOR"
    $opener "$DIR/some.telvor" >"$DIR/open.log" 2>&1 & started=$!
    wait_for "$opener to show TELVOR's question" question
    pid=$(xprop -id "$(question)" _NET_WM_PID | sed 's/.*= //')
    [[ $(readlink "/proc/$pid/cwd") == "$HOME/TELVOR" && $(tr '\0' ' ' <"/proc/$pid/cmdline") == *" --launch $DIR/some.telvor " ]] ||
        fail "$opener ran '$(tr '\0' ' ' <"/proc/$pid/cmdline")' in '$(readlink "/proc/$pid/cwd")': $(<"$DIR/open.log")"
    cmp /usr/share/telvor/TELVOR.service "$HOME/TELVOR/TELVOR.service" || fail "~/TELVOR has not the installed TELVOR.service"
    kill "$pid" && wait_for "TELVOR to end" eval '! question' && { wait "$started" || true; }
done
echo "PASS package"
