#!/usr/bin/env bash
# The installed menu entry (its Exec line and a file without lists: tests/package/): without a file
# in ~/TELVOR with the installed lists (a missing one put back, a changed one kept) and an icon; on
# an Event file in its folder where that holds lists; a box where the file's folder cannot be entered.
source "$(dirname "$0")/lib.sh"
cmake --install "$TELVOR_BUILD_DIR" --prefix "$DIR/prefix" >/dev/null || fail "cmake --install"
export HOME=$DIR/home
mkdir -p "$HOME"
start_session
exec_program() { cd / && exec "$DIR/prefix/bin/telvor" --launch "$@"; }
folder() { readlink "/proc/$PID/cwd"; }
cancelled() { xdo "$(wait_win "$DIALOG")" key Escape && WORK=$HOME/TELVOR wait_exit; }
installed=$DIR/prefix/share/telvor
start
wait_win "$DIALOG" >/dev/null
[[ $(folder) == "$HOME/TELVOR" ]] || fail "started in '$(folder)'"
[[ $(xprop -id "$(win "$MAIN")" -notype -f _NET_WM_ICON 32c _NET_WM_ICON) == *[=,]' 16, 16, '* ]] ||
    fail "the window shows no icon"
cancelled
for list in TELVOR.service TELVOR.filter; do cmp -s "$installed/$list" "$HOME/TELVOR/$list" || fail "~/TELVOR has not the installed $list"; done
printf 'ZDF\r\n' >"$HOME/TELVOR/TELVOR.filter" && rm "$HOME/TELVOR/TELVOR.service"
start
cancelled
[[ $(<"$HOME/TELVOR/TELVOR.filter") == $'ZDF\r' ]] || fail "a list the user made was changed"
cmp -s "$installed/TELVOR.service" "$HOME/TELVOR/TELVOR.service" || fail "a missing list was not put back"
make_lists
start "$LISTS/woche.telvor"
wait_win "$QUESTION" >/dev/null
[[ $(folder) == "$LISTS" ]] || fail "started in '$(folder)'"
lists_taken
HOME=$DIR/no-home start "$DIR/missing/woche.telvor"
[[ $(box_text "$(wait_win "$QUESTION")") == *"TELVOR cannot enter the folder of this Event file:"*"$DIR/missing/woche.telvor"* ]] ||
    fail "no box for a folder that cannot be entered"
xdo "$(win "$QUESTION")" key Return
wait_exit 1
pass
