# The Linux program on a private headless sway (wl-copy, wtype, swaymsg).
# sway will not run as root: as root, a user is made for the session.
PLATFORM=wayland WORK_PATH=home/work TEST_USER=
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/lib.sh"
HOME_DIR=$DIR/home

cleanup_platform() {
    [[ -n $TEST_USER ]] || return 0
    local pid tries=100
    # Its processes gone first; then userdel, tried again while another test's
    # useradd or userdel holds the user database.
    for pid in $(pgrep -u "$TEST_USER"); do kill -KILL "$pid" 2>/dev/null || true; done
    until ! pgrep -u "$TEST_USER" >/dev/null && userdel "$TEST_USER" 2>/dev/null; do ((tries-- > 0)) || break; sleep 0.1; done
    ! id "$TEST_USER" &>/dev/null || { echo "could not remove the user $TEST_USER" >&2; return 1; }
}
if [[ $(id -u) == 0 ]]; then
    TEST_USER=telvor-wl-$$
    wait_until 10 "a user for sway" useradd -r -M -d "$HOME_DIR" -s /usr/sbin/nologin "$TEST_USER"
    chmod 711 "$DIR"
    chown -R "$TEST_USER:" "$HOME_DIR" "$RUN"
fi
install -m 755 "$TELVOR_BIN" "$DIR/telvor"   # where the user can run it
exec_as_user() {  # command...: as the user, in the session's environment
    local env=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$HOME_DIR" LC_ALL=C
        XDG_RUNTIME_DIR="$RUN" XDG_CONFIG_HOME="$HOME_DIR/.config" XDG_SESSION_TYPE=wayland)
    # Set once sway runs (sway itself must not find them set, not even empty).
    if [[ -n ${SWAYSOCK:-} ]]; then env+=(WAYLAND_DISPLAY="$WAYLAND_DISPLAY" SWAYSOCK="$SWAYSOCK"); fi
    exec ${TEST_USER:+setpriv --reuid=$TEST_USER --regid=$TEST_USER --clear-groups --} "${env[@]}" "$@"
}
as_user() { (exec_as_user "$@"); }
exec_program() { [[ -z $TEST_USER ]] || chown -R "$TEST_USER:" "$WORK"; exec_as_user "$DIR/telvor" "$@"; }

start_display() {  # [extra configuration lines]
    printf 'xwayland disable\noutput HEADLESS-1 resolution 1280x1024 position 0 0\nfocus_follows_mouse no\n%s\n' \
        "${1:-}" >"$DIR/sway.config"
    chmod 644 "$DIR/sway.config"
    spawn "$DIR/sway.log" exec_as_user env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        sway --config "$DIR/sway.config"
    wait_until 20 "sway's sockets" eval 'compgen -G "$RUN/sway-ipc.*.sock" && compgen -G "$RUN/wayland-[0-9]"'
    export WAYLAND_DISPLAY=$(basename "$(compgen -G "$RUN/wayland-[0-9]")") SWAYSOCK=$(compgen -G "$RUN/sway-ipc.*.sock")
    wait_until 10 "sway's answer" as_user swaymsg -t get_version
    # Each wtype's keyboard goes as it ends, and with the seat's last keyboard
    # every client's focus and clipboard offer: a resident keyboard keeps the seat.
    spawn /dev/null exec_as_user wtype -s 600000 -m shift
    wait_until 10 "the resident keyboard" eval 'swaymsg -t get_inputs | jq -e "any(.[]; .type == \"keyboard\")"'
}
swaymsg() { as_user swaymsg "$@"; }
offer() { spawn /dev/null exec_as_user wl-copy --foreground --type 'text/plain;charset=utf-8' <"$1"; }
clip() { as_user timeout "${1:-10}" wl-paste --no-newline 2>/dev/null || true; }

windows() {  # id, focused, pid, title
    swaymsg -t get_tree | jq -r '.. | objects | select(.type? == "con" or .type? == "floating_con")
        | select(.name != null) | "\(.id)\t\(.focused)\t\(.pid)\t\(.name)"'
}
win() { windows | awk -F '\t' -v t="$1" -v p="${2:-$PID}" '$4 == t && $3 == p { print $1; exit }'; }  # title [pid]
focused() { windows | awk -F '\t' -v id="${1:-}" '$2 == "true" { print id == "" ? $4 : $1; exit }'; }
focus() { swaymsg "[con_id=$1] focus" >/dev/null && wait_until 5 "window $1 to get the focus" eval '[[ $(focused id) == '"$1"' ]]'; }
close() { swaymsg "[con_id=$1] kill" >/dev/null; }
xdo() {  # WINDOW key|type ARG: keys named as xdotool names them, to the focused window
    focus "$1"
    if [[ $2 == type ]]; then as_user wtype "$3"
    elif [[ $3 == *+* ]]; then as_user wtype -M "${3%+*}" -k "${3#*+}" -m "${3%+*}"
    else as_user wtype -k "$3"; fi
}
screenshot() { as_user grim "$HOME_DIR/shot.png" && cp "$HOME_DIR/shot.png" "$1"; }
check_windows() {  # the question in front; the main window's app_id names TELVOR's desktop entry (its icon)
    [[ $(focused) == "$QUESTION" ]] || fail "the question is not in front: $(windows)"
    local app_id
    app_id=$(swaymsg -t get_tree | jq -r --argjson id "$1" '.. | objects | select(.id? == $id) | .app_id')
    [[ -f $TELVOR_SOURCE_DIR/packaging/$app_id.desktop ]] || fail "app_id '$app_id' names no desktop entry"
}
