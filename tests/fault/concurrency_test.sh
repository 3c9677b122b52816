#!/usr/bin/env bash
# Two runs started at random offsets in one Program directory, on two Event
# files and on one, 100,000 records and 2,000 new blocks each: every Event
# file ends exactly as a lone run leaves it, or unchanged with its clipboard
# kept and the refusal shown; no working file is left.
source "$(dirname "$0")/lib.sh"
tries=${TELVOR_TRIES:-40}
make_events "$work/events.orig" 100000
make_guide "$work/guide.txt" 2000

# A lone run, and a second lone run on its result, which changes nothing.
dir=$(new_folder reference)
cp "$work/events.orig" "$dir/events.telvor"
start=$(date +%s%N)
run reference "$dir" yes
run_ms=$((($(date +%s%N) - start) / 1000000))
expect_status reference 0
cp "$dir/events.telvor" "$work/events.ref"
run reference-again "$dir" yes
cmp -s "$work/events.ref" "$dir/events.telvor" || fail "a second lone run changed the Event file"
echo "a lone run takes $run_ms ms; $tries tries of each kind"

start_run() {  # name, folder, Event file: one run in the background
    (cd "$2" && rc=0 && { "$TELVOR_SCRIPTED" --param "$3" --clipboard "$work/guide.txt" --answer yes \
        >"$work/$1.out" 2>"$work/$1.err" || rc=$?; } && echo $rc >"$work/$1.rc") &
}
# The run's outcome: done (status 0, clipboard emptied) or refused (status 4,
# clipboard kept, the message and one stderr line); anything else fails.
outcome() {  # name
    local rc
    rc=$(cat "$work/$1.rc")
    if [[ $rc == 0 ]] && grep -qx '\[clipboard\] emptied' "$work/$1.out"; then
        echo done
    elif [[ $rc == 4 ]] && grep -qx '\[clipboard\] kept' "$work/$1.out" &&
        grep -q '^\[message\] TELVOR is already running' "$work/$1.out" &&
        [[ $(wc -l <"$work/$1.err") == 1 ]]; then
        echo refused
    else
        echo "broken (status $rc)"
    fi
}
declare -A counts
for ((i = 1; i <= tries; i++)); do
    for kind in two-files one-file; do
        dir=$(new_folder "$kind-$i")
        cp "$work/events.orig" "$dir/a.telvor"
        cp "$work/events.orig" "$dir/b.telvor"
        second=$([[ $kind == two-files ]] && echo b.telvor || echo a.telvor)
        start_run "$kind-$i-1" "$dir" a.telvor
        ms=$((RANDOM % (run_ms + 50)))
        sleep "$((ms / 1000)).$(printf %03d $((ms % 1000)))"
        start_run "$kind-$i-2" "$dir" "$second"
        wait
        first=$(outcome "$kind-$i-1") other=$(outcome "$kind-$i-2")
        counts[$kind-$first-$other]=$((${counts[$kind-$first-$other]:-0} + 1))
        [[ $first == done || $first == refused ]] || fail "$kind $i: the first run is $first"
        [[ $other == done || $other == refused ]] || fail "$kind $i: the second run is $other"
        if [[ $kind == two-files ]]; then
            for pair in "a.telvor $first" "b.telvor $other"; do
                set -- $pair
                want=$([[ $2 == done ]] && echo "$work/events.ref" || echo "$work/events.orig")
                cmp -s "$want" "$dir/$1" || fail "$kind $i: $1 is neither a lone run's result nor unchanged ($2)"
            done
        else
            [[ $first == done || $other == done ]] || fail "$kind $i: both runs were refused"
            cmp -s "$work/events.ref" "$dir/a.telvor" || fail "$kind $i: the Event file is not a lone run's result"
        fi
        no_working_files "$kind-$i" "$dir"
        rm -rf "$dir"
    done
done
for key in "${!counts[@]}"; do echo "$key: ${counts[$key]}"; done | sort
finish
