# The X11 side of the desktop tests of tests/e2e/ and tests/wine/ (Wine
# shares the X clipboard): a private Xvfb + openbox, the clipboard served by
# xclip, windows found and driven with xdotool and wmctrl. Keys go to a
# window activated first (never `xdotool key --window`, whose release would
# go astray once the window is gone).
unset WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE DISPLAY
export XDG_RUNTIME_DIR=$RUN
ACTIVATE_PAUSE=0   # seconds between activating a window and its keys
# The titles as xdotool's patterns, anchored; in the C locale xdotool cannot
# match characters beyond ASCII, so each run of them matches anything.
title_pattern() { printf '^%s$' "$(sed 's/[][\.*^$()+?{}|]/\\&/g; s/[^ -~][^ -~]*/.*/g' <<<"$1")"; }
QUESTION=$(title_pattern "$QUESTION") MAIN=$(title_pattern "$MAIN") DIALOG=$(title_pattern "$DIALOG")

prepare_session() { :; }   # what the platform makes ready with the display
# Xvfb on a display number it picks itself, and openbox on it.
start_display() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$DIR/displayfd" &>"$DIR/xvfb.log" &
    PIDS+=($!)
    wait_until 20 Xvfb test -s "$DIR/displayfd"
    export DISPLAY=:$(tr -dc 0-9 <"$DIR/displayfd")
    openbox --sm-disable &>"$DIR/openbox.log" &
    PIDS+=($!)
    wait_until 20 openbox wmctrl -m
    prepare_session
}
copy_file() {
    xclip -quiet -selection clipboard -i "$1" &>/dev/null &
    OWNER=$!
    PIDS+=($OWNER)
    wait_until 10 xclip clip_is "$1"
}
clip() { timeout 10 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null || true; }
win() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
xdo() {
    wait_until 10 "window $1 to become active" xdotool windowactivate --sync "$1"
    sleep "$ACTIVATE_PAUSE"
    xdotool "$2" --clearmodifiers --delay 50 "${@:3}"
}
close() { wmctrl -i -c "$1"; }
screenshot() { import -window root "$1"; }
# The main window, measured from the X side: exact title, a client area of
# exactly 644 x 495 that cannot change, centred with its frame.
check_windows() {
    local main=$1 hints
    [[ $(xprop -id "$main" _NET_WM_NAME) == "_NET_WM_NAME(UTF8_STRING) = \"$MAIN_TITLE\"" ]] ||
        fail "title: $(xprop -id "$main" _NET_WM_NAME)"
    hints=$(xprop -id "$main" WM_NORMAL_HINTS _NET_WM_ALLOWED_ACTIONS)
    [[ $hints == *"minimum size: 644 by 495"*"maximum size: 644 by 495"* && $hints != *MAXIMIZE* ]] ||
        fail "the window can change its size: $hints"
    geometry() {  # frame position and size, and where it would be centred
        local info l r t b
        info=$(xwininfo -id "$main")
        read -r l r t b < <(xprop -id "$main" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
        x=$(($(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info") - l)) w=$((644 + l + r))
        y=$(($(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info") - t)) h=$((495 + t + b))
        size=$(sed -n 's/^ *Width: //p; s/^ *Height: //p' <<<"$info" | paste -sd x)
        [[ $size == 644x495 ]] && ((x == (1280 - w) / 2 && y == (1024 - h) / 2))
    }
    geometry || sleep 2
    geometry || fail "client area $size, frame ${w}x$h at $x,$y: not 644x495 centred on 1280x1024"
}
