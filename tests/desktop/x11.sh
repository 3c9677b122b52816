# The X11 side of the desktop tests, shared by tests/e2e/lib.sh (the Linux
# program) and tests/wine/lib.sh (telvor.exe under Wine, which shares the X
# clipboard); sourced after tests/desktop/lib.sh. A private Xvfb + openbox,
# the clipboard served by xclip, windows found by their titles with xdotool
# and driven like a user (xdotool, wmctrl). Keys go to a window that was
# activated first (never `xdotool key --window`, whose release would go
# astray once the window is gone).
unset WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE DISPLAY
export XDG_RUNTIME_DIR=$RUN
ACTIVATE_PAUSE=0   # seconds between activating a window and its keys
# The titles as xdotool's patterns, anchored; in the C locale xdotool cannot
# match characters beyond ASCII, so each run of them matches anything.
# MAIN_TITLE keeps the main window's exact title.
MAIN_TITLE=$MAIN
title_pattern() { printf '^%s$' "$(sed 's/[][\.*^$()+?{}|]/\\&/g; s/[^ -~][^ -~]*/.*/g' <<<"$1")"; }
QUESTION=$(title_pattern "$QUESTION") MAIN=$(title_pattern "$MAIN") DIALOG=$(title_pattern "$DIALOG")

# Xvfb on a display number it picks itself, and openbox on it.
start_display() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$DIR/displayfd" &>"$DIR/xvfb.log" &
    PIDS+=($!)
    wait_until 20 Xvfb test -s "$DIR/displayfd"
    export DISPLAY=:$(tr -dc 0-9 <"$DIR/displayfd")
    openbox --sm-disable &>"$DIR/openbox.log" &
    PIDS+=($!)
    wait_until 20 openbox wmctrl -m
}
prepare_session() { :; }   # what the platform makes ready once the display runs
# The display, and the Guide text plus extra bytes ($1) on the clipboard,
# served by xclip.
start_session() {
    start_display
    prepare_session
    make_guide "${1:-}"
    xclip -quiet -selection clipboard -i "$DIR/guide" &>/dev/null &
    PIDS+=($!)
    wait_until 10 xclip xclip -o -selection clipboard
}
clip() { xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null || true; }
win() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
xdo() {  # window, key|type, args: activates the window, then presses or types
    wait_until 10 "window $1 to become active" xdotool windowactivate --sync "$1"
    sleep "$ACTIVATE_PAUSE"
    xdotool "$2" --clearmodifiers --delay 50 "${@:3}"
}
screenshot() { import -window root "$1"; }
