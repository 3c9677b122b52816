#!/usr/bin/env bash
# Files the run must not change: a write-protected Event file (no write bits,
# refused even to root), and files that symbolic links planted under the
# working files' names point at.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

make_guide_text "$work/guide.txt" 20
make_event_file "$work/events.orig" 300

# --- Write-protected Event file ---------------------------------------------
dir=$(new_folder readonly)
for answer in yes no; do
    cp "$work/events.orig" "$dir/events.telvor"
    chmod 444 "$dir/events.telvor"
    name=readonly-$answer
    run_tool "$name" "$dir" --param events.telvor --clipboard "$work/guide.txt" --answer "$answer"
    expect_same_file "$name" "$work/events.orig" "$dir/events.telvor"
    [[ $(stat -c %a "$dir/events.telvor") == 444 ]] || fail "$name: the permission bits changed"
    expect_clipboard_kept "$name"
    expect_no_working_files "$name" "$dir"
    rm -f "$dir/events.telvor"
done

# --- Write-protected Program directory ---------------------------------------
dir=$(new_folder readonly-folder)
cp "$work/events.orig" "$dir/events.telvor"
chmod 555 "$dir"
run_tool readonly-folder "$dir" --param events.telvor --clipboard "$work/guide.txt" --answer yes
chmod 755 "$dir"
expect_same_file readonly-folder "$work/events.orig" "$dir/events.telvor"
expect_clipboard_kept readonly-folder

# --- Symbolic links as working files ----------------------------------------
for working in TELVOR.DAT TELVOR.CLP; do
    dir=$(new_folder "link-$working")
    cp "$work/events.orig" "$dir/events.telvor"
    printf 'precious\r\n' >"$work/victim-$working"
    cp "$work/victim-$working" "$work/victim-$working.orig"
    ln -s "$work/victim-$working" "$dir/$working"
    name=link-$working
    run_tool "$name" "$dir" --param events.telvor --clipboard "$work/guide.txt" --answer yes
    expect_same_file "$name: the link's target" "$work/victim-$working.orig" "$work/victim-$working"
    [[ ! -L "$dir/events.telvor" ]] || fail "$name: the Event file became a link"
    # The Event file holds either its old content or a complete new version.
    if ! cmp -s "$work/events.orig" "$dir/events.telvor"; then
        grep -q $'^01.12.2009 10:00 -- >>> EVENTS.TELVOR <<< -- File new created...\r$' "$dir/events.telvor" ||
            fail "$name: the Event file lost its header"
    fi
done

# A link planted as the Event file itself is followed: its target is the
# Event file, and it stays a link.
dir=$(new_folder link-event)
cp "$work/events.orig" "$work/target.telvor"
ln -s "$work/target.telvor" "$dir/events.telvor"
run_tool link-event "$dir" --param events.telvor --clipboard "$work/guide.txt" --answer yes
[[ -L "$dir/events.telvor" ]] || fail "link-event: the link was replaced by a file"
grep -q $'^05.12.2009 18:00 + Neue Sendung 19\r$' "$work/target.telvor" ||
    fail "link-event: the link's target did not get the new events"

finish
