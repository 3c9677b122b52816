#!/usr/bin/env bash
# The Debian package on this machine: installs it with apt-get, checks what
# the desktop sees of it (the menu entry, the .telvor file type and its
# default program, the man page, the launcher's folders) and lintian's
# verdict, then removes it again, leaving the machine's packages as they
# were. Needs root. Exit 77: skipped (not root, or telvor already installed).
#   tests/package/install_test.sh build/package/telvor_0.38_amd64.deb
set -euo pipefail
deb=$(realpath "${1:?the package to test}")
NAME=install
fail() { echo "FAIL [$NAME]: $*" >&2; exit 1; }
if [[ $(id -u) != 0 ]]; then echo "SKIP [$NAME]: installing needs root"; exit 77; fi
if dpkg-query -W -f='${Status}' telvor 2>/dev/null | grep -q 'ok installed'; then
    echo "SKIP [$NAME]: telvor is installed already and stays as it is"
    exit 77
fi

packages() { dpkg-query -W -f='${Package} ${Version} ${Status}\n' | grep ' installed$' | sort; }
before=$(packages)
DIR=$(mktemp -d "${TMPDIR:-/tmp}/telvor-package.XXXXXX")
cleanup() {
    local rc=$?
    if dpkg-query -W -f='${Status}' telvor 2>/dev/null | grep -q installed; then
        apt-get -o DPkg::Lock::Timeout=600 purge -y -q telvor >"$DIR/purge.log" 2>&1 ||
            { cat "$DIR/purge.log" >&2; rc=1; }
    fi
    # Whatever the package pulled in goes with it.
    local added
    added=$(comm -13 <(echo "$before" | cut -d' ' -f1) <(packages | cut -d' ' -f1))
    if [[ -n $added ]]; then
        apt-get -o DPkg::Lock::Timeout=600 purge -y -q $added >>"$DIR/purge.log" 2>&1 || rc=1
    fi
    if [[ $(packages) != "$before" ]]; then
        echo "FAIL [$NAME]: the installed packages differ from before:" >&2
        diff <(echo "$before") <(packages) >&2 || true
        rc=1
    fi
    rm -rf "$DIR"
    exit "$rc"
}
trap cleanup EXIT

lintian --fail-on error "$deb" >"$DIR/lintian.log" 2>&1 || { cat "$DIR/lintian.log" >&2; fail "lintian reports errors"; }

DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q "$deb" >"$DIR/install.log" 2>&1 ||
    { cat "$DIR/install.log" >&2; fail "apt-get install"; }

# Everything in its place, the command on PATH answering.
for f in /usr/bin/telvor /usr/libexec/telvor/telvor-launch /usr/share/applications/telvor.desktop \
    /usr/share/icons/hicolor/scalable/apps/telvor.svg /usr/share/mime/packages/telvor.xml \
    /usr/share/man/man1/telvor.1.gz /usr/share/doc/telvor/copyright /usr/share/doc/telvor/README.md; do
    [[ -e $f ]] || fail "$f is missing"
done
for size in 16 22 24 32 48 64 128 256; do
    identify -format '%wx%h' "/usr/share/icons/hicolor/${size}x$size/apps/telvor.png" | grep -qx "${size}x$size" ||
        fail "no ${size}x$size icon"
done
[[ $(cd / && telvor --version) == "telvor $(dpkg-query -W -f='${Version}' telvor)" ]] || fail "telvor --version"

desktop-file-validate /usr/share/applications/telvor.desktop || fail "desktop-file-validate"
grep -qx 'MimeType=application/x-telvor;' /usr/share/applications/telvor.desktop || fail "no MimeType"

# The desktop's view, with a home of its own and no desktop environment
# named (xdg-mime's generic way).
export HOME=$DIR/home XDG_CONFIG_HOME=$DIR/home/.config XDG_DATA_HOME=$DIR/home/.local/share
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION XDG_DATA_DIRS XDG_CONFIG_DIRS
mkdir -p "$HOME"
printf '05.12.2009 18:00   Sportschau\r\n' >"$DIR/some.telvor"
type=$(xdg-mime query filetype "$DIR/some.telvor")
[[ $type == application/x-telvor ]] || fail "xdg-mime query filetype: '$type'"
default=$(xdg-mime query default application/x-telvor)
[[ $default == telvor.desktop ]] || fail "xdg-mime query default: '$default'"
grep -q '<sub-class-of type="text/plain"/>' /usr/share/mime/application/x-telvor.xml ||
    fail "application/x-telvor is no sub-class of text/plain in the MIME database"

MANWIDTH=80 man -l /usr/share/man/man1/telvor.1.gz >"$DIR/man.txt" 2>"$DIR/man.err" || fail "man -l: $(<"$DIR/man.err")"
[[ ! -s $DIR/man.err ]] || fail "man -l warns: $(<"$DIR/man.err")"
for word in SYNOPSIS --help --version 'EXIT STATUS' TELVOR.filter TELVOR.service '~/TELVOR'; do
    grep -q -- "$word" "$DIR/man.txt" || fail "the man page lacks '$word'"
done

# The menu entry starts the installed launcher, which makes ~/TELVOR and
# starts the installed telvor there (here without a display, so telvor
# only says so). Where it starts is tested on a display in tests/e2e.
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/telvor.desktop)
[[ $exec_line == '"/usr/libexec/telvor/telvor-launch" %f' ]] || fail "Exec=$exec_line"
(unset DISPLAY WAYLAND_DISPLAY; cd / && /usr/libexec/telvor/telvor-launch) >"$DIR/launch.out" 2>&1 || true
[[ -d $HOME/TELVOR ]] || fail "the launcher made no ~/TELVOR"
grep -q '^telvor: .*DISPLAY' "$DIR/launch.out" || fail "the launcher did not start telvor: $(<"$DIR/launch.out")"
echo "PASS $NAME"
