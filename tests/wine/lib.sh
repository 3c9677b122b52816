# Desktop end-to-end helpers for the Windows build: the real telvor.exe under
# Wine on a private Xvfb + openbox, in a scratch Program directory, driven
# like a user (xclip, xdotool, wmctrl). Wine shares the X clipboard. Keys go
# to a window that was activated first (never `xdotool key --window`, whose
# release would go astray once the window is gone). Everything started is
# ended on exit; E2E_KEEP=1 keeps the scratch folder.
set -euo pipefail
export LC_ALL=C
: "${TELVOR_BIN:?}" "${TELVOR_BUILD_DIR:?}" "${TELVOR_SAMPLES_DIR:?}" "${TELVOR_SOURCE_DIR:?}" "${TELVOR_WINEPREFIX:?}"
QUESTION='^TELVOR Version 0\.38w \(x86\)$'
MAIN_TITLE='TELVOR Version 0.38w (x86) - DreamBox Gemini Project Image e1 + e2 - I-Explorer, FireFox, Opera'
MAIN='^TELVOR Version 0\.38w \(x86\) - DreamBox Gemini Project Image e1 \+ e2 - I-Explorer, FireFox, Opera$'
DIALOG='^Bitte Datei zum Laden ausw.*hlen$'
NAME=$(basename "$0" _test.sh) PIDS=() PID=
# The desktop tests share one Wine prefix of their own (ctest runs them one
# at a time): Wine's clipboard bridge lives as long as the prefix's server
# and serves the display it started on.
export WINEPREFIX=$TELVOR_WINEPREFIX-desktop WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
DIR=$(mktemp -d "${TMPDIR:-/tmp}/telvor-wine-$NAME.XXXXXX") && WORK=$DIR/work
cleanup() {
    local rc=$? i
    for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do
        kill "${PIDS[i]}" 2>/dev/null || true
        wait "${PIDS[i]}" 2>/dev/null || true
    done
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    if [[ -n ${E2E_KEEP:-} ]]; then echo "kept: $DIR"; else rm -rf "$DIR"; fi
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkdir -p "$WORK" "$TELVOR_BUILD_DIR/screenshots" && mkdir -m 700 "$DIR/run"
cp "$TELVOR_SAMPLES_DIR"/TELVOR.{filter,service} "$WORK/" && chmod u+w "$WORK"/TELVOR.*
unset WAYLAND_DISPLAY DISPLAY
export XDG_RUNTIME_DIR=$DIR/run

fail() {
    echo "FAIL [wine $NAME]: $*" >&2
    if [[ -s $DIR/telvor.err ]]; then cat "$DIR/telvor.err" >&2; fi
    exit 1
}
wait_until() {  # seconds, what, command...: polls the command every 0.1 s
    local tries=$(($1 * 10)) what=$2
    shift 2
    until "$@" >/dev/null 2>&1; do ((tries-- > 0)) || fail "timed out waiting for $what"; sleep 0.1; done
}
# The Windows form of a path below / (Wine's drive Z:).
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# Xvfb on a display number it picks itself, openbox on it, a Wine prefix
# that is ready, and the Guide text sample as UTF-8 (the form a browser
# copies), plus extra bytes ($1), on the clipboard, served by xclip.
start_session() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$DIR/displayfd" &>"$DIR/xvfb.log" &
    PIDS+=($!)
    wait_until 20 Xvfb test -s "$DIR/displayfd"
    export DISPLAY=:$(tr -dc 0-9 <"$DIR/displayfd")
    openbox --sm-disable &>"$DIR/openbox.log" &
    PIDS+=($!)
    wait_until 20 openbox wmctrl -m
    # The prefix is made once (about 11 s), without a display of its own.
    DISPLAY= "$TELVOR_SOURCE_DIR/cmake/wine-run" "$WINEPREFIX" || fail "no Wine prefix"
    { iconv -f WINDOWS-1252 -t UTF-8 "$TELVOR_SAMPLES_DIR/guide-webif.txt"; printf "${1:-}"; } >"$DIR/guide"
    xclip -quiet -selection clipboard -i "$DIR/guide" &>/dev/null &
    PIDS+=($!)
    wait_until 10 xclip xclip -o -selection clipboard
}
clip() { xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null || true; }
clip_kept() { clip | cmp -s - "$DIR/guide" || fail "the clipboard lost the Guide text $*"; }
clip_empty() { [[ -z $(clip) ]]; }

start() {  # telvor.exe [ARG] in the Program directory
    (cd "$WORK" && exec wine "$TELVOR_BIN" "$@") >"$DIR/telvor.out" 2>"$DIR/telvor.err" &
    PID=$!
    PIDS+=($PID)
}
running() { local s; s=$(cat "/proc/$PID/stat" 2>/dev/null) && [[ ${s##*) } != Z* ]]; }
ended() { ! running; }
wait_exit() {  # telvor ends with 0 and leaves no working file
    wait_until 20 "telvor to end" ended
    local rc=0
    wait "$PID" || rc=$?
    ((rc == 0)) || fail "exit code $rc"
    [[ ! -e $WORK/TELVOR.CLP && ! -e $WORK/TELVOR.DAT ]] || fail "a working file was left"
}
win() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
wait_win() {  # pattern: prints the window's id once it is shown
    local id tries=400
    until id=$(win "$1") && [[ -n $id ]]; do
        running || fail "telvor ended without a window '$1'"
        ((tries-- > 0)) || fail "no window '$1'"
        sleep 0.1
    done
    echo "$id"
}
still_open() {  # after $1 seconds telvor and its main window are still there
    sleep "$1"
    running && [[ -n $(win "$MAIN") ]] || fail "telvor ended before its window was closed"
}
xdo() {  # window, key|type, args: activates the window, then presses or types
    wait_until 10 "window $1 to become active" xdotool windowactivate --sync "$1"
    sleep 0.3
    xdotool "$2" --clearmodifiers --delay 50 "${@:3}"
}
shot() { import -window root "$TELVOR_BUILD_DIR/screenshots/wine-$NAME-$1.png"; }
expect() {  # file, has|lacks|starts, bytes (printf escapes such as \xf6 \r\n)
    local c e
    c=$(cat "$1"; echo x) e=$(printf "$3x")
    e=${e%x}
    case $2 in
        has) [[ $c == *"$e"* ]] ;;
        lacks) [[ $c != *"$e"* ]] ;;
        starts) [[ $c == "$e"* ]] ;;
    esac || fail "${1##*/}: $2 '$3' expected"
}
