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
# MAIN_TITLE and QUESTION_TITLE keep the exact titles.
MAIN_TITLE=$MAIN QUESTION_TITLE=$QUESTION
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
    copy_guide "${1:-}"
}
# The Guide text plus extra bytes ($1) on the clipboard, or any text
# (copy_text), served by an xclip whose id is OWNER.
copy_guide() {
    make_guide "${1:-}"
    copy_file "$DIR/guide"
}
copy_text() { printf '%s' "$1" >"$DIR/copied" && copy_file "$DIR/copied"; }
copy_file() {
    xclip -quiet -selection clipboard -i "$1" &>/dev/null &
    OWNER=$!
    PIDS+=($OWNER)
    wait_until 10 xclip clip_is "$1"
}
clip() { timeout 10 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null || true; }
# The Guide text on the clipboard, from an owner that is then stopped: it
# answers no request.
copy_guide_silent() {
    copy_guide
    kill -STOP "$OWNER"
}
# box_text WINDOW: the text of a message box, copied with Ctrl+C.
box_text() {
    xdo "$1" key ctrl+c
    sleep 0.5   # taken over before a stopped owner is asked
    wait_until 10 "the box's text on the clipboard" clip_has "$QUESTION_TITLE"
    clip
}
win() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
xdo() {  # window, key|type, args: activates the window, then presses or types
    wait_until 10 "window $1 to become active" xdotool windowactivate --sync "$1"
    sleep "$ACTIVATE_PAUSE"
    xdotool "$2" --clearmodifiers --delay 50 "${@:3}"
}
screenshot() { import -window root "$1"; }
