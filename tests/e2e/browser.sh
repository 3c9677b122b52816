# The real copy from a real browser: the receiver's programme guide page
# (tests/data/guide-page.html) opened in a browser on the private display,
# all of it selected and copied with the keyboard as a user does (Ctrl+A,
# Ctrl+C). The browser stays open: it owns the clipboard. Sourced by the
# browser tests after lib.sh.
PAGE=$TELVOR_SAMPLES_DIR/guide-page.html

# browser_open NAME CLASS COMMAND...: starts the browser on the page and
# sets BROWSER to the id of its window once the page is loaded (its title
# shown). Called in this shell, not in $(...), so that the browser's pid
# stays in PIDS and the browser is ended with the test.
browser_open() {
    local class=$2 id tries=600
    "${@:3}" "file://$PAGE" >"$DIR/$1.log" 2>&1 &
    local browser=$!
    PIDS+=($browser)
    # Window names are matched by class: xdotool cannot read the non-ASCII
    # titles some browsers give their windows in the C locale.
    until id=$(xdotool search --onlyvisible --classname "$class" 2>/dev/null | tail -n 1) &&
        [[ -n $id && $(xdotool getwindowname "$id") == "EPG - Das Erste HD"* ]]; do
        kill -0 "$browser" 2>/dev/null || fail "$1 ended: $(tail -n 5 "$DIR/$1.log")"
        ((tries-- > 0)) || fail "$1 showed no page"
        sleep 0.1
    done
    BROWSER=$id
}

# browser_copy WINDOW: selects all and copies; the copy is saved in $DIR/guide
# (for clip_kept) once it is on the clipboard.
browser_copy() {
    xdo "$1" key ctrl+a
    xdo "$1" key ctrl+c
    copied() { clip >"$DIR/guide" && grep -q 'Sa\. 5\.12\.2009' "$DIR/guide"; }
    wait_until 10 "the page on the clipboard" copied
}

# The Event file made from the page: no-break spaces as blanks, the other
# characters as Windows-1252 bytes, '?' for those it lacks; "Tagesschau"
# filtered, the second "Tatort" a repeat. mark: "   " or " + ".
page_records() {
    local m=$1
    printf '%s' "05.12.2009 18:00${m}Sportschau\r\nGenre: Fu\xdfball-Bundesliga \x96 15. Spieltag\r\n" \
        "\x84Alle Spiele, alle Tore\x93 \x96 mit G\xe4sten im Studio.\r\n\r\n" \
        "05.12.2009 20:15${m}Wetten, dass..?\r\nGenre: Show\r\nLive aus Graz\x85 Karten ab 49,50 \x80.\r\n\r\n" \
        "06.12.2009 20:15${m}Tatort: T\xf6dliche Tarnung\r\nGenre: Krimi\r\n" \
        "Kommissar Lannert ermittelt \x97 diesmal im Stuttgarter Hafen.\r\n\r\n" \
        "06.12.2009 23:30${m}Kunst am Abend: \x82Die Br\xfccke\x91\r\nGenre: Kultur\r\n" \
        "Eintritt 5 \x80 \x96 Kinder frei.\r\n\r\n" \
        "07.12.2009 09:05${m}Dvo?\xe1k in ?\xf3d?\r\nGenre: Musik\r\nSinfonie \x84Aus der Neuen Welt\x93, live.\r\n\r\n"
}

# records FILE, mark: the Event file holds exactly the page's records,
# compared record by record.
records() {
    local want=$DIR/want
    printf "$(page_records "$2")" >"$want"
    local i=0 a b
    while :; do
        a=$(awk -v n=$i 'BEGIN{RS="\r\n\r\n"} NR==n+1' "$1" | od -An -c)
        b=$(awk -v n=$i 'BEGIN{RS="\r\n\r\n"} NR==n+1' "$want" | od -An -c)
        [[ $a == "$b" ]] || fail "record $((i + 1)) of ${1##*/}:$a"$'\n'"expected:$b"
        [[ -n $a ]] || break
        i=$((i + 1))
    done
    cmp -s "$1" "$want" || fail "${1##*/} differs from the page's records: $(cmp "$1" "$want")"
}
