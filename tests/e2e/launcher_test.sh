#!/usr/bin/env bash
# The menu entry as installed (cmake --install into a scratch prefix), its
# Exec line run as a menu or a file manager would: without a file TELVOR runs
# in ~/TELVOR, made if missing and given the installed lists, its window
# showing the icon; opened on an Event file it runs in that file's folder
# and takes the lists found there.
source "$(dirname "$0")/lib.sh"
cmake --install "$TELVOR_BUILD_DIR" --prefix "$DIR/prefix" >/dev/null || fail "cmake --install"
entry=$DIR/prefix/share/applications/telvor.desktop
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[[ $exec_line == "\"$DIR/prefix/bin/telvor\" --launch %f" ]] || fail "Exec=$exec_line"
export HOME=$DIR/home
mkdir -p "$HOME"
start_session
launch() {  # the Exec line with %f as the file (none: no argument)
    (cd / && exec "$DIR/prefix/bin/telvor" --launch "$@") >"$DIR/telvor.out" 2>"$DIR/telvor.err" &
    PID=$!
    PIDS+=($PID)
}
folder() { readlink "/proc/$PID/cwd"; }
# The alpha channel of a window's 16x16 icon, and of a 16x16 PNG, one value
# a line: the same picture, whatever the colours are premultiplied with.
icon_alpha() {
    xprop -id "$1" -notype -f _NET_WM_ICON 32c _NET_WM_ICON | sed 's/^[^=]*= //' | tr ', ' '\n\n' |
        awk 'NF { v[n++] = $1 } END { for (p = 0; p + 1 < n; p += 2 + v[p] * v[p + 1])
            if (v[p] == 16 && v[p + 1] == 16) for (k = 0; k < 256; k++) print int(v[p + 2 + k] / 16777216) }'
}
png_alpha() { convert "$1" -alpha extract -depth 8 gray:- | od -An -v -tu1 | tr -s ' ' '\n' | sed '/^$/d'; }

launch
dialog=$(wait_win "$DIALOG")
[[ $(folder) == "$HOME/TELVOR" ]] || fail "started in '$(folder)'"
cmp "$HOME/TELVOR/TELVOR.service" "$DIR/prefix/share/telvor/TELVOR.service" || fail "TELVOR.service not put in"
[[ -f $HOME/TELVOR/TELVOR.filter ]] || fail "TELVOR.filter not put in"
[[ $(icon_alpha "$(win "$MAIN")") == "$(png_alpha "$DIR/prefix/share/icons/hicolor/16x16/apps/telvor.png")" ]] ||
    fail "the window does not show TELVOR's icon"
xdo "$dialog" key Escape
wait_until 15 "telvor to end" ended

# A file manager opens an Event file in a folder with its own lists.
lists="$DIR/Sendungen 2009"
mkdir -p "$lists"
cp "$WORK"/TELVOR.{filter,service} "$lists/"
: >"$lists/woche.telvor"
launch "$lists/woche.telvor"
question=$(wait_win "$QUESTION")
[[ $(folder) == "$lists" ]] || fail "started in '$(folder)'"
xdo "$question" key alt+n
wait_until 15 "the clipboard to be emptied" clip_empty
# The lists were found: channel names gone, filtered titles dropped.
expect "$lists/woche.telvor" has '07.12.2009 19:45   Journal\r\n'
expect "$lists/woche.telvor" lacks 'Tagesschau'
[[ ! -e $HOME/TELVOR/woche.telvor ]] || fail "the Event file was made in ~/TELVOR"
wmctrl -i -c "$(win "$MAIN")"
WORK=$lists wait_exit
echo "PASS $NAME"
