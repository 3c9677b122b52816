# The X11 side of tests/e2e/ and tests/wine/: Xvfb, openbox, xclip, xdotool.
# Keys go to a window activated first: with `xdotool key --window` a key's
# release would go astray once the window is gone.
unset WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE DISPLAY
export XDG_RUNTIME_DIR=$RUN
prepare_session() { :; }
start_display() {
    spawn "$DIR/xvfb.log" Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$DIR/displayfd"
    wait_until 20 Xvfb test -s "$DIR/displayfd"
    export DISPLAY=:$(tr -dc 0-9 <"$DIR/displayfd")
    spawn "$DIR/openbox.log" openbox --sm-disable
    wait_until 20 openbox wmctrl -m
    prepare_session
}
offer() { spawn /dev/null xclip -quiet -selection clipboard -i "$1"; }
clip() { timeout "${1:-10}" xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null || true; }
# The windows the window manager shows (xdotool's search of the whole tree
# fails whenever a window goes while it looks), by their exact title (xprop
# reads titles beyond ASCII, xdotool cannot in the C locale).
win() {
    local id
    for id in $(xprop -root -notype _NET_CLIENT_LIST 2>/dev/null | sed -n 's/^[^#]*# //p' | tr , ' '); do
        [[ $(LC_ALL=C.UTF-8 xprop -notype -id "$id" _NET_WM_NAME 2>/dev/null) == "_NET_WM_NAME = \"$1\"" ]] && echo "$id" && return
    done
    true
}
takes_keys() { :; }   # WINDOW: the program's own side has the window active too
xdo() {
    wait_until 10 "window $1 to become active" xdotool windowactivate --sync "$1"
    takes_keys "$1"
    xdotool "$2" --clearmodifiers --delay 50 "${@:3}"
}
close() { wmctrl -i -c "$1"; }
frame_extents() { xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g'; }   # MAIN: left right top bottom
screenshot() { import -window root "$1"; }
check_windows() {  # MAIN: a client area of exactly $CLIENT (644x495) that cannot change, centred with its frame
    local main=$1 hints client=${CLIENT:-644x495}
    local cw=${client%x*} ch=${client#*x}
    hints=$(xprop -id "$main" WM_NORMAL_HINTS _NET_WM_ALLOWED_ACTIONS)
    [[ $hints == *"minimum size: $cw by $ch"*"maximum size: $cw by $ch"* && $hints != *MAXIMIZE* ]] ||
        fail "the window can change its size: $hints"
    geometry() {
        local info l r t b
        info=$(xwininfo -id "$main")
        read -r l r t b < <(frame_extents "$main")
        x=$(($(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info") - l)) w=$((cw + l + r))
        y=$(($(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info") - t)) h=$((ch + t + b))
        size=$(sed -n 's/^ *Width: //p; s/^ *Height: //p' <<<"$info" | paste -sd x)
        [[ $size == "$client" ]] && ((x == (1280 - w) / 2 && y == (1024 - h) / 2))
    }
    local tries=100   # the frame comes after the window, and the centring with it
    until geometry; do ((tries-- > 0)) || fail "client area $size, frame ${w}x$h at $x,$y: not $client centred on 1280x1024"; sleep 0.1; done
}
