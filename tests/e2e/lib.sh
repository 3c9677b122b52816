# Shared helpers of the desktop end-to-end tests. Each test runs the real
# telvor binary on its own virtual X display (Xvfb) with a small window
# manager (openbox), in a scratch Program directory, and drives it as a user
# would: xclip fills the clipboard, xdotool presses keys, wmctrl closes the
# window. Everything a test starts is ended when it exits.
#
# Environment (set by CTest): TELVOR_BIN, TELVOR_BUILD_DIR, TELVOR_SAMPLES_DIR.
# E2E_KEEP=1 keeps the scratch folder for inspection.

set -euo pipefail
export LC_ALL=C

# Window titles, as patterns for xdotool search --name.
readonly VERSION_TITLE_RE='^TELVOR Version 0\.38w \(x86\)$'
readonly MAIN_TITLE='TELVOR Version 0.38w (x86) - DreamBox Gemini Project Image e1 + e2 - I-Explorer, FireFox, Opera'
readonly MAIN_TITLE_RE='^TELVOR Version 0\.38w \(x86\) - DreamBox Gemini Project Image e1 \+ e2 - I-Explorer, FireFox, Opera$'
readonly DIALOG_TITLE_RE='^Bitte Datei zum Laden ausw.*hlen$'

E2E_PIDS=()
E2E_DIR=""
TELVOR_PID=""
TELVOR_RC=""

e2e_fail() {
    echo "FAIL [${E2E_NAME:-e2e}]: $*" >&2
    if [[ -n "$E2E_DIR" && -s "$E2E_DIR/telvor.err" ]]; then
        echo "--- telvor stderr:" >&2
        cat "$E2E_DIR/telvor.err" >&2
    fi
    exit 1
}

e2e_step() { echo "== [$E2E_NAME] $*"; }

e2e_cleanup() {
    local status=$?
    local i
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        kill "${E2E_PIDS[i]}" 2>/dev/null || true
    done
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        wait "${E2E_PIDS[i]}" 2>/dev/null || true
    done
    if [[ -n "$E2E_DIR" && -z "${E2E_KEEP:-}" ]]; then
        rm -rf "$E2E_DIR"
    elif [[ -n "$E2E_DIR" ]]; then
        echo "kept: $E2E_DIR"
    fi
    exit "$status"
}

# e2e_wait_until SECONDS DESCRIPTION COMMAND...: polls COMMAND every 0.1 s
# until it succeeds; fails the test after SECONDS.
e2e_wait_until() {
    local seconds=$1 what=$2
    shift 2
    local tries=$((seconds * 10))
    while ((tries-- > 0)); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    e2e_fail "timed out after ${seconds}s waiting for: $what"
}

# e2e_setup NAME: scratch Program directory with the sample list files,
# private runtime and settings folders, and the trap that ends everything.
e2e_setup() {
    E2E_NAME=$1
    : "${TELVOR_BIN:?TELVOR_BIN must name the telvor binary}"
    : "${TELVOR_BUILD_DIR:?TELVOR_BUILD_DIR must be set}"
    : "${TELVOR_SAMPLES_DIR:?TELVOR_SAMPLES_DIR must be set}"
    [[ -x "$TELVOR_BIN" ]] || { echo "FAIL: no telvor binary at '$TELVOR_BIN'" >&2; exit 1; }
    local tool
    for tool in Xvfb openbox xclip xdotool wmctrl xwininfo xprop import iconv; do
        command -v "$tool" >/dev/null || {
            echo "FAIL: '$tool' is missing (scripts/deps test installs it)" >&2
            exit 1
        }
    done

    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/telvor-e2e-$E2E_NAME.XXXXXX")
    E2E_WORK="$E2E_DIR/work"
    E2E_SHOTS="$TELVOR_BUILD_DIR/screenshots"
    mkdir -p "$E2E_WORK" "$E2E_SHOTS"
    cp "$TELVOR_SAMPLES_DIR/TELVOR.filter" "$TELVOR_SAMPLES_DIR/TELVOR.service" "$E2E_WORK/"
    chmod u+w "$E2E_WORK"/TELVOR.*

    # A plain X11 session of our own, whatever the caller's session is.
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE DISPLAY
    export XDG_RUNTIME_DIR="$E2E_DIR/runtime" XDG_CONFIG_HOME="$E2E_DIR/config"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# Starts Xvfb on a free display number (Xvfb picks it) and openbox on it.
e2e_start_display() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$E2E_DIR/displayfd" >"$E2E_DIR/xvfb.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait_until 20 "Xvfb to report its display number" test -s "$E2E_DIR/displayfd"
    export DISPLAY=":$(tr -dc '0-9' <"$E2E_DIR/displayfd")"
    e2e_wait_until 20 "the display $DISPLAY" xwininfo -root

    openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait_until 20 "openbox to manage $DISPLAY" wmctrl -m
}

# e2e_clipboard_put FILE: the UTF-8 text of FILE becomes the CLIPBOARD
# selection, served by xclip until another client takes or clears it.
e2e_clipboard_put() {
    xclip -quiet -selection clipboard -i "$1" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait_until 10 "xclip to own the clipboard" xclip -o -selection clipboard
}

# The clipboard's text as UTF-8; nothing when it holds none.
e2e_clipboard_text() {
    xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null || true
}

# The Guide text sample as UTF-8, the form a browser puts on the clipboard.
e2e_guide_utf8() {
    iconv -f WINDOWS-1252 -t UTF-8 "$TELVOR_SAMPLES_DIR/guide-webif.txt"
}

# e2e_start_telvor [ARG]: starts telvor in the Program directory.
e2e_start_telvor() {
    (cd "$E2E_WORK" && exec "$TELVOR_BIN" "$@") >"$E2E_DIR/telvor.out" 2>"$E2E_DIR/telvor.err" &
    TELVOR_PID=$!
    E2E_PIDS+=("$TELVOR_PID")
}

# Running and not yet ended (an ended child stays a zombie until waited for).
e2e_telvor_running() {
    local pid comm state rest
    [[ -r "/proc/$TELVOR_PID/stat" ]] || return 1
    read -r pid comm state rest <"/proc/$TELVOR_PID/stat" || return 1
    [[ "$state" != Z ]]
}
e2e_telvor_ended() { ! e2e_telvor_running; }

# e2e_wait_exit SECONDS: waits for telvor to end and sets TELVOR_RC.
e2e_wait_exit() {
    e2e_wait_until "$1" "telvor to end" e2e_telvor_ended
    TELVOR_RC=0
    wait "$TELVOR_PID" || TELVOR_RC=$?
}

# The id of the visible window whose title matches the pattern, or nothing.
e2e_find_window() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true
}

# e2e_wait_window PATTERN [SECONDS]: prints the window's id once it is shown.
e2e_wait_window() {
    local pattern=$1 seconds=${2:-30}
    local tries=$((seconds * 10)) id
    while ((tries-- > 0)); do
        id=$(e2e_find_window "$pattern")
        if [[ -n "$id" ]]; then
            echo "$id"
            return 0
        fi
        e2e_telvor_running || e2e_fail "telvor ended while waiting for a window '$pattern'"
        sleep 0.1
    done
    e2e_fail "no window '$pattern' within ${seconds}s"
}

e2e_window_absent() { [[ -z $(e2e_find_window "$1") ]]; }

# e2e_wait_window_gone PATTERN [SECONDS]
e2e_wait_window_gone() {
    e2e_wait_until "${2:-15}" "window '$1' to go" e2e_window_absent "$1"
}

# e2e_keys WINDOW KEY...: activates the window and presses the keys.
e2e_keys() {
    local id=$1
    shift
    e2e_wait_until 10 "window $id to become active" xdotool windowactivate --sync "$id"
    xdotool key --clearmodifiers --delay 50 "$@"
}

# e2e_type WINDOW TEXT: activates the window and types the text.
e2e_type() {
    e2e_wait_until 10 "window $1 to become active" xdotool windowactivate --sync "$1"
    xdotool type --clearmodifiers --delay 30 "$2"
}

# A real close request to the window, as the close box sends it.
e2e_close_window() { wmctrl -i -c "$1"; }

e2e_screenshot() {
    import -window root "$E2E_SHOTS/$1.png"
    echo "screenshot: $E2E_SHOTS/$1.png"
}

# e2e_file_has FILE BYTES DESCRIPTION: FILE contains the byte string BYTES
# (printf escapes allowed, e.g. \xf6 and \r\n).
e2e_file_has() {
    local content expected
    content=$(cat "$1"; echo x)
    expected=$(printf "$2"; echo x)
    expected=${expected%x}
    [[ "$content" == *"$expected"* ]] || e2e_fail "$3: $(basename "$1") lacks '$2'"
}

e2e_file_starts() {
    local expected="$E2E_DIR/expected-start"
    printf "$2" >"$expected"
    head -c "$(stat -c %s "$expected")" "$1" | cmp -s - "$expected" ||
        e2e_fail "$3: $(basename "$1") does not start with '$2'"
}

e2e_file_lacks() {
    local content expected
    content=$(cat "$1"; echo x)
    expected=$(printf "$2"; echo x)
    expected=${expected%x}
    [[ "$content" != *"$expected"* ]] || e2e_fail "$3: $(basename "$1") holds '$2'"
}

# e2e_expect_still_running SECONDS: telvor stays up (waiting for Close).
e2e_expect_still_running() {
    sleep "$1"
    e2e_telvor_running || e2e_fail "telvor ended before its window was closed"
    [[ -n $(e2e_find_window "$MAIN_TITLE_RE") ]] || e2e_fail "the main window is gone"
}

e2e_expect_exit_0() {
    [[ "$TELVOR_RC" == 0 ]] || e2e_fail "exit code $TELVOR_RC, expected 0"
}

# No working file is left in the Program directory.
e2e_expect_no_working_files() {
    [[ ! -e "$E2E_WORK/TELVOR.CLP" && ! -e "$E2E_WORK/TELVOR.DAT" ]] ||
        e2e_fail "a working file TELVOR.CLP or TELVOR.DAT was left behind"
}
