#!/usr/bin/env bash
# Without a display the program does not abort: one line on stderr, exit
# code 0, no dialog and no question, and the files stay as they were.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup no_display

printf '04.12.2009 20:15   Krimi-Abend\r\nGenre: Krimi\r\nAlter Fall.\r\n\r\n' >"$E2E_WORK/week.telvor"
snapshot() { (cd "$E2E_WORK" && ls -l --time-style=+%s.%N && md5sum ./*); }
before=$(snapshot)

# run_headless NAME ENV... -- ARGS...: one run; checks exit code, stderr and files.
run_headless() {
    local name=$1
    shift
    local -a env_args=()
    while [[ "$1" != -- ]]; do env_args+=("$1"); shift; done
    shift
    e2e_step "$name"
    local rc=0
    (cd "$E2E_WORK" && exec env "${env_args[@]}" timeout 60 "$TELVOR_BIN" "$@") \
        >"$E2E_DIR/telvor.out" 2>"$E2E_DIR/telvor.err" || rc=$?
    [[ $rc == 0 ]] || e2e_fail "$name: exit code $rc"
    [[ ! -s "$E2E_DIR/telvor.out" ]] || e2e_fail "$name: output on stdout"
    [[ $(wc -l <"$E2E_DIR/telvor.err") == 1 ]] || e2e_fail "$name: stderr is not one line"
    grep -q '^telvor: ' "$E2E_DIR/telvor.err" || e2e_fail "$name: stderr line without the program name"
    cat "$E2E_DIR/telvor.err"
    [[ "$(snapshot)" == "$before" ]] || e2e_fail "$name: the Program directory changed"
}

run_headless "DISPLAY unset, Event file as parameter" -u DISPLAY -- week.telvor
run_headless "DISPLAY unset, no parameter" -u DISPLAY --
grep -q 'DISPLAY' "$E2E_DIR/telvor.err" || e2e_fail "the reason does not name DISPLAY"

# A display number that no server answers.
number=250
while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do number=$((number + 1)); done
run_headless "DISPLAY names no server" DISPLAY=":$number" -- week.telvor
grep -q ":$number" "$E2E_DIR/telvor.err" || e2e_fail "the reason does not name the display"
echo "PASS no_display"
