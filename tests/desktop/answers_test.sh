#!/usr/bin/env bash
# Yes marks the events, No and Later (a newer copy survives) not; Yes and No empty the clipboard,
# Esc and the close box keep it. The Event file by path, by name or in the dialog (a new one, or
# cancelled). An owner that does not answer: a box within 8 s. Argument: e2e, wine or wayland.
source "$(dirname "$0")/../${1:?which desktop: e2e, wine or wayland}/lib.sh"
extra='Sa. 12.12.2009\t3sat\tKunst\xc2\xa0am\xc2\xa0Abend \xe2\x80\x93 Preis 5\xc2\xa0\xe2\x82\xac \xe2\x86\x92 Finale \xf0\x9f\x8e\xac\r\n'\
'20:15\t30 min.\tKultur\r\n20:45\t\xc3\x9cber Kunst.\r\n\0Mo. 14.12.2009\tarte\tVerborgen\r\n20:15\t30 min.\tKultur\r\n20:45\tNichts.\r\n'
start_display
named() { start && dialog=$(wait_win "$DIALOG") && shot dialog && xdo "$dialog" type "$1" && xdo "$dialog" key Return; }
ev="$WORK/woche 49.telvor"
for answer in Yes No Later Escape close-box; do
    STEP=$answer
    copy_guide "$extra"
    printf "$OLD_EVENT" >"$ev"
    case $answer in
        Yes | Later | Escape) start "$(native_path "$ev")" ;;
        No) start "${ev##*/}" ;;
        close-box) named 'woche 49' ;;
    esac
    question=$(wait_win "$QUESTION")
    main=$(wait_win "$MAIN")   # shown first, though its window may come second
    case $answer in
        Yes) shot question && xdo "$question" key Return ;;
        No) check_windows "$main" "$question" && xdo "$question" key alt+n ;;
        Later) printf 'Notiz nach der Frage' >"$DIR/copied" && copy_file "$DIR/copied" && xdo "$question" key alt+n ;;
        Escape) xdo "$question" key Escape ;;
        close-box) close "$question" ;;
    esac
    case $answer in
        Escape | close-box) wait_exit && clip_kept "after $answer" ;;
        *)  if [[ $answer == Later ]]; then answered && holds 2 "telvor ended, or the later copy is gone" eval 'main_open && clip_is "$DIR/copied"'
            else wait_until 15 "the clipboard to be emptied" clip_empty && still_open 1; fi
            close "$main"
            [[ $answer != No ]] || close "$main" 2>/dev/null || true   # a second close is harmless
            wait_exit
            [[ $answer != Later ]] || clip_is "$DIR/copied" || fail "the later copy is gone after the end: '$(clip)'" ;;
    esac
    mark='   ' && [[ $answer != Yes ]] || mark=' + '
    expect "$ev" starts "${OLD_EVENT/   /$mark}"
    expect "$ev" has "\r\n06.12.2009 20:15${mark}Tatort: T\xf6dliche Tarnung\r\nGenre: Krimi\r\nKommissar Lannert ermittelt im Stuttgarter Hafen.\r\n\r\n"
    # Windows-1252 where it can, '?' where not; the 0 byte ends the text.
    expect "$ev" has "\r\n12.12.2009 20:15${mark}Kunst am Abend \x96 Preis 5 \x80 ? Finale ?\r\nGenre: Kultur\r\n\xdcber Kunst.\r\n"
    for bytes in Verborgen '\xc3' '\xa0'; do expect "$ev" lacks "$bytes"; done
    awk -v m="$mark" 'substr($0, 3, 1) == "." && substr($0, 14, 1) == ":" { n++; if (substr($0, 17, 3) != m) bad++ }
        END { exit !(n == 10 && !bad) }' "$ev" || fail "$answer: not ten Event lines, each marked '$mark'"
done

STEP=
named Neu
xdo "$(wait_win "$QUESTION")" key Escape
wait_exit
new=$WORK/Neu.telvor
re=$'^[0-3][0-9]\\.[01][0-9]\\.[0-9]{4} [0-2][0-9]:[0-5][0-9] -- >>> (.*)\r$'
want=$(native_path "$new")
[[ -f $new && $(head -n 1 "$new") =~ $re && ${BASH_REMATCH[1]} == "${want^^} <<< -- File new created..." ]] ||
    fail "Creation line: $(head -n 1 "$new" 2>&1)"
expect "$new" has ' <<< -- File new created...\r\nGenre: created...\r\nDescription created...\r\n\r\n'
expect "$new" has '06.12.2009 20:15   Tatort: T\xf6dliche Tarnung\r\n'
[[ ! -e $WORK/Neu && ! -e "$WORK/woche 49" ]] || fail "a file without the extension was made"
before=$(ls -l --time-style=+%s.%N "$WORK")
start
xdo "$(wait_win "$DIALOG")" key Escape
wait_exit
[[ $(ls -l --time-style=+%s.%N "$WORK") == "$before" ]] || fail "the cancelled run changed the Program directory"
clip_kept "after the cancelled dialog"

copy_guide_silent
start_box "${ev##*/}"
shot silent-clipboard
lines=$(box_text "$BOX" | tr -d '\r' | grep '^cannot ')
[[ $lines == "$(tr -d '\r' <"$DIR/telvor.err" | sed -n 's/^telvor: //p')" && $lines == 'cannot read the clipboard: '* ]] ||
    fail "box '$lines', stderr '$(cat "$DIR/telvor.err")'"
kill -CONT "$OWNER"
copied=$(clip)
xdo "$(after_box "$BOX")" key alt+n
answered && holds 1 "telvor ended, or the clipboard was emptied after a failed read" eval 'main_open && [[ $(clip) == "$copied" ]]'
close "$(win "$MAIN")"
wait_exit 1
pass
