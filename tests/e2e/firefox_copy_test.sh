#!/usr/bin/env bash
# Firefox ESR: the guide page copied with Ctrl+A, Ctrl+C while Firefox stays
# open; telvor takes it, answer Yes: the Event file holds the page's events,
# record by record and marked, and the clipboard is emptied.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/browser.sh"
start_display
# A fresh profile that shows the page alone (no welcome or default-browser
# tab) and asks no server for anything (the machine has no network).
mkdir -p "$DIR/firefox"
cat >"$DIR/firefox/user.js" <<'PREFS'
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("browser.aboutwelcome.enabled", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("app.update.disabledForTesting", true);
user_pref("network.captive-portal-service.enabled", false);
user_pref("network.connectivity-service.enabled", false);
user_pref("browser.safebrowsing.update.enabled", false);
user_pref("extensions.update.enabled", false);
PREFS
browser_open firefox '^Navigator$' firefox-esr --no-remote --new-instance --profile "$DIR/firefox"
browser_copy "$BROWSER"
ev=$WORK/woche.telvor
: >"$ev"
start "$ev"
question=$(wait_win "$QUESTION")
xdo "$question" key Return
wait_until 15 "the clipboard to be emptied" clip_empty
records "$ev" ' + '
wmctrl -i -c "$(win "$MAIN")"
wait_exit
echo "PASS $NAME"
