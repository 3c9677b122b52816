#!/usr/bin/env bash
# Files a run must not change: a write-protected Event file (refused even to
# root), and the targets of links and FIFOs planted as working files. A
# link given as the Event file is followed.
source "$(dirname "$0")/lib.sh"
make_guide "$work/guide.txt" 20
make_events "$work/events.orig" 300
for answer in yes no; do
    dir=$(new_folder "readonly-$answer")
    cp "$work/events.orig" "$dir/events.telvor"
    chmod 444 "$dir/events.telvor"
    run "readonly-$answer" "$dir" "$answer"
    expect_kept "readonly-$answer" "$dir" "$work/events.orig"
    [[ $(stat -c %a "$dir/events.telvor") == 444 ]] || fail "readonly-$answer: the permission bits changed"
done
# What a lone run makes of the Event file, for comparison.
dir=$(new_folder reference)
cp "$work/events.orig" "$dir/events.telvor"
run reference "$dir" yes
expect_status reference 0
cp "$dir/events.telvor" "$work/events.reference"

# A symbolic link, a hard link or a FIFO planted under a working file's name
# loses only that name: its target keeps its bytes and its bits, and the run
# goes on as a lone run would.
for working in TELVOR.DAT TELVOR.CLP; do
    for kind in symlink hardlink fifo; do
        name="$kind-$working" dir=$(new_folder "$kind-$working")
        cp "$work/events.orig" "$dir/events.telvor"
        victim="$work/victim-$name"
        case $kind in
            symlink) printf 'precious\r\n' >"$victim" && ln -s "$victim" "$dir/$working" ;;
            hardlink) printf 'precious\r\n' >"$victim" && ln "$victim" "$dir/$working" ;;
            fifo) mkfifo "$victim" && ln "$victim" "$dir/$working" ;;
        esac
        chmod 640 "$victim"
        [[ $kind == fifo ]] || cp "$victim" "$victim.orig"
        run "$name" "$dir" yes
        [[ $kind == fifo ]] && { [[ -p $victim ]] || fail "$name: the FIFO is gone"; } ||
            cmp -s "$victim.orig" "$victim" || fail "$name: the planted target changed"
        [[ $(stat -c %a "$victim") == 640 ]] || fail "$name: the planted target's bits changed"
        cmp -s "$work/events.reference" "$dir/events.telvor" || fail "$name: the Event file differs from a lone run's"
        expect_status "$name" 0
        grep -qx '\[clipboard\] emptied' "$work/$name.out" || fail "$name: the clipboard was not emptied"
        no_working_files "$name" "$dir"
    done
done

dir=$(new_folder link-event)
cp "$work/events.orig" "$work/target.telvor"
ln -s "$work/target.telvor" "$dir/events.telvor"
run link-event "$dir" yes
[[ -L $dir/events.telvor ]] && grep -q $'^05.12.2009 18:00 + Neue Sendung 19\r$' "$work/target.telvor" ||
    fail "link-event: the link was replaced or its target did not get the new events"
finish
