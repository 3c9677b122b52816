# telvor.exe under Wine on X11, for the tests here and, with the argument
# wine, the scenarios in tests/desktop/.
: "${TELVOR_SOURCE_DIR:?}" "${TELVOR_WINEPREFIX:?}" "${TELVOR_DESKTOP_HELPER:?}"
# One Wine prefix for the desktop tests (one at a time): Wine's clipboard
# bridge lives with the prefix's server and serves the display it started
# on. Set first, so that the ending stops this prefix's server and no other.
export WINEPREFIX=$TELVOR_WINEPREFIX-desktop WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
PLATFORM=wine
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/x11.sh"
WAIT_EXIT=20 WAIT_WINDOW=40 ACTIVATE_PAUSE=0.3   # Wine starts, ends and takes keys more slowly

exec_program() { exec wine "$TELVOR_BIN" "$@"; }
native_path() { local p=${1//\//\\}; echo "Z:$p"; }
prepare_session() { DISPLAY= "$TELVOR_SOURCE_DIR/cmake/wine-run" "$WINEPREFIX" || fail "no Wine prefix"; }
cleanup_platform() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; }
# A hung Windows owner (for a stopped X owner Wine's bridge answers): the
# helper hands the Guide text over only when asked, and is stopped.
copy_guide_silent() {
    make_guide && iconv -f UTF-8 -t UTF-16LE "$DIR/guide" >"$DIR/guide.utf16"
    spawn "$DIR/owner.out" wine "$TELVOR_DESKTOP_HELPER" own-clipboard "$(native_path "$DIR/guide.utf16")"
    OWNER=${PIDS[-1]}
    wait_until 20 "the clipboard's owner" grep -q ready "$DIR/owner.out"
    kill -STOP "$OWNER"
}
# Wine's message boxes do not copy with Ctrl+C: their texts read on the Windows side.
box_text() { printf '%s\n' "$QUESTION"; wine "$TELVOR_DESKTOP_HELPER" window-text "$QUESTION"; }
