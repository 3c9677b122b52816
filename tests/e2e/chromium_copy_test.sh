#!/usr/bin/env bash
# Chromium: the guide page copied with Ctrl+A, Ctrl+C while Chromium stays
# open; telvor takes it, answer No: the Event file holds the page's events,
# record by record, and the clipboard is emptied.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/browser.sh"
start_display
# Started as root it must run without its sandbox; the machine has no
# network, and these flags keep Chromium from trying to reach one.
browser_open chromium '^chromium' chromium --no-sandbox --disable-gpu --no-first-run \
    --no-default-browser-check --disable-background-networking --disable-component-update \
    --disable-sync --disable-quic --password-store=basic --user-data-dir="$DIR/chromium"
browser_copy "$BROWSER"
ev=$WORK/woche.telvor
: >"$ev"
start "$ev"
question=$(wait_win "$QUESTION")
shot question
xdo "$question" key alt+n
wait_until 15 "the clipboard to be emptied" clip_empty
records "$ev" '   '
wmctrl -i -c "$(win "$MAIN")"
wait_exit
echo "PASS $NAME"
