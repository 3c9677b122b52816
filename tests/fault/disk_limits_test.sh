#!/usr/bin/env bash
# Writes that fail part-way, under a file-size limit and on a full disk (a
# small tmpfs, where mounting is allowed): the Event file stays byte-identical,
# the clipboard is kept, no working file is left; with room again, runs work.
source "$(dirname "$0")/lib.sh"
make_guide "$work/guide.txt" 50
dir=$(new_folder limit)
make_events "$work/events.orig" 2000   # about 180 KB
for limit in 1 16 100 170; do
    cp "$work/events.orig" "$dir/events.telvor"
    run "limit-$limit" "$dir" yes
    expect_kept "limit-$limit" "$dir" "$work/events.orig"
    grep -q 'Not writing' "$work/limit-$limit.out" || fail "limit-$limit: no 'Not writing...' line in the Event view"
done
unset limit

mnt=$work/small-disk
mkdir "$mnt"
if ! mount -t tmpfs -o size=2m tmpfs "$mnt" 2>/dev/null; then
    echo "SKIP full disk: cannot mount a tmpfs here (needs root and mount rights)"
    finish
    exit
fi
on_exit="umount '$mnt'"
dir=$(new_folder full "$mnt")
make_events "$work/events.big" 3500   # about 320 KB of the 2 MiB
for spare in 0 64 200; do   # KiB left free, all below the Event file's size
    rm -f "$mnt/filler"
    cp "$work/events.big" "$dir/events.telvor"
    free=$(df -k --output=avail "$mnt" | tail -1)
    dd if=/dev/zero of="$mnt/filler" bs=1k count=$((free > spare ? free - spare : 0)) status=none || true
    run "full-$spare" "$dir" yes
    expect_kept "full-$spare" "$dir" "$work/events.big"
done
rm "$mnt/filler"
run full-room "$dir" yes
grep -qx '\[clipboard\] emptied' "$work/full-room.out" || fail "full-room: the Guide text was not stored"
grep -q $'^05.12.2009 18:00 + Neue Sendung 49\r$' "$dir/events.telvor" || fail "full-room: new events missing"
no_working_files full-room "$dir"
finish
