#!/usr/bin/env bash
# SIGKILL at random moments of a 200,000-event run, a hundred times: the
# Event file is every time byte-identical to one of the versions a run
# passes through (the old one, the old one with the Guide text appended,
# the converted one, the marked one), never a mixture or a cut-off copy; no
# file is left that a later run would take for the Event file; and a normal
# run afterwards gives the normal result.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

KILLS=${TELVOR_KILLS:-100}
dir=$(new_folder kill)
make_event_file "$work/s0" 200000
make_guide_text "$work/guide.txt" 2000

# The versions, made by complete runs.
cat "$work/s0" "$work/guide.txt" >"$work/s1"
printf '\r\n' >>"$work/s1"
cp "$work/s0" "$dir/events.telvor"
run_tool reference-no "$dir" --param events.telvor --clipboard "$work/guide.txt" --answer no
cp "$dir/events.telvor" "$work/s2"
cp "$work/s0" "$dir/events.telvor"
start=$(date +%s%N)
run_tool reference-yes "$dir" --param events.telvor --clipboard "$work/guide.txt" --answer yes
run_ms=$((($(date +%s%N) - start) / 1000000))
cp "$dir/events.telvor" "$work/s3"
cmp -s "$work/s1" "$work/s2" && fail "the converted version equals the appended one"
cmp -s "$work/s2" "$work/s3" && fail "the marked version equals the converted one"
grep -q $'^05.12.2009 18:00 + Neue Sendung 1999\r$' "$work/s3" || fail "the reference run lost the new events"
expect_no_working_files reference "$dir"
echo "a whole run takes ${run_ms} ms; killing $KILLS times"

declare -A version
for s in s0 s1 s2 s3; do version[$(md5sum <"$work/$s" | cut -d' ' -f1)]=$s; done
declare -A seen=()
leftover_temps=0
for ((i = 1; i <= KILLS; i++)); do
    cp "$work/s0" "$dir/events.telvor"
    (cd "$dir" && exec "$TELVOR_SCRIPTED" --param events.telvor --clipboard "$work/guide.txt" \
        --answer yes >/dev/null 2>&1) &
    pid=$!
    delay_ms=$((RANDOM % (run_ms + 20)))
    sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true

    sum=$(md5sum <"$dir/events.telvor" | cut -d' ' -f1)
    state=${version[$sum]:-}
    if [[ -z $state ]]; then
        fail "kill $i after ${delay_ms} ms: the Event file is none of the versions"
        cp "$dir/events.telvor" "$work/damaged-$i"
    else
        seen[$state]=$((${seen[$state]:-0} + 1))
    fi
    others=$(cd "$dir" && ls -A | grep -E '\.telvor$' | grep -vx 'events.telvor' || true)
    [[ -z $others ]] || fail "kill $i: files a later run could take for the Event file: $others"
    # A copy cut short leaves its temporary file; it is nobody's Event file.
    temps=$(cd "$dir" && ls -A | grep -c '\.telvor-tmp-' || true)
    leftover_temps=$((leftover_temps + temps))
    rm -f "$dir"/*.telvor-tmp-*
done
echo "versions found after the kills: s0=${seen[s0]:-0} s1=${seen[s1]:-0} s2=${seen[s2]:-0} s3=${seen[s3]:-0}" \
    "(temporary copies left by cut-off copies: $leftover_temps)"

# A killed run's TELVOR.CLP or TELVOR.DAT may still lie there; a normal run
# must not take it for anything.
printf 'garbage\r\n' >"$dir/TELVOR.DAT.keep"
[[ -e "$dir/TELVOR.DAT" ]] || cp "$dir/TELVOR.DAT.keep" "$dir/TELVOR.DAT"
[[ -e "$dir/TELVOR.CLP" ]] || cp "$dir/TELVOR.DAT.keep" "$dir/TELVOR.CLP"
rm -f "$dir/TELVOR.DAT.keep"
cp "$work/s0" "$dir/events.telvor"
run_tool after "$dir" --param events.telvor --clipboard "$work/guide.txt" --answer yes
expect_same_file "the run after the kills" "$work/s3" "$dir/events.telvor"
expect_no_working_files "the run after the kills" "$dir"

finish
