#!/usr/bin/env bash
# Two runs started at random offsets, 100,000 records and 2,000 new blocks
# each: on two Event files in one Program directory, and on one Event file
# (in a folder of its own) from two Program directories. Every Event file
# ends exactly as a lone run leaves it, or unchanged with the run's
# clipboard kept and the refusal shown; no working file is left.
source "$(dirname "$0")/lib.sh"
make_events "$work/events.orig" 100000
make_guide "$work/guide.txt" 2000
dir=$(new_folder reference)
cp "$work/events.orig" "$dir/events.telvor"
start=$(date +%s%N)
run reference "$dir" yes
run_ms=$((($(date +%s%N) - start) / 1000000))  # the offsets spread over a run
expect reference 0 emptied
cp "$dir/events.telvor" "$work/events.ref"
run again "$dir" yes
cmp -s "$work/events.ref" "$dir/events.telvor" || fail "a lone run on its own result changed it"

outcome() {  # name, what is held: done (status 0, clipboard emptied), refused (status 4,
    # clipboard kept, the message, one line on stderr) or broken
    local rc out=$work/$1.out
    rc=$(cat "$work/$1.rc")
    if [[ $rc == 0 ]] && grep -qx '\[clipboard\] emptied' "$out"; then
        echo done
    elif [[ $rc == 4 ]] && grep -qx '\[clipboard\] kept' "$out" && [[ $(wc -l <"$work/$1.err") == 1 ]] &&
        grep -qx "\[message\] TELVOR is already running $2:" "$out"; then
        echo refused
    else
        echo "broken (status $rc)"
    fi
}
declare -A counts
for ((i = 1; i <= ${TELVOR_TRIES:-40}; i++)); do
    for kind in one-folder one-file; do
        p=$(new_folder "$kind-$i") q=$(new_folder "$kind-$i-q")
        files=("$p/a.telvor" "$p/b.telvor") folders=("$p" "$p")
        [[ $kind == one-file ]] && files=("$q/e/a.telvor" "$q/e/a.telvor") folders=("$p" "$q") && mkdir "$q/e"
        for f in "${files[@]}"; do cp "$work/events.orig" "$f"; done
        run "$kind-$i-1" "${folders[0]}" yes --param "${files[0]}" &
        ms=$((RANDOM % (run_ms + 50)))
        sleep "$((ms / 1000)).$(printf %03d $((ms % 1000)))"
        run "$kind-$i-2" "${folders[1]}" yes --param "${files[1]}" &
        wait
        held=$([[ $kind == one-file ]] && echo "on this Event file" || echo "in this folder")
        first=$(outcome "$kind-$i-1" "$held") second=$(outcome "$kind-$i-2" "$held")
        counts[$kind-$first-$second]=$((${counts[$kind-$first-$second]:-0} + 1))
        for r in "$first" "$second"; do [[ $r == done || $r == refused ]] || fail "$kind $i: a run is $r"; done
        if [[ $kind == one-folder ]]; then
            for pair in "a $first" "b $second"; do
                set -- $pair
                want=$([[ $2 == done ]] && echo "$work/events.ref" || echo "$work/events.orig")
                cmp -s "$want" "$p/$1.telvor" || fail "$kind $i: $1 is neither a lone run's result nor unchanged ($2)"
            done
        else
            [[ $first == done || $second == done ]] || fail "$kind $i: both runs were refused"
            cmp -s "$work/events.ref" "${files[0]}" || fail "$kind $i: the Event file is not a lone run's result"
        fi
        no_working_files "$kind-$i" "$p" "$q" "$q/e" 2>/dev/null
        rm -rf "$p" "$q"
    done
done
for key in "${!counts[@]}"; do echo "$key: ${counts[$key]}"; done | sort
for kind in one-folder one-file; do
    [[ -n ${counts[$kind-done-refused]:-}${counts[$kind-refused-done]:-} ]] || fail "$kind: no run was refused"
done
finish
