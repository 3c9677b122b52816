#!/usr/bin/env bash
# The answers, the Guide text on the clipboard: Yes (Return, the default)
# marks every Event line " + ", No (Alt+N) leaves them unmarked; both empty
# the clipboard and leave the program running until its window is closed
# (twice: harmless). Later: a text copied while the question is open
# survives No and the end. Cancel, by Esc and by the question's close box:
# the program ends with its window, the events stored unmarked, the
# clipboard kept. The Event file is named by its full path in the
# platform's form or by its name, in turns. The Guide text has no-break
# spaces, an en dash and a euro sign (in Windows-1252), an arrow and a
# character beyond 16 bits (not), and a 0 byte that ends it: the block
# behind is not taken. Then a stopped clipboard owner is given up on: the
# box of failed steps comes within 8 s, with the line stderr has; No keeps
# the clipboard; status 1.
# Argument: e2e (X11), wine (telvor.exe under Wine) or wayland (under sway).
source "$(dirname "$0")/../${1:?which desktop: e2e, wine or wayland}/lib.sh"
extra='Sa. 12.12.2009\t3sat\tKunst\xc2\xa0am\xc2\xa0Abend \xe2\x80\x93 Preis 5\xc2\xa0\xe2\x82\xac \xe2\x86\x92 Finale \xf0\x9f\x8e\xac\r\n'\
'20:15\t30 min.\tKultur\r\n20:45\t\xc3\x9cber Kunst.\r\n\0Mo. 14.12.2009\tarte\tVerborgen\r\n20:15\t30 min.\tKultur\r\n20:45\tNichts.\r\n'
start_display
ev="$WORK/woche 49.telvor"
for answer in Yes No Later Escape close-box; do
    copy_guide "$extra"
    printf '04.12.2009 20:15   Krimi-Abend\r\nGenre: Krimi\r\nAlter Fall.\r\n\r\n' >"$ev"
    if [[ $answer == @(Yes|Later|Escape) ]]; then start "$(native_path "$ev")"; else start "${ev##*/}"; fi
    question=$(wait_win "$QUESTION")
    main=$(win "$MAIN")
    [[ -n $main ]] || fail "$answer: no main window while the question is open"
    case $answer in
        Yes) shot question && xdo "$question" key Return ;;
        No) check_windows "$main" "$question" && xdo "$question" key alt+n ;;
        Later) copy_text "Notiz nach der Frage" && xdo "$question" key alt+n ;;
        Escape) xdo "$question" key Escape ;;
        close-box) close "$question" ;;
    esac
    mark='   '
    if [[ $answer == @(Escape|close-box) ]]; then
        wait_exit
        clip_kept "after $answer"
    else
        if [[ $answer == Later ]]; then
            still_open 2
            clip_is "$DIR/copied" || fail "the later copy is gone: '$(clip)'"
        else
            wait_until 15 "the clipboard to be emptied" clip_empty
            still_open 1
        fi
        close "$main"
        [[ $answer != No ]] || close "$main" 2>/dev/null || true
        wait_exit
        [[ $answer != Later ]] || clip_is "$DIR/copied" || fail "the later copy is gone after the end: '$(clip)'"
        [[ $answer != Yes ]] || mark=' + '
    fi
    expect "$ev" starts "04.12.2009 20:15${mark}Krimi-Abend\r\nGenre: Krimi\r\nAlter Fall.\r\n\r\n"
    expect "$ev" has "\r\n06.12.2009 20:15${mark}Tatort: T\xf6dliche Tarnung\r\nGenre: Krimi\r\nKommissar Lannert ermittelt im Stuttgarter Hafen.\r\n\r\n"
    expect "$ev" has "\r\n12.12.2009 20:15${mark}Kunst am Abend \x96 Preis 5 \x80 ? Finale ?\r\nGenre: Kultur\r\n\xdcber Kunst.\r\n"
    for bytes in Verborgen '\xc3' '\xa0'; do expect "$ev" lacks "$bytes"; done
    awk -v m="$mark" 'substr($0, 3, 1) == "." && substr($0, 14, 1) == ":" { n++; if (substr($0, 17, 3) != m) bad++ }
        END { exit !(n == 10 && !bad) }' "$ev" || fail "$answer: not ten Event lines, each marked '$mark'"
done

copy_guide_silent
begun=$(date +%s%N)
start "${ev##*/}"
box=$(wait_win "$QUESTION")
took=$((($(date +%s%N) - begun) / 1000000))
((took < 8000)) || fail "the box came after $took ms"
shot silent-clipboard
lines=$(box_text "$box" | tr -d '\r' | grep '^cannot ')
[[ $lines == "$(tr -d '\r' <"$DIR/telvor.err" | sed -n 's/^telvor: //p')" && $lines == 'cannot read the clipboard: '* ]] ||
    fail "box '$lines', stderr '$(cat "$DIR/telvor.err")'"
kill -CONT "$OWNER"
copied=$(clip)
xdo "$box" key Return
other() { [[ -n $(win "$QUESTION") && $(win "$QUESTION") != "$box" ]]; }
wait_until 10 "the question after the box" other
xdo "$(win "$QUESTION")" key alt+n
still_open 1
[[ $(clip) == "$copied" ]] || fail "the clipboard was emptied after a failed read"
close "$(win "$MAIN")"
wait_exit 1
pass
