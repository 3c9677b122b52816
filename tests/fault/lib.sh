# Shared pieces of the fault tests: a Program directory with the sample
# lists, generated Event files and Guide texts, one run of the real program,
# and the checks every fault test makes.
set -euo pipefail
export LC_ALL=C
: "${TELVOR_SCRIPTED:?path of telvor-scripted}"
: "${TELVOR_SAMPLES_DIR:?folder of the sample files}"

work=$(mktemp -d)
cleanup_hooks=()
cleanup() {
    local hook
    for hook in "${cleanup_hooks[@]+"${cleanup_hooks[@]}"}"; do eval "$hook" || true; done
    chmod -R u+rwX "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

finish() {
    if ((failures > 0)); then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}

# A Program directory (below $work unless a parent is given) with the sample lists.
new_folder() {
    local dir=${2:-$work}/$1
    mkdir -p "$dir"
    cp "$TELVOR_SAMPLES_DIR/TELVOR.filter" "$TELVOR_SAMPLES_DIR/TELVOR.service" "$dir"
    (cd "$dir" && pwd -P)
}

# An Event file as a finished run leaves it: Event records with CR LF, half
# of them marked, every title different.
make_event_file() {  # path, number of records
    awk -v n="$2" 'BEGIN {
        printf "01.12.2009 10:00 -- >>> EVENTS.TELVOR <<< -- File new created...\r\nGenre: created...\r\nDescription created...\r\n\r\n"
        for (i = 0; i < n; i++) {
            printf "%02d.%02d.2009 %02d:%02d%s%s %d\r\nGenre: Krimi\r\nFolge %d der Reihe, mit Gaesten.\r\n\r\n",
                1 + i % 28, 1 + int(i / 28) % 12, i % 24, i % 60, (i % 2 ? " + " : "   "),
                "Sendung Nummer", i, i
        }
    }' >"$1"
}

# Guide text as it stands after capture normalisation (no tabs, backslashes,
# channel names or one-digit dates): the Event file grows by exactly it.
make_guide_text() {  # path, number of Guide blocks
    awk -v n="$2" 'BEGIN {
        for (i = 0; i < n; i++)
            printf "Sa.05.12.2009 Neue Sendung %d\r\n18:00 50 min. Sport\r\n18:50 Alle Spiele.\r\n\r\n", i
    }' >"$1"
}

# Runs the tool in a folder; stdout and stderr go to $work/<name>.out/.err.
run_tool() {  # name, folder, tool arguments...
    local name=$1 dir=$2
    shift 2
    (cd "$dir" && "$TELVOR_SCRIPTED" "$@" >"$work/$name.out" 2>"$work/$name.err") || true
}

expect_same_file() {  # what, expected, actual
    cmp -s "$2" "$3" || fail "$1: $3 differs from $2"
}

expect_clipboard_kept() {  # run name
    grep -qx '\[clipboard\] kept' "$work/$1.out" || fail "$1: the clipboard was not kept"
}

expect_no_working_files() {  # what, folder
    local left
    left=$(cd "$2" && ls -A | grep -E '^TELVOR\.(CLP|DAT)$|\.telvor-tmp-' || true)
    [[ -z $left ]] || fail "$1: working files left: $left"
}
