#!/usr/bin/env bash
# The menu entry as installed (cmake --install), its Exec line run as a menu
# or file manager would: without a file TELVOR runs in ~/TELVOR, made with
# the installed lists, its window showing an icon; a later start puts back a
# missing list only. On an Event file, it runs in that file's folder with
# the lists there.
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
installed=$DIR/prefix/share/telvor
cmp -s "$installed/TELVOR.service" "$HOME/TELVOR/TELVOR.service" && cmp -s "$installed/TELVOR.filter" "$HOME/TELVOR/TELVOR.filter" ||
    fail "~/TELVOR has not the installed lists"
printf 'ZDF\r\n' >"$HOME/TELVOR/TELVOR.filter" && rm "$HOME/TELVOR/TELVOR.service"
start
xdo "$(wait_win "$DIALOG")" key Escape
wait_until 15 "telvor to end" ended
[[ $(<"$HOME/TELVOR/TELVOR.filter") == $'ZDF\r' ]] || fail "a list the user made was changed"
cmp -s "$installed/TELVOR.service" "$HOME/TELVOR/TELVOR.service" || fail "a missing list was not put back"
make_lists
start "$LISTS/woche.telvor"
wait_win "$QUESTION" >/dev/null
[[ $(folder) == "$LISTS" ]] || fail "started in '$(folder)'"
lists_taken
pass
