#!/usr/bin/env bash
# scripts/differential finds telvor-scripted the same as itself (a run depends
# on its inputs and the minute alone) and finds one byte changed in a copy.
source "$(dirname "$0")/../fault/lib.sh"
: "${TELVOR_SOURCE_DIR:?}"
[[ $TELVOR_SCRIPTED != *.exe ]] || { echo "SKIP: the comparison runs the Linux programs"; exit 0; }
compare() { "$TELVOR_SOURCE_DIR/scripts/differential" -n 40 -s 1 "$@" >"$work/log" 2>&1; }
fail() { cat "$work/log" >&2; echo "FAIL: $*" >&2; exit 1; }
compare "$TELVOR_SCRIPTED" "$TELVOR_SCRIPTED" || fail "telvor-scripted differs from itself"
# The Description line of a new Event file's Creation record.
perl -0777 -pe 's/Description created\.\.\./Description created.:./' "$TELVOR_SCRIPTED" >"$work/changed"
chmod +x "$work/changed"
! compare "$TELVOR_SCRIPTED" "$work/changed" && grep -q '^> Description created\.:\.' "$work/log" ||
    fail "the changed byte went unnoticed"
finish
