# Fault-test helpers: Program directories with the sample lists, generated
# Event files and Guide texts, runs of the real program, and shared checks.
set -euo pipefail
export LC_ALL=C
: "${TELVOR_SCRIPTED:?}" "${TELVOR_SAMPLES_DIR:?}"
work=$(mktemp -d) failures=0 on_exit=:
trap 'eval "$on_exit" || true; chmod -R u+rwX "$work" || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
finish() { ((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }; echo "all checks passed"; }

new_folder() {  # name [parent]: a Program directory with the sample lists
    mkdir -p "${2:-$work}/$1"
    cp "$TELVOR_SAMPLES_DIR"/TELVOR.{filter,service} "${2:-$work}/$1"
    echo "${2:-$work}/$1"
}
make_events() {  # path, count: a finished run's Event file, half marked, CR LF
    awk -v n="$2" 'BEGIN {
        printf "01.12.2009 10:00 -- >>> EVENTS.TELVOR <<< -- File new created...\r\nGenre: created...\r\nDescription created...\r\n\r\n"
        for (i = 0; i < n; i++)
            printf "%02d.%02d.2009 %02d:%02d%sSendung Nummer %d\r\nGenre: Krimi\r\nFolge %d der Reihe, mit Gaesten.\r\n\r\n",
                1 + i % 28, 1 + int(i / 28) % 12, i % 24, i % 60, (i % 2 ? " + " : "   "), i, i
    }' >"$1"
}
make_guide() {  # path, count: Guide text already normalised; the Event file grows by exactly it
    awk -v n="$2" 'BEGIN { for (i = 0; i < n; i++)
        printf "Sa.05.12.2009 Neue Sendung %d\r\n18:00 50 min. Sport\r\n18:50 Alle Spiele.\r\n\r\n", i }' >"$1"
}
run() {  # name, folder, answer: one run on events.telvor with $work/guide.txt, the tool alone
    # under the file-size limit $limit (KiB) if set; its stdout goes to $work/NAME.out, its
    # stderr to $work/NAME.err, its exit status to $work/NAME.rc
    (cd "$2" && ulimit -f "${limit:-$(ulimit -f)}" && { "$TELVOR_SCRIPTED" --param events.telvor \
        --clipboard "$work/guide.txt" --answer "$3" 2>"$work/$1.err"; echo $? >"$work/$1.rc"; }) |
        cat >"$work/$1.out" || true
}
expect_status() {  # name, status: the run ended with that exit status
    [[ $(cat "$work/$1.rc" 2>/dev/null) == "$2" ]] || fail "$1: exit status $(cat "$work/$1.rc" 2>/dev/null), not $2"
}
expect_kept() {  # name, folder, original: Event file byte-identical, clipboard kept, no working file
    cmp -s "$3" "$2/events.telvor" || fail "$1: the Event file changed"
    expect_status "$1" 1
    grep -qx '\[clipboard\] kept' "$work/$1.out" || fail "$1: the clipboard was not kept"
    no_working_files "$1" "$2"
}
no_working_files() {  # name, folder
    local left
    left=$(ls -A "$2" | grep -E '^TELVOR\.(CLP|DAT)$|\.telvor-tmp-' || true)
    [[ -z $left ]] || fail "$1: working files left: $left"
}
