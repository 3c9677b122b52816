# Helpers of the desktop tests; the lib.sh of tests/e2e/, tests/wine/ and tests/wayland/ set
# PLATFORM and define exec_program, start_display, offer FILE, clip [SECONDS], win TITLE [PID],
# xdo ID key|type ARG, close ID, check_windows and screenshot. E2E_KEEP=1 keeps the scratch folder.
set -euo pipefail
export LC_ALL=C
: "${PLATFORM:?}" "${TELVOR_BIN:?}" "${TELVOR_BUILD_DIR:?}" "${TELVOR_SAMPLES_DIR:?}"
QUESTION='TELVOR Version 0.38w (x86)'
MAIN="$QUESTION - DreamBox Gemini Project Image e1 + e2 - I-Explorer, FireFox, Opera"
DIALOG='Bitte Datei zum Laden auswählen'
OLD_EVENT='04.12.2009 20:15   Krimi-Abend\r\nGenre: Krimi\r\nAlter Fall.\r\n\r\n'
NAME=$(basename "$0" _test.sh) PIDS=() PID=
WAIT_EXIT=15 WAIT_WINDOW=30
DIR=$(mktemp -d "${TMPDIR:-/tmp}/telvor-$PLATFORM-$NAME.XXXXXX")
WORK=$DIR/${WORK_PATH:-work} RUN=$DIR/run LISTS="$DIR/Sendungen 2009"

cleanup_platform() { :; }
cleanup() {
    local rc=$? i
    for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do
        alive "${PIDS[i]}" || continue   # ended: its number may be another process's now
        { kill "${PIDS[i]}"; kill -CONT "${PIDS[i]}"; wait "${PIDS[i]}"; } 2>/dev/null || true   # a stopped one too
    done
    cleanup_platform || rc=1
    if [[ -n ${E2E_KEEP:-} ]]; then echo "kept: $DIR"; else rm -rf "$DIR"; fi
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkdir -p "$WORK" "$TELVOR_BUILD_DIR/screenshots" && mkdir -m 700 "$RUN"
cp "$TELVOR_SAMPLES_DIR"/TELVOR.{filter,service} "$WORK/" && chmod u+w "$WORK"/TELVOR.*

fail() {  # a screenshot of the moment kept beside the others
    echo "FAIL [$PLATFORM $NAME${STEP:+ $STEP}]: $*" >&2 && cat "$DIR/telvor.err" >&2 2>/dev/null
    shot failed &>/dev/null || true
    exit 1
}
pass() { echo "PASS $PLATFORM $NAME"; }
wait_until() {  # seconds, what, command...
    local tries=$(($1 * 10))
    until "${@:3}" >/dev/null 2>&1; do ((tries-- > 0)) || fail "timed out waiting for $2"; sleep 0.1; done
}
spawn() { "${@:2}" <&0 >"$1" 2>&1 & PIDS+=($!); }   # log, command...: in the background
native_path() { echo "$1"; }

start_session() { start_display && copy_guide; }
# The Guide text as a browser copies it (UTF-8), plus $1 (printf escapes).
make_guide() { { iconv -f WINDOWS-1252 -t UTF-8 "$TELVOR_SAMPLES_DIR/guide-webif.txt"; printf "${1:-}"; } >"$DIR/guide"; }
copy_file() { offer "$1" && OWNER=${PIDS[-1]} && wait_until 10 "the clipboard's owner" clip_is "$1"; }
copy_guide() { make_guide "${1:-}" && copy_file "$DIR/guide"; }
copy_guide_silent() { copy_guide && kill -STOP "$OWNER"; }   # an owner that answers no request
clip_is() { clip | cmp -s - "$1"; }
clip_kept() { clip_is "$DIR/guide" || fail "the clipboard lost the Guide text $*"; }
clip_empty() { [[ -z $(clip) ]]; }
box_text() {  # WINDOW: the message box's title and text, copied with Ctrl+C
    xdo "$1" key ctrl+c   # a stopped owner, asked before the box takes over, is asked again
    wait_until 10 "the box's text on the clipboard" eval '[[ $(clip 2) == *"$QUESTION"* ]]'
    clip
}

start() {  # the program [ARG...] in the Program directory; PID is its id
    (cd "$WORK" && exec_program "$@") >"$DIR/telvor.out" 2>"$DIR/telvor.err" &
    PID=$! && PIDS+=($PID)
}
start_box() {  # [ARG...]: the program started; BOX, the box of failed steps it shows within 8 s
    local begun=$(date +%s%N) took
    start "$@"
    BOX=$(wait_win "$QUESTION") || exit 1
    took=$((($(date +%s%N) - begun) / 1000000))
    ((took < 8000)) || fail "the box came after $took ms"
}
alive() {  # PID: a child of this script's that has not ended (a number is reused once its process is gone)
    local s state parent
    s=$(cat "/proc/$1/stat" 2>/dev/null) && read -r state parent _ <<<"${s##*) }" && [[ $state != Z && $parent == "$$" ]]
}
running() { alive "$PID"; }
holds() {  # SECONDS, what failed, command...: the command stays true for that long
    local end=$(($(date +%s%N) + $1 * 1000000000))
    while (($(date +%s%N) < end)); do "${@:3}" >/dev/null 2>&1 || fail "$2"; sleep 0.1; done
}
wait_exit() {  # [status]: the program ends with it (0) and leaves no working file
    wait_until "$WAIT_EXIT" "telvor to end" eval '! running'
    local rc=0 && wait "$PID" || rc=$?
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
after_box() {  # BOX: answers the box of failed steps and prints the question that follows
    local box=$1 id   # one look: the box gone and no question yet is not the question
    xdo "$box" key Return
    wait_until 10 "the question after the box" eval 'id=$(win "$QUESTION") && [[ -n $id && $id != "$box" ]]'
    echo "$id"
}
main_open() { running && [[ -n $(win "$MAIN") ]]; }
answered() { wait_until 10 "the question to close" eval '[[ -z $(win "$QUESTION") ]]'; }
still_open() { holds "$1" "telvor ended before its window was closed" main_open; }
shot() { screenshot "$TELVOR_BUILD_DIR/screenshots/$PLATFORM-$NAME-$1.png"; }
has_bytes() {  # file, has|lacks|starts, bytes (printf escapes such as \xf6 \r\n)
    local c e
    c=$(cat "$1"; echo x) e=$(printf "$3x") && e=${e%x}
    case $2 in has) [[ $c == *"$e"* ]] ;; lacks) [[ $c != *"$e"* ]] ;; starts) [[ $c == "$e"* ]] ;; esac
}
expect() { has_bytes "$@" || fail "${1##*/}: $2 '$3' expected; it holds: $(head -c 1500 "$1" | cat -v)"; }
# An Event file in a folder with lists of its own, which the run must take.
make_lists() { mkdir "$LISTS" && cp "$WORK"/TELVOR.{filter,service} "$LISTS/" && : >"$LISTS/woche.telvor"; }
lists_taken() {  # [EVENT-FILE PROGRAM-DIR]: Cancel, and the run took the lists of the sample
    local file=${1:-$LISTS/woche.telvor}
    xdo "$(wait_win "$QUESTION")" key Escape
    WORK=${2:-$LISTS} wait_exit
    expect "$file" has '07.12.2009 19:45   Journal\r\n'
    expect "$file" lacks 'Tagesschau'
}
