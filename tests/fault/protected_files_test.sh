#!/usr/bin/env bash
# Files a run must not change: a write-protected Event file (refused even to
# root), one in a write-protected folder, and the targets of symbolic links
# planted as working files. A link given as the Event file is followed.
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
dir=$(new_folder readonly-folder)
cp "$work/events.orig" "$dir/events.telvor"
chmod 555 "$dir"
run readonly-folder "$dir" yes
expect_kept readonly-folder "$dir" "$work/events.orig"

for working in TELVOR.DAT TELVOR.CLP; do
    dir=$(new_folder "link-$working")
    cp "$work/events.orig" "$dir/events.telvor"
    printf 'precious\r\n' | tee "$work/victim-$working" >"$work/victim-$working.orig"
    ln -s "$work/victim-$working" "$dir/$working"
    run "link-$working" "$dir" yes
    cmp -s "$work/victim-$working.orig" "$work/victim-$working" || fail "link-$working: the link's target changed"
    grep -qx '\[clipboard\] kept' "$work/link-$working.out" || fail "link-$working: the clipboard was not kept"
    # The Event file stays a plain file with its old content or a whole new version.
    [[ ! -L $dir/events.telvor ]] && { cmp -s "$work/events.orig" "$dir/events.telvor" ||
        head -n 1 "$dir/events.telvor" | grep -q 'EVENTS.TELVOR <<< -- File new created'; } ||
        fail "link-$working: the Event file is damaged"
done

dir=$(new_folder link-event)
cp "$work/events.orig" "$work/target.telvor"
ln -s "$work/target.telvor" "$dir/events.telvor"
run link-event "$dir" yes
[[ -L $dir/events.telvor ]] && grep -q $'^05.12.2009 18:00 + Neue Sendung 19\r$' "$work/target.telvor" ||
    fail "link-event: the link was replaced or its target did not get the new events"
finish
