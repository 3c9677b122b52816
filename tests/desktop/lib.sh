# Helpers shared by the desktop end-to-end tests of every platform. Sourced
# by tests/e2e/lib.sh (the Linux program on X11), tests/wine/lib.sh
# (telvor.exe under Wine) and tests/wayland/lib.sh (the Linux program under
# sway), which set PLATFORM first and then add what is their own:
#   exec_program ARG...  replaces the calling (sub)shell with the program
#   clip                 prints the clipboard's text
#   win TITLE [PID]      prints the id of the shown window of that title
#   screenshot FILE      saves the screen as a PNG
#   cleanup_platform     ends what the platform started besides PIDS
#                        (optional; non-zero fails the test)
# They may set WORK_PATH (the Program directory's place in the scratch
# folder) beforehand, and WAIT_EXIT and WAIT_WINDOW (seconds) afterwards.
# The scratch folder holds a Program directory with the sample lists;
# everything started (PIDS) is ended on exit; E2E_KEEP=1 keeps the folder.
set -euo pipefail
export LC_ALL=C
: "${PLATFORM:?}" "${TELVOR_BIN:?}" "${TELVOR_BUILD_DIR:?}" "${TELVOR_SAMPLES_DIR:?}"
# The windows' exact titles: the question, the main window, the dialog.
QUESTION='TELVOR Version 0.38w (x86)'
MAIN="$QUESTION - DreamBox Gemini Project Image e1 + e2 - I-Explorer, FireFox, Opera"
DIALOG='Bitte Datei zum Laden auswählen'
NAME=$(basename "$0" _test.sh) PIDS=() PID=
WAIT_EXIT=15 WAIT_WINDOW=30
DIR=$(mktemp -d "${TMPDIR:-/tmp}/telvor-$PLATFORM-$NAME.XXXXXX")
WORK=$DIR/${WORK_PATH:-work} RUN=$DIR/run

cleanup_platform() { :; }
cleanup() {
    local rc=$? i
    for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do
        kill "${PIDS[i]}" 2>/dev/null || true
        kill -CONT "${PIDS[i]}" 2>/dev/null || true   # a stopped one ends too
        wait "${PIDS[i]}" 2>/dev/null || true
    done
    cleanup_platform || rc=1
    if [[ -n ${E2E_KEEP:-} ]]; then echo "kept: $DIR"; else rm -rf "$DIR"; fi
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkdir -p "$WORK" "$TELVOR_BUILD_DIR/screenshots" && mkdir -m 700 "$RUN"
cp "$TELVOR_SAMPLES_DIR"/TELVOR.{filter,service} "$WORK/" && chmod u+w "$WORK"/TELVOR.*

fail() {
    echo "FAIL [$PLATFORM $NAME]: $*" >&2
    if [[ -s $DIR/telvor.err ]]; then cat "$DIR/telvor.err" >&2; fi
    exit 1
}
pass() { echo "PASS $PLATFORM $NAME"; }
wait_until() {  # seconds, what, command...: polls the command every 0.1 s
    local tries=$(($1 * 10)) what=$2
    shift 2
    until "$@" >/dev/null 2>&1; do ((tries-- > 0)) || fail "timed out waiting for $what"; sleep 0.1; done
}

# The Guide text sample as UTF-8 (the form a browser copies) plus extra bytes
# ($1, printf escapes), in $DIR/guide: what the clipboard is to offer.
make_guide() {
    { iconv -f WINDOWS-1252 -t UTF-8 "$TELVOR_SAMPLES_DIR/guide-webif.txt"; printf "${1:-}"; } >"$DIR/guide"
}
clip_is() { clip | cmp -s - "$1"; }   # file: the clipboard holds its bytes
clip_is_guide() { clip_is "$DIR/guide"; }
clip_has() { [[ $(clip) == *"$1"* ]]; }
clip_kept() { clip_is_guide || fail "the clipboard lost the Guide text $*"; }
clip_empty() { [[ -z $(clip) ]]; }

start() {  # the program [ARG...] in the Program directory; PID is its id
    (cd "$WORK" && exec_program "$@") >"$DIR/telvor.out" 2>"$DIR/telvor.err" &
    PID=$!
    PIDS+=($PID)
}
alive() { local s; s=$(cat "/proc/$1/stat" 2>/dev/null) && [[ ${s##*) } != Z* ]]; }
running() { alive "$PID"; }
ended() { ! running; }
wait_exit() {  # [status]: the program ends with it (0) and leaves no working file
    wait_until "$WAIT_EXIT" "telvor to end" ended
    local rc=0
    wait "$PID" || rc=$?
    ((rc == ${1:-0})) || fail "exit code $rc"
    [[ ! -e $WORK/TELVOR.CLP && ! -e $WORK/TELVOR.DAT ]] || fail "a working file was left"
}
wait_win() {  # title [pid]: prints the window's id once that process shows it
    local id tries=$((WAIT_WINDOW * 10))
    until id=$(win "$@") && [[ -n $id ]]; do
        alive "${2:-$PID}" || fail "telvor ended without a window '$1'"
        ((tries-- > 0)) || fail "no window '$1'"
        sleep 0.1
    done
    echo "$id"
}
still_open() {  # after $1 seconds the program and its main window are still there
    sleep "$1"
    running && [[ -n $(win "$MAIN") ]] || fail "telvor ended before its window was closed"
}
shot() { screenshot "$TELVOR_BUILD_DIR/screenshots/$PLATFORM-$NAME-$1.png"; }
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
