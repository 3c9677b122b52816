# telvor.exe under Wine on X11.
: "${TELVOR_SOURCE_DIR:?}" "${TELVOR_WINEPREFIX:?}" "${TELVOR_DESKTOP_HELPER:?}"
# A prefix of the desktop tests (one at a time: Wine's clipboard bridge serves
# the display its server started on), set first so the end stops only its server.
export WINEPREFIX=$TELVOR_WINEPREFIX-desktop WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
PLATFORM=wine
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/x11.sh"
WAIT_EXIT=20 WAIT_WINDOW=40   # Wine starts and ends more slowly

exec_program() { exec wine "$TELVOR_BIN" "$@"; }
native_path() { local p=${1//\//\\}; echo "Z:$p"; }
# Wine's clipboard follows the X11 one a moment later: a copy is made once Windows has it.
copy_file() {
    offer "$1" && OWNER=${PIDS[-1]} && wait_until 10 "the clipboard's owner" clip_is "$1"
    wait_until 20 "Windows to have the copy" wine "$TELVOR_DESKTOP_HELPER" clipboard "$(native_path "$1")"
}
# Keys go to Windows' foreground window, which Wine sets a moment after the X11 focus.
takes_keys() { wait_until 10 "window $1 to take keys" wine "$TELVOR_DESKTOP_HELPER" foreground "$1"; }
prepare_session() { DISPLAY= "$TELVOR_SOURCE_DIR/cmake/wine-run" "$WINEPREFIX" || fail "no Wine prefix"; }
cleanup_platform() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; }
# A hung Windows owner (Wine's bridge answers for a stopped X one).
copy_guide_silent() {
    make_guide && iconv -f UTF-8 -t UTF-16LE "$DIR/guide" >"$DIR/guide.utf16"
    spawn "$DIR/owner.out" wine "$TELVOR_DESKTOP_HELPER" own-clipboard "$(native_path "$DIR/guide.utf16")" && OWNER=${PIDS[-1]}
    wait_until 20 "the clipboard's owner" grep -q ready "$DIR/owner.out"
    kill -STOP "$OWNER"
}
# Wine's message boxes do not copy with Ctrl+C: their texts read on the Windows side.
# The frame Windows has around the main window: the program centres that.
frame_extents() { wine "$TELVOR_DESKTOP_HELPER" frame "$MAIN" | tr -d '\r'; }
box_text() { printf '%s\n' "$QUESTION"; wine "$TELVOR_DESKTOP_HELPER" window-text "$QUESTION"; }
# The window's icons as Wine hands them to the window manager: TELVOR's own
# pictures (those of its icon resource), in these sizes.
icons_are_telvors() {  # WINDOW SIZE...
    local size
    [[ $(xprop -id "$1" -notype -f _NET_WM_ICON 32c _NET_WM_ICON | sed 's/^[^=]*= //; s/, /\n/g') == "$(
        for size in "${@:2}"; do
            printf '%s\n' "$size" "$size"
            convert "$TELVOR_BUILD_DIR/packaging/icons/telvor-$size.png" -depth 8 rgba:- | od -An -v -tu1 |
                awk '{ for (i = 1; i <= NF; i += 4) printf "%.0f\n", $(i + 3) * 16777216 + $i * 65536 + $(i + 1) * 256 + $(i + 2) }'
        done)" ]]
}
