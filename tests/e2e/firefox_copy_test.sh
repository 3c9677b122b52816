#!/usr/bin/env bash
# The guide page copied in Firefox ESR (which stays the clipboard's owner),
# answered Yes: exactly the page's events, marked; the clipboard emptied.
source "$(dirname "$0")/lib.sh"
start_display
mkdir "$DIR/firefox" && printf 'user_pref("%s", %s);\n' browser.shell.checkDefaultBrowser false \
    browser.startup.homepage_override.mstone '"ignore"' browser.aboutwelcome.enabled false >"$DIR/firefox/user.js"
spawn "$DIR/firefox.log" firefox-esr --no-remote --new-instance --profile "$DIR/firefox" "file://$TELVOR_SAMPLES_DIR/guide-page.html"
page() { browser=$(xdotool search --onlyvisible --classname '^Navigator$' | tail -n 1) &&
    [[ -n $browser && $(xdotool getwindowname "$browser") == "EPG - Das Erste HD"* ]]; }
wait_until 60 "Firefox to show the page" page
xdo "$browser" key ctrl+a
xdo "$browser" key ctrl+c
copied() { clip >"$DIR/guide" && grep -q 'Sa\. 5\.12\.2009' "$DIR/guide"; }
wait_until 10 "the page on the clipboard" copied
ev=$WORK/woche.telvor
: >"$ev"
start "$ev"
xdo "$(wait_win "$QUESTION")" key Return
wait_until 15 "the clipboard to be emptied" clip_empty
# No-break spaces as blanks, the other characters as Windows-1252 bytes, '?'
# for those it lacks; "Tagesschau" filtered, the second "Tatort" a repeat.
printf '%b' "05.12.2009 18:00 + Sportschau\r\nGenre: Fu\xdfball-Bundesliga \x96 15. Spieltag\r\n" \
    "\x84Alle Spiele, alle Tore\x93 \x96 mit G\xe4sten im Studio.\r\n\r\n" \
    "05.12.2009 20:15 + Wetten, dass..?\r\nGenre: Show\r\nLive aus Graz\x85 Karten ab 49,50 \x80.\r\n\r\n" \
    "06.12.2009 20:15 + Tatort: T\xf6dliche Tarnung\r\nGenre: Krimi\r\n" \
    "Kommissar Lannert ermittelt \x97 diesmal im Stuttgarter Hafen.\r\n\r\n" \
    "06.12.2009 23:30 + Kunst am Abend: \x82Die Br\xfccke\x91\r\nGenre: Kultur\r\n" \
    "Eintritt 5 \x80 \x96 Kinder frei.\r\n\r\n" \
    "07.12.2009 09:05 + Dvo?\xe1k in ?\xf3d?\r\nGenre: Musik\r\nSinfonie \x84Aus der Neuen Welt\x93, live.\r\n\r\n" >"$DIR/want"
cmp -s "$ev" "$DIR/want" || fail "the Event file differs from the page's records:
$(diff <(od -An -c "$ev") <(od -An -c "$DIR/want"))"
close_main
pass
