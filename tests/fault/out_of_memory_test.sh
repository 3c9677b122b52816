#!/usr/bin/env bash
# Address-space limits from too small for any run to large enough for a
# whole one: a run that runs out of memory ends cleanly with its own status
# and one line on stderr, keeps the clipboard, leaves no working file, and
# its Event file is whole: one of the states a run passes through (old, old
# + Guide text, converted, marked). Some runs must fail midway.
source "$(dirname "$0")/lib.sh"
dir=$(new_folder oom)
make_events "$work/s0" 100000
make_guide "$work/guide.txt" 2000
{ cat "$work/s0" "$work/guide.txt"; printf '\r\n'; } >"$work/s1"
for s in s2:no s3:yes; do
    cp "$work/s0" "$dir/events.telvor"
    run "reference-${s#*:}" "$dir" "${s#*:}"
    cp "$dir/events.telvor" "$work/${s%:*}"
done
declare -A state seen
for s in s0 s1 s2 s3; do state[$(md5sum <"$work/$s")]=$s; done
midway=0
for ((kib = 16000; kib <= 96000; kib += 4000)); do
    cp "$work/s0" "$dir/events.telvor"
    run "limit-$kib" "$dir" yes
    rc=$(cat "$work/limit-$kib.rc") s=${state[$(md5sum <"$dir/events.telvor")]:-none}
    seen[$rc-$s]=$((${seen[$rc-$s]:-0} + 1))
    no_working_files "limit-$kib" "$dir"
    case $rc in
        0) [[ $s == s3 ]] || fail "limit-$kib: a whole run left the Event file in state $s" ;;
        5)
            [[ $s != none ]] || fail "limit-$kib: the Event file is none of the states"
            [[ $s == s1 || $s == s2 ]] && midway=$((midway + 1))
            [[ $(cat "$work/limit-$kib.err") == "telvor: out of memory; the run stopped, the Event file is whole" ]] ||
                fail "limit-$kib: stderr: $(head -c 300 "$work/limit-$kib.err")"
            expect "limit-$kib" 5 kept
            ;;
        *) fail "limit-$kib: exit status $rc" ;;
    esac
done
for key in "${!seen[@]}"; do echo "status-state $key: ${seen[$key]}"; done | sort
[[ -n ${seen[0-s3]:-} ]] || fail "no limit let a whole run through"
((midway > 0)) || fail "no run ran out of memory midway"
finish
