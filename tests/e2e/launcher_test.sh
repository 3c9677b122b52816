#!/usr/bin/env bash
# The menu entry as installed (cmake --install into a scratch prefix), its
# Exec line run as a menu or a file manager would: without a file TELVOR runs
# in ~/TELVOR (what it puts there: tests/package/), its window showing an
# icon; opened on an Event file it runs in that file's folder and takes the
# lists found there.
source "$(dirname "$0")/lib.sh"
cmake --install "$TELVOR_BUILD_DIR" --prefix "$DIR/prefix" >/dev/null || fail "cmake --install"
exec_line=$(sed -n 's/^Exec=//p' "$DIR/prefix/share/applications/telvor.desktop")
[[ $exec_line == "\"$DIR/prefix/bin/telvor\" --launch %f" ]] || fail "Exec=$exec_line"
export HOME=$DIR/home
mkdir -p "$HOME"
start_session
exec_program() { cd / && exec "$DIR/prefix/bin/telvor" --launch "$@"; }
folder() { readlink "/proc/$PID/cwd"; }

start
dialog=$(wait_win "$DIALOG")
[[ $(folder) == "$HOME/TELVOR" ]] || fail "started in '$(folder)'"
[[ $(xprop -id "$(win "$MAIN")" -notype -f _NET_WM_ICON 32c _NET_WM_ICON) == *[=,]' 16, 16, '* ]] ||
    fail "the window shows no icon"
xdo "$dialog" key Escape
wait_until 15 "telvor to end" ended

# A file manager opens an Event file in a folder with its own lists.
lists="$DIR/Sendungen 2009"
mkdir "$lists" && cp "$WORK"/TELVOR.{filter,service} "$lists/" && : >"$lists/woche.telvor"
start "$lists/woche.telvor"
question=$(wait_win "$QUESTION")
[[ $(folder) == "$lists" ]] || fail "started in '$(folder)'"
xdo "$question" key Escape
WORK=$lists wait_exit
expect "$lists/woche.telvor" has '07.12.2009 19:45   Journal\r\n'   # its channel names gone
expect "$lists/woche.telvor" lacks 'Tagesschau'                     # its filter terms applied
pass
