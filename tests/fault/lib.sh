# Helpers of the tests that drive telvor-scripted (tests/fault/, tests/scripted/): a scratch
# folder, checks counted, Program directories, Event files, Guide texts, runs.
set -euo pipefail
export LC_ALL=C
: "${TELVOR_SCRIPTED:?}" "${TELVOR_SAMPLES_DIR:?}"
work=$(mktemp -d) failures=0 tool=$TELVOR_SCRIPTED as=()
trap 'chmod -R u+rwX "$work" || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
finish() { ((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }; echo "all checks passed"; }
new_folder() { mkdir -p "$work/$1" && cp "$TELVOR_SAMPLES_DIR"/TELVOR.{filter,service} "$work/$1" && echo "$work/$1"; }
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
run() {  # name, folder, answer [option...]: ${as[@]} $tool in the folder, under ulimit -v $kib if set,
    # on the clipboard $work/guide.txt (options: --param events.telvor); output in $work/NAME.out, .err, .rc
    local rc=0
    (($# > 3)) || set -- "$@" --param events.telvor
    (cd "$2" && ulimit -v "${kib:-unlimited}" && exec "${as[@]}" "$tool" "${@:4}" --clipboard "$work/guide.txt" \
        --answer "$3" >"$work/$1.out" 2>"$work/$1.err") || rc=$?
    echo "$rc" >"$work/$1.rc"
}
expect() {  # name, status, kept|emptied: the run's exit status and what became of the clipboard
    [[ $(cat "$work/$1.rc") == "$2" ]] || fail "$1: exit status $(cat "$work/$1.rc"), not $2"
    grep -qx "\[clipboard\] $3" "$work/$1.out" || fail "$1: the clipboard was not $3"
}
no_working_files() {  # name, folder...
    local left=$(ls -A "${@:2}" | grep -E '^TELVOR\.(CLP|DAT)$|\.telvor-|\.journal$' || true)
    [[ -z $left ]] || fail "$1: working files left: $left"
}
