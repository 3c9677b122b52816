# Desktop end-to-end helpers on Wayland: the real telvor on Qt's Wayland
# platform under a private headless sway (pixman renderer, no input devices),
# driven like a user: wl-copy/wl-paste for the clipboard, wtype to type,
# swaymsg to find, focus and close windows, grim for screenshots. sway will
# not run as root: run as root, the test makes a user of its own for the
# session and removes it again. What all desktop tests share is in
# tests/desktop/lib.sh.
PLATFORM=wayland WORK_PATH=home/work TEST_USER=
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/lib.sh"
HOME_DIR=$DIR/home

cleanup_platform() {
    [[ -n $TEST_USER ]] || return 0
    # Whatever the session's user still runs was started here.
    local pid
    for pid in $(pgrep -u "$TEST_USER"); do kill -KILL "$pid" 2>/dev/null || true; done
    for _ in 1 2 3 4 5; do userdel "$TEST_USER" 2>/dev/null && break; sleep 1; done
    ! id "$TEST_USER" &>/dev/null || { echo "could not remove the user $TEST_USER" >&2; return 1; }
}

# The session's user: a new system user when run as root, else whoever runs.
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
exec_program() { exec_as_user "$DIR/telvor" "$@"; }

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
    # This sway has no keyboard of its own: every wtype brings one and takes
    # it away as it ends, and with the seat's last keyboard gone each client
    # loses the keyboard focus and the clipboard's offer with it. A resident
    # virtual keyboard keeps the seat as a user's desktop has it.
    background /dev/null wtype -s 600000 -m shift
    has_keyboard() { [[ $(swaymsg -t get_inputs | jq '[.[] | select(.type == "keyboard")] | length') -gt 0 ]]; }
    wait_until 10 "the resident keyboard" has_keyboard
}
swaymsg() { as_user swaymsg "$@"; }

# The clipboard: the Guide text sample as UTF-8 plus extra bytes ($1), or
# any text (copy_text), offered by a wl-copy (OWNER) until something else
# takes the clipboard.
copy_guide() {
    make_guide "${1:-}"
    copy_file "$DIR/guide"
}
copy_text() { printf '%s' "$1" >"$DIR/copied" && copy_file "$DIR/copied"; }
copy_file() {
    background /dev/null wl-copy --foreground --type 'text/plain;charset=utf-8' <"$1"
    OWNER=${PIDS[-1]}
    wait_until 10 "wl-copy" clip_is "$1"
}
clip() { as_user timeout 10 wl-paste --no-newline 2>/dev/null || true; }

give() {  # paths...: hands files made here to the session's user
    if [[ -n $TEST_USER ]]; then chown -R "$TEST_USER:" "$@"; fi
}
# A second TELVOR in a folder of its own, showing its open-file dialog: a
# window of another program to move the focus to. Sets OTHER (its pid).
start_other() {
    mkdir -p "$HOME_DIR/other"
    cp "$WORK"/TELVOR.{filter,service} "$HOME_DIR/other/"
    give "$HOME_DIR/other"
    (cd "$HOME_DIR/other" && exec_program) >"$DIR/other.out" 2>&1 &
    OTHER=$!
    PIDS+=($OTHER)
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
screenshot() { as_user grim "$HOME_DIR/shot.png" && cp "$HOME_DIR/shot.png" "$1"; }
