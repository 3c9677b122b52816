#!/usr/bin/env bash
# shellcheck disable=SC2015  # "check && check || fail" is meant
# telvor-scripted as a program: the output format of a sample run, of runs
# with a later copy and a silent clipboard, and of a run without a window,
# and a bad command line exiting with 2.
set -euo pipefail
export LC_ALL=C
: "${TELVOR_SCRIPTED:?path of telvor-scripted}" "${TELVOR_SAMPLES_DIR:?folder of the sample files}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
cp "$TELVOR_SAMPLES_DIR/TELVOR.filter" "$TELVOR_SAMPLES_DIR/TELVOR.service" "$work"
: >"$work/epg.telvor"
cd "$work"
tool() { rc=0; "$TELVOR_SCRIPTED" "$@" >out 2>err || rc=$?; }
sections() { grep -E '^\[' out | tr '\n' '|'; }

# A sample run: the three views, then what became of the clipboard and the answer.
tool --param epg.telvor --clipboard "$TELVOR_SAMPLES_DIR/guide-webif.txt" --answer no
[ "$rc" = 0 ] && [ ! -s err ] || fail "sample run: exit $rc, stderr: $(cat err)"
[ "$(sections)" = '[filter]|[service]|[event]|[clipboard] emptied|[asked] no|' ] ||
    fail "sample run sections: $(sections)"
[ "$(sed -n '/^\[filter\]$/,/^\[service\]$/p' out | sed -n '4p;6,8p' | tr '\n' '|')" = \
    'File: >>> TELVOR.filter <<< reading...|Tagesschau|heute|Wetter|' ] || fail "Filter view: $(cat out)"
[ "$(sed -n '/^\[event\]$/,/^\[clipboard\]/p' out | sed -n '6p;13p;15p' | tr '\n' '|')" = \
    '05.12.2009 18:00   Sportschau|11.12.2009 22:15   Tagesthemen|File: >>> epg.telvor <<< new created...|' ] ||
    fail "Event view: $(cat out)"
[ "$(grep -c $'\r$' epg.telvor)" = 32 ] || fail "Event file: $(grep -c $'\r$' epg.telvor) lines"

# A text copied while the question is open stays; a clipboard whose owner
# never answers is a failed step: one line on stderr, the same in the box.
printf 'Notiz' >later
tool --param epg.telvor --clipboard "$TELVOR_SAMPLES_DIR/guide-webif.txt" --copy-later later --answer yes
[ "$rc" = 0 ] && grep -qx '\[clipboard\] kept' out || fail "later copy: exit $rc, $(tail -n 2 out)"
tool --param epg.telvor --clipboard "$TELVOR_SAMPLES_DIR/guide-webif.txt" --clipboard-silent --answer no
[ "$rc" = 1 ] && [ "$(sections)" = '[filter]|[service]|[event]|[message] TELVOR could not complete these steps:|[clipboard] kept|[asked] no|' ] &&
    [ "$(sed 's/^telvor: //' err)" = "$(grep -A1 '^\[message\]' out | tail -n 1)" ] ||
    fail "silent clipboard: exit $rc, stderr $(cat err), $(grep -A1 '^\[message\]' out)"

# No window: empty views, clipboard kept, one line on stderr, exit status 3.
tool --no-window --param epg.telvor --clipboard "$TELVOR_SAMPLES_DIR/guide-webif.txt" --answer yes
[ "$rc" = 3 ] && [ "$(wc -l <err)" = 1 ] || fail "no window: exit $rc, stderr: $(cat err)"
[ "$(sections)" = '[filter]|[service]|[event]|[clipboard] kept|[asked] yes|' ] && [ "$(wc -l <out)" = 5 ] ||
    fail "no window output: $(cat out)"

# A bad command line: usage on stderr, exit code 2, nothing on stdout.
tool --answer maybe
[ "$rc" = 2 ] && grep -q '^usage: telvor-scripted' err && [ ! -s out ] || fail "usage error: exit $rc"

[ "$failures" = 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "scripted tool: all checks passed"
