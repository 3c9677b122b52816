#!/usr/bin/env bash
# Answer No (Alt+N), the Event file named in the Program directory: the
# events are kept unmarked, the clipboard is emptied, and only a close
# request ends the program. The main window, shown with the question and
# measured from the X side: exact title, a client area of exactly 644 x 495
# that cannot change, centred with its frame.
# Argument: e2e (the Linux program) or wine (telvor.exe under Wine).
source "$(dirname "$0")/../${1:?which desktop: e2e or wine}/lib.sh"
start_session
ev=$WORK/sport.telvor
: >"$ev"
start sport.telvor
question=$(wait_win "$QUESTION")
main=$(win "$MAIN")
[[ -n $main ]] || fail "no main window while the question is open"
xdo "$question" key alt+n
wait_until 15 "the clipboard to be emptied" clip_empty
still_open 2
shot final
expect "$ev" starts '05.12.2009 18:00   Sportschau\r\nGenre: Fu\xdfball-Bundesliga, 15. Spieltag\r\nAlle Spiele, alle Tore, alle Stimmen.\r\n\r\n'
expect "$ev" has '\r\n06.12.2009 20:15   Tatort: T\xf6dliche Tarnung\r\n'
expect "$ev" lacks ' + '

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

# A second close request while one is pending is harmless.
wmctrl -i -c "$main"
wmctrl -i -c "$main" 2>/dev/null || true
wait_exit
pass
