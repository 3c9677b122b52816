#!/usr/bin/env bash
# 100,000 records, 2,000 new. Two runs at random offsets (two Event files in one Program
# directory; one Event file from two): each file as a lone run leaves it, or untouched by the
# run refused. Out of memory: the clipboard kept, the file whole in a state a run passes through.
source "$(dirname "$0")/lib.sh"
make_events "$work/s0" 100000
make_guide "$work/guide.txt" 2000
dir=$(new_folder reference)
for s in s2:no s3:yes; do
    cp "$work/s0" "$dir/events.telvor"
    start=$(date +%s%N)
    run "reference-${s#*:}" "$dir" "${s#*:}"
    run_ms=$((($(date +%s%N) - start) / 1000000))  # the offsets spread over a run
    cp "$dir/events.telvor" "$work/${s%:*}"
done
expect reference-yes 0 emptied

outcome() {  # name, what is held: done, refused (status 4, clipboard kept, the message, one line on stderr) or broken
    local rc=$(cat "$work/$1.rc") out=$work/$1.out
    if [[ $rc == 0 ]] && grep -qx '\[clipboard\] emptied' "$out"; then echo done
    elif [[ $rc == 4 ]] && grep -qx '\[clipboard\] kept' "$out" && [[ $(wc -l <"$work/$1.err") == 1 ]] &&
        grep -qF "[message] TELVOR is already running $2:\\n" "$out"; then echo refused
    else echo "broken (status $rc)"; fi
}
declare -A counts state
for ((i = 1; i <= ${TELVOR_TRIES:-40}; i++)); do
    for kind in one-folder one-file; do
        p=$(new_folder "$kind-$i") q=$(new_folder "$kind-$i-q") held="in this folder"
        files=("$p/a.telvor" "$p/b.telvor") folders=("$p" "$p")
        [[ $kind == one-file ]] && files=("$q/e/a.telvor" "$q/e/a.telvor") folders=("$p" "$q") &&
            held="on this Event file" && mkdir "$q/e"
        for f in "${files[@]}"; do cp "$work/s0" "$f"; done
        run "$kind-$i-1" "${folders[0]}" yes --param "${files[0]}" &
        sleep "$((RANDOM % (run_ms + 50)))e-3"
        run "$kind-$i-2" "${folders[1]}" yes --param "${files[1]}" &
        wait
        r=("$(outcome "$kind-$i-1" "$held")" "$(outcome "$kind-$i-2" "$held")")
        counts[$kind-${r[0]}-${r[1]}]=$((${counts[$kind-${r[0]}-${r[1]}]:-0} + 1))
        for j in 0 1; do
            [[ ${r[j]} == done || ${r[j]} == refused ]] || fail "$kind $i: a run is ${r[j]}"
            want=$([[ ${r[j]} == done || $kind == one-file ]] && echo s3 || echo s0)
            cmp -s "$work/$want" "${files[j]}" || fail "$kind $i: ${files[j]} is neither a lone run's result nor unchanged (${r[j]})"
        done
        no_working_files "$kind-$i" "$p" "$q" "$q/e" 2>/dev/null
        rm -rf "$p" "$q"
    done
done
for kind in one-folder one-file; do
    [[ -n ${counts[$kind-done-refused]:-}${counts[$kind-refused-done]:-} ]] || fail "$kind: no run was refused"
done

for s in s0 s2 s3; do state[$(md5sum <"$work/$s")]=$s; done
for ((kib = 16000; kib <= 96000; kib += 4000)); do
    cp "$work/s0" "$dir/events.telvor"
    run "limit-$kib" "$dir" yes
    rc=$(cat "$work/limit-$kib.rc") s=${state[$(md5sum <"$dir/events.telvor")]:-none}
    counts[memory-$rc-$s]=$((${counts[memory-$rc-$s]:-0} + 1))
    no_working_files "limit-$kib" "$dir"
    case $rc-$s in
        0-s3) break ;;   # a whole run: more room changes nothing
        5-s[023])
            [[ $(cat "$work/limit-$kib.err") == "telvor: out of memory; the run stopped, the Event file is whole" ]] ||
                fail "limit-$kib: stderr: $(head -c 300 "$work/limit-$kib.err")"
            expect "limit-$kib" 5 kept ;;
        *) fail "limit-$kib: exit status $rc, the Event file in state $s" ;;
    esac
done
for key in "${!counts[@]}"; do echo "$key: ${counts[$key]}"; done | sort
[[ -n ${counts[memory-0-s3]:-} ]] || fail "no limit let a whole run through"
# The conversion needs the most memory: a run out of it leaves the old content.
[[ -n ${counts[memory-5-s0]:-}${counts[memory-5-s2]:-} ]] || fail "no run ran out of memory"
finish
