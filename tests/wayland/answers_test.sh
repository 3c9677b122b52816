#!/usr/bin/env bash
# On Wayland, with the window focused as it appears: the Guide text is read
# from the clipboard; Yes marks every event and empties the clipboard, No
# keeps the events unmarked and empties it, both keep the window open until
# it is closed; Cancel ends at once and leaves the clipboard as it was. The
# window names TELVOR's desktop entry, whose icon the compositor shows.
source "$(dirname "$0")/lib.sh"
start_sway
ev=$WORK/woche.telvor
for answer in Yes No Cancel; do
    copy_guide
    printf '04.12.2009 20:15   Krimi-Abend\r\nGenre: Krimi\r\nAlter Fall.\r\n\r\n' >"$ev"
    give "$ev"
    start "$ev"
    question=$(wait_win "$QUESTION")
    main=$(win "$MAIN")
    [[ $(focused) == "$QUESTION" && -n $main ]] || fail "$answer: the question is not in front: $(windows)"
    # The compositor finds the icon through the desktop entry the app_id names.
    app_id=$(swaymsg -t get_tree | jq -r --argjson id "$main" '.. | objects | select(.id? == $id) | .app_id')
    [[ -f $TELVOR_SOURCE_DIR/packaging/$app_id.desktop.in ]] || fail "app_id '$app_id' names no desktop entry"
    case $answer in
        Yes) shot question; key "$question" -k Return ;;
        No) key "$question" -M alt -k n -m alt ;;
        Cancel) key "$question" -k Escape ;;
    esac
    if [[ $answer == Cancel ]]; then
        wait_exit
        clip_kept "after Cancel"
        mark='   '
    else
        wait_until 15 "the clipboard to be emptied after $answer" clip_empty
        sleep 1
        running && [[ -n $(win "$MAIN") ]] || fail "$answer: telvor ended before its window was closed"
        close "$main"
        wait_exit
        mark=$([[ $answer == Yes ]] && echo ' + ' || echo '   ')
    fi
    expect "$ev" starts "04.12.2009 20:15${mark}Krimi-Abend\r\nGenre: Krimi\r\nAlter Fall.\r\n\r\n"
    expect "$ev" has "\r\n06.12.2009 20:15${mark}Tatort: T\xf6dliche Tarnung\r\nGenre: Krimi\r\n"
    expect "$ev" has "\r\n05.12.2009 18:00${mark}Sportschau\r\nGenre: Fu\xdfball-Bundesliga, 15. Spieltag\r\n"
    [[ $(grep -c '^[0-9][0-9]\.[0-9][0-9]\.[0-9]\{4\} ' "$ev") == 9 ]] || fail "$answer: not 9 events"
done
echo "PASS $NAME"
