#!/usr/bin/env bash
# Writes that fail part-way: under a file-size limit, and on a full disk
# (a small tmpfs, where mounting is allowed). Every write of a working file
# or of the copy over the Event file fails; the Event file stays
# byte-identical, the clipboard is kept, and no working file is left.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

make_guide_text "$work/guide.txt" 50

# --- File-size limit (ulimit -f counts KiB) --------------------------------
dir=$(new_folder limit)
make_event_file "$work/events.orig" 2000    # about 180 KB
for limit in 1 16 100 170; do
    cp "$work/events.orig" "$dir/events.telvor"
    name=limit-$limit
    # Only the tool runs under the limit, not the file its output goes to.
    (cd "$dir" && ulimit -f "$limit" && exec "$TELVOR_SCRIPTED" --param events.telvor \
        --clipboard "$work/guide.txt" --answer yes 2>"$work/$name.err") | cat >"$work/$name.out" || true
    expect_same_file "$name" "$work/events.orig" "$dir/events.telvor"
    expect_clipboard_kept "$name"
    expect_no_working_files "$name" "$dir"
    grep -q 'Not writing' "$work/$name.out" || fail "$name: no 'Not writing...' line in the Event view"
done

# --- Full disk ----------------------------------------------------------------
mnt=$work/small-disk
mkdir -p "$mnt"
if ! mount -t tmpfs -o size=2m tmpfs "$mnt" 2>/dev/null; then
    echo "SKIP full disk: cannot mount a tmpfs here (needs root and mount rights)"
else
    cleanup_hooks+=("umount '$mnt'")
    dir=$(new_folder full "$mnt")
    make_event_file "$work/events.big" 3500    # about 320 KB of the 2 MiB
    # Free space left over in a few sizes, all below the Event file's size.
    for spare in 0 64 200; do
        rm -f "$mnt"/filler "$dir"/events.telvor
        cp "$work/events.big" "$dir/events.telvor"
        free_kib=$(df -k --output=avail "$mnt" | tail -1 | tr -d ' ')
        if ((free_kib > spare)); then
            dd if=/dev/zero of="$mnt/filler" bs=1k count=$((free_kib - spare)) status=none 2>/dev/null || true
        fi
        name=full-$spare
        run_tool "$name" "$dir" --param events.telvor --clipboard "$work/guide.txt" --answer yes
        expect_same_file "$name" "$work/events.big" "$dir/events.telvor"
        expect_clipboard_kept "$name"
        expect_no_working_files "$name" "$dir"
    done
    # With room again the same folder works normally.
    rm -f "$mnt/filler"
    run_tool full-room "$dir" --param events.telvor --clipboard "$work/guide.txt" --answer yes
    grep -qx '\[clipboard\] emptied' "$work/full-room.out" || fail "full-room: the run did not store the Guide text"
    grep -q $'^05.12.2009 18:00 + Neue Sendung 49\r$' "$dir/events.telvor" ||
        fail "full-room: the new events are not in the Event file"
    expect_no_working_files full-room "$dir"
fi

finish
