#!/usr/bin/env bash
# SIGKILL at random moments of a 200,000-event run, a hundred times: the Event
# file is each time byte-identical to one of the states a run passes through
# (old, old + Guide text, converted, marked), never a mixture or a cut-off
# copy; nothing is left that a later run takes for the Event file; and a run
# afterwards, among a killed run's leftovers, gives the normal result.
source "$(dirname "$0")/lib.sh"
dir=$(new_folder kill)
make_events "$work/s0" 200000
make_guide "$work/guide.txt" 2000
{ cat "$work/s0" "$work/guide.txt"; printf '\r\n'; } >"$work/s1"
for answer in no yes; do   # the converted and the marked states, from whole runs
    cp "$work/s0" "$dir/events.telvor"
    start=$(date +%s%N)
    run "reference-$answer" "$dir" "$answer"
    run_ms=$((($(date +%s%N) - start) / 1000000))
    cp "$dir/events.telvor" "$work/s-$answer"
done
mv "$work/s-no" "$work/s2" && mv "$work/s-yes" "$work/s3"
! cmp -s "$work/s1" "$work/s2" && ! cmp -s "$work/s2" "$work/s3" || fail "the states are not all different"
grep -q $'^05.12.2009 18:00 + Neue Sendung 1999\r$' "$work/s3" || fail "the reference run lost the new events"
no_working_files reference "$dir"
declare -A state seen
for s in s0 s1 s2 s3; do state[$(md5sum <"$work/$s")]=$s; done
kills=${TELVOR_KILLS:-100} temps=0
echo "a whole run takes ${run_ms} ms; killing $kills times"
for ((i = 1; i <= kills; i++)); do
    cp "$work/s0" "$dir/events.telvor"
    (cd "$dir" && exec "$TELVOR_SCRIPTED" --param events.telvor --clipboard "$work/guide.txt" --answer yes) \
        &>/dev/null &
    ms=$((RANDOM % (run_ms + 20)))
    sleep "$((ms / 1000)).$(printf %03d $((ms % 1000)))"
    kill -KILL $! 2>/dev/null || true
    wait $! 2>/dev/null || true
    s=${state[$(md5sum <"$dir/events.telvor")]:-}
    [[ -n $s ]] || fail "kill $i after $ms ms: the Event file is none of the states"
    seen[${s:-none}]=$((${seen[${s:-none}]:-0} + 1))
    others=$(ls -A "$dir" | grep '\.telvor$' | grep -vx events.telvor || true)
    [[ -z $others ]] || fail "kill $i: files a later run could take for the Event file: $others"
    temps=$((temps + $(ls -A "$dir" | grep -c '\.telvor-tmp-' || true)))   # a cut-off copy's temporary file
    rm -f "$dir"/*.telvor-tmp-*
done
echo "states after the kills: s0=${seen[s0]:-0} s1=${seen[s1]:-0} s2=${seen[s2]:-0} s3=${seen[s3]:-0}," \
    "temporary copies left: $temps"
for f in TELVOR.DAT TELVOR.CLP; do [[ -e $dir/$f ]] || printf 'garbage\r\n' >"$dir/$f"; done
cp "$work/s0" "$dir/events.telvor"
run after "$dir" yes
cmp -s "$work/s3" "$dir/events.telvor" || fail "the run after the kills gave another result"
no_working_files after "$dir"
finish
