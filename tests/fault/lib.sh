# Fault-test helpers: Program directories, generated Event files and Guide
# texts, runs of telvor-scripted and their checks.
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
run() {  # name, folder, answer [option...]: ${as[@]} $tool in the folder on the clipboard $work/guide.txt
    # (options: --param events.telvor), under ulimit -v $kib if set; output to $work/NAME.out, .err, .rc
    local name=$1 dir=$2 answer=$3 rc=0
    shift 3
    (($#)) || set -- --param events.telvor
    (cd "$dir" && ulimit -v "${kib:-unlimited}" && exec "${as[@]}" "$tool" "$@" --clipboard "$work/guide.txt" \
        --answer "$answer" >"$work/$name.out" 2>"$work/$name.err") || rc=$?
    echo "$rc" >"$work/$name.rc"
}
expect() {  # name, status, kept|emptied: the run's exit status and what became of the clipboard
    [[ $(cat "$work/$1.rc") == "$2" ]] || fail "$1: exit status $(cat "$work/$1.rc"), not $2"
    grep -qx "\[clipboard\] $3" "$work/$1.out" || fail "$1: the clipboard was not $3"
}
no_working_files() {  # name, folder...
    local left
    left=$(ls -A "${@:2}" | grep -E '^TELVOR\.(CLP|DAT)$|\.telvor-|\.journal$' || true)
    [[ -z $left ]] || fail "$1: working files left: $left"
}
