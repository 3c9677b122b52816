# The desktop tests' helpers for telvor.exe under Wine on X11
# (tests/desktop/x11.sh). Sourced by the tests here and, with the argument
# wine, by the desktop scenarios in tests/desktop/.
: "${TELVOR_SOURCE_DIR:?}" "${TELVOR_WINEPREFIX:?}" "${TELVOR_DESKTOP_HELPER:?}"
# The desktop tests share one Wine prefix of their own (ctest runs them one
# at a time): Wine's clipboard bridge lives as long as the prefix's server
# and serves the display it started on. Set before anything can end the
# test, so that the ending stops this prefix's server and no other.
export WINEPREFIX=$TELVOR_WINEPREFIX-desktop WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
PLATFORM=wine
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/x11.sh"
# Wine starts, ends and takes keys more slowly.
WAIT_EXIT=20 WAIT_WINDOW=40 ACTIVATE_PAUSE=0.3

exec_program() { exec wine "$TELVOR_BIN" "$@"; }
# A path as telvor.exe is given it and shows it: the Windows form of a path
# below / (Wine's drive Z:).
native_path() { local p=${1//\//\\}; echo "Z:$p"; }
# The prefix is made once (about 11 s), without a display of its own.
prepare_session() { DISPLAY= "$TELVOR_SOURCE_DIR/cmake/wine-run" "$WINEPREFIX" || fail "no Wine prefix"; }
cleanup_platform() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}
# The Guide text on the clipboard from a Windows program that hands it over
# only when asked (telvor-desktop-helper), which is then stopped: a hung
# Windows owner (for a stopped X owner, Wine's clipboard bridge answers).
copy_guide_silent() {
    make_guide
    wine "$TELVOR_DESKTOP_HELPER" own-clipboard "$(native_path "$DIR/guide")" >"$DIR/owner.out" 2>&1 &
    OWNER=$!
    PIDS+=($OWNER)
    wait_until 20 "the clipboard's owner" grep -q ready "$DIR/owner.out"
    kill -STOP "$OWNER"
}
# box_text WINDOW: the texts of the shown message box, read on the Windows
# side (Wine's message boxes do not copy with Ctrl+C).
box_text() { printf '%s\n' "$QUESTION_TITLE"; wine "$TELVOR_DESKTOP_HELPER" window-text "$QUESTION_TITLE"; }
