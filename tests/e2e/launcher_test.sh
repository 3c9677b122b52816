#!/usr/bin/env bash
# The menu entry as installed (cmake --install into a scratch prefix), its
# Exec line run as a menu or a file manager would: without a file TELVOR runs
# in ~/TELVOR, made if missing; opened on an Event file it runs in that
# file's folder and takes the lists found there.
source "$(dirname "$0")/lib.sh"
cmake --install "$TELVOR_BUILD_DIR" --prefix "$DIR/prefix" >/dev/null || fail "cmake --install"
entry=$DIR/prefix/share/applications/telvor.desktop
exec_line=$(sed -n 's/^Exec=//p' "$entry")
launcher=$(sed -n 's/^"\(.*\)" %f$/\1/p' <<<"$exec_line")
[[ $launcher == "$DIR/prefix/libexec/telvor/telvor-launch" && -x $launcher ]] || fail "Exec=$exec_line"
export HOME=$DIR/home
mkdir -p "$HOME"
start_session
launch() {  # the Exec line with %f as the file (none: no argument)
    (cd / && exec "$launcher" "$@") >"$DIR/telvor.out" 2>"$DIR/telvor.err" &
    PID=$!
    PIDS+=($PID)
}
folder() { readlink "/proc/$PID/cwd"; }

launch
dialog=$(wait_win "$DIALOG")
[[ -d $HOME/TELVOR && $(folder) == "$HOME/TELVOR" ]] || fail "started in '$(folder)'"
[[ $(readlink "/proc/$PID/exe") == "$DIR/prefix/bin/telvor" ]] || fail "started $(readlink "/proc/$PID/exe")"
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
