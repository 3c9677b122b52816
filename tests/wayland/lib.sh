# Desktop end-to-end helpers on Wayland: the real telvor on Qt's Wayland
# platform under a private headless sway (pixman renderer, no input devices),
# driven like a user: wl-copy/wl-paste for the clipboard, wtype to type,
# swaymsg to find, focus and close windows, grim for screenshots. sway will
# not run as root: run as root, the test makes a user of its own for the
# session and removes it again. Everything started is ended on exit;
# E2E_KEEP=1 keeps the scratch folder.
set -euo pipefail
export LC_ALL=C
: "${TELVOR_BIN:?}" "${TELVOR_BUILD_DIR:?}" "${TELVOR_SAMPLES_DIR:?}"
QUESTION='TELVOR Version 0.38w (x86)'
MAIN='TELVOR Version 0.38w (x86) - DreamBox Gemini Project Image e1 + e2 - I-Explorer, FireFox, Opera'
DIALOG='Bitte Datei zum Laden auswählen'
NAME=$(basename "$0" _test.sh) PIDS=() PID= TEST_USER=
DIR=$(mktemp -d "${TMPDIR:-/tmp}/telvor-wayland-$NAME.XXXXXX")
HOME_DIR=$DIR/home RUN=$DIR/run WORK=$DIR/home/work
cleanup() {
    local rc=$? i
    for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do
        kill "${PIDS[i]}" 2>/dev/null || true
        wait "${PIDS[i]}" 2>/dev/null || true
    done
    if [[ -n $TEST_USER ]]; then
        # Whatever the session's user still runs was started here.
        for i in $(pgrep -u "$TEST_USER"); do kill -KILL "$i" 2>/dev/null || true; done
        for _ in 1 2 3 4 5; do userdel "$TEST_USER" 2>/dev/null && break; sleep 1; done
        ! id "$TEST_USER" &>/dev/null || { echo "could not remove the user $TEST_USER" >&2; rc=1; }
    fi
    if [[ -n ${E2E_KEEP:-} ]]; then echo "kept: $DIR"; else rm -rf "$DIR"; fi
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
    echo "FAIL [$NAME]: $*" >&2
    if [[ -s $DIR/telvor.err ]]; then cat "$DIR/telvor.err" >&2; fi
    exit 1
}
wait_until() {  # seconds, what, command...: polls the command every 0.1 s
    local tries=$(($1 * 10)) what=$2
    shift 2
    until "$@" >/dev/null 2>&1; do ((tries-- > 0)) || fail "timed out waiting for $what"; sleep 0.1; done
}

# The session's user: a new system user when run as root, else whoever runs.
mkdir -p "$HOME_DIR" "$WORK" "$RUN"
chmod 700 "$RUN"
if [[ $(id -u) == 0 ]]; then
    TEST_USER=telvor-wl-$$
    for _ in 1 2 3 4 5; do
        useradd --system --no-create-home --home-dir "$HOME_DIR" --shell /usr/sbin/nologin "$TEST_USER" 2>/dev/null && break
        sleep 1
    done
    id "$TEST_USER" &>/dev/null || fail "could not make a user for sway"
    chmod 711 "$DIR"
    chown -R "$TEST_USER:" "$HOME_DIR" "$RUN"
fi
# The program as the user can run it.
install -m 755 "$TELVOR_BIN" "$DIR/telvor"
cp "$TELVOR_SAMPLES_DIR"/TELVOR.{filter,service} "$WORK/"
# as_user COMMAND...: runs it as the session's user, in the session's
# environment; exec_as_user does the same in place of the calling (sub)shell,
# so that a background job's id is the command's own.
exec_as_user() {
    local env=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$HOME_DIR" LC_ALL=C
        XDG_RUNTIME_DIR="$RUN" XDG_CONFIG_HOME="$HOME_DIR/.config" XDG_SESSION_TYPE=wayland)
    # Set once sway runs (sway itself must not find them set, not even empty).
    if [[ -n ${SWAYSOCK:-} ]]; then env+=(WAYLAND_DISPLAY="$WAYLAND_DISPLAY" SWAYSOCK="$SWAYSOCK"); fi
    if [[ -n $TEST_USER ]]; then
        exec setpriv --reuid="$TEST_USER" --regid="$TEST_USER" --clear-groups -- "${env[@]}" "$@"
    fi
    exec "${env[@]}" "$@"
}
as_user() { (exec_as_user "$@"); }
background() {  # log file, command...: as the user, in the background
    (exec_as_user "${@:2}") <&0 >"$1" 2>&1 &
    PIDS+=($!)
}

# Headless sway with the given extra configuration lines ($1).
start_sway() {
    cat >"$DIR/sway.config" <<CONFIG
xwayland disable
output HEADLESS-1 resolution 1280x1024 position 0 0
focus_follows_mouse no
${1:-}
CONFIG
    chmod 644 "$DIR/sway.config"
    background "$DIR/sway.log" env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        sway --config "$DIR/sway.config"
    sway_socket() { compgen -G "$RUN/sway-ipc.*.sock"; }
    wait_until 20 "sway" sway_socket
    wayland_socket() { compgen -G "$RUN/wayland-[0-9]"; }
    wait_until 20 "the Wayland display" wayland_socket
    export WAYLAND_DISPLAY=$(basename "$(wayland_socket)") SWAYSOCK=$(sway_socket)
    wait_until 10 "sway's answer" as_user swaymsg -t get_version
}
swaymsg() { as_user swaymsg "$@"; }

# The clipboard: the Guide text sample as UTF-8 plus extra bytes ($1),
# offered by wl-copy until something else takes the clipboard.
copy_guide() {
    { iconv -f WINDOWS-1252 -t UTF-8 "$TELVOR_SAMPLES_DIR/guide-webif.txt"; printf "${1:-}"; } >"$DIR/guide"
    background /dev/null wl-copy --foreground --type 'text/plain;charset=utf-8' <"$DIR/guide"
    wait_until 10 "wl-copy" clip_kept_quietly
}
clip() { as_user wl-paste --no-newline 2>/dev/null || true; }
clip_kept_quietly() { clip | cmp -s - "$DIR/guide"; }
clip_kept() { clip_kept_quietly || fail "the clipboard lost the Guide text $*"; }
clip_empty() { [[ -z $(clip) ]]; }

give() {  # paths...: hands files made here to the session's user
    if [[ -n $TEST_USER ]]; then chown -R "$TEST_USER:" "$@"; fi
}
# A second TELVOR in a folder of its own, showing its open-file dialog: a
# window of another program to move the focus to. Sets OTHER (its pid).
start_other() {
    mkdir -p "$HOME_DIR/other"
    cp "$WORK"/TELVOR.{filter,service} "$HOME_DIR/other/"
    give "$HOME_DIR/other"
    (cd "$HOME_DIR/other" && exec_as_user "$DIR/telvor") >"$DIR/other.out" 2>&1 &
    OTHER=$!
    PIDS+=($OTHER)
}
start() {  # telvor [ARG] in the Program directory, as the session's user
    (cd "$WORK" && exec_as_user "$DIR/telvor" "$@") >"$DIR/telvor.out" 2>"$DIR/telvor.err" &
    PID=$!
    PIDS+=($PID)
}
running() { kill -0 "$PID" 2>/dev/null && [[ $(ps -o stat= -p "$PID") != Z* ]]; }
ended() { ! running; }
wait_exit() {  # telvor ends with 0 and leaves no working file
    wait_until 15 "telvor to end" ended
    local rc=0
    wait "$PID" || rc=$?
    ((rc == 0)) || fail "exit code $rc"
    [[ ! -e $WORK/TELVOR.CLP && ! -e $WORK/TELVOR.DAT ]] || fail "a working file was left"
}

# Windows by their exact title, from sway's tree: id, focused, pid, title.
windows() {
    swaymsg -t get_tree | jq -r '.. | objects | select(.type? == "con" or .type? == "floating_con")
        | select(.name != null) | "\(.id)\t\(.focused)\t\(.pid)\t\(.name)"'
}
win() {  # title [pid]: the window of that process (telvor's own by default)
    windows | awk -F '\t' -v t="$1" -v p="${2:-$PID}" '$4 == t && $3 == p { print $1; exit }'
}
focused() { windows | awk -F '\t' '$2 == "true" { print $4; exit }'; }
wait_win() {  # title [pid]: prints the window's id once it is shown
    local id tries=300
    until id=$(win "$@") && [[ -n $id ]]; do
        kill -0 "${2:-$PID}" 2>/dev/null || fail "telvor ended without a window '$1'"
        ((tries-- > 0)) || fail "no window '$1'"
        sleep 0.1
    done
    echo "$id"
}
focus() { swaymsg "[con_id=$1] focus" >/dev/null; }
close() { swaymsg "[con_id=$1] kill" >/dev/null; }
# key KEY...: focuses the window ($1) and presses the keys with wtype, whose
# virtual keyboard needs a moment before its first key counts.
key() {
    focus "$1"
    wait_until 5 "window $1 to get the focus" is_focused "$1"
    as_user wtype -s 1500 "${@:2}"
}
is_focused() { [[ $(windows | awk -F '\t' -v id="$1" '$1 == id { print $2 }') == true ]]; }
shot() { as_user grim "$HOME_DIR/shot.png" && cp "$HOME_DIR/shot.png" "$TELVOR_BUILD_DIR/screenshots/wayland-$NAME-$1.png"; }
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
mkdir -p "$TELVOR_BUILD_DIR/screenshots"
