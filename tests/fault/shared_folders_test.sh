#!/usr/bin/env bash
# Event files shared by two users without privileges, as on a family file
# server: whoever runs TELVOR, the Event file keeps its owner, group,
# permission bits, access control list, extended attributes and every name,
# and gets the new events; a writable file in a folder the user may not
# write is rewritten in place; folders that cannot be locked (written but
# not read) are refused with nothing touched.
source "$(dirname "$0")/lib.sh"
if [[ $(id -u) != 0 ]]; then
    echo "SKIP: acting as two users needs root"
    finish
    exit
fi
A=4001 B=4002 TV=4242   # the owner, the other user, their shared group
tool=$work/telvor-scripted
cp "$TELVOR_SCRIPTED" "$tool"
chmod 755 "$work" "$tool"
make_guide "$work/guide.txt" 5
chmod 644 "$work/guide.txt"

program() {  # user, name: a Program directory of the user's own with the sample lists
    local dir
    dir=$(new_folder "$2")
    chown -R "$1:$1" "$dir"
    echo "$dir"
}
as() {  # user, Program directory, Event file, name: one run as that user (member of the group)
    local rc=0
    (cd "$2" && exec setpriv --reuid="$1" --regid="$1" --groups="$TV" "$tool" --param "$3" \
        --clipboard "$work/guide.txt" --answer yes >"$work/$4.out" 2>"$work/$4.err") || rc=$?
    echo "$rc" >"$work/$4.rc"
}
identity() { stat -c '%u:%g %a' "$1"; getfacl -cp "$1"; getfattr --absolute-names -d "$1"; }
expect_new() {  # name, file: the run went through and the file holds the new events
    expect_status "$1" 0
    grep -q $'^05.12.2009 18:00 + Neue Sendung 4\r$' "$2" || fail "$1: the new events are missing"
    grep -q $'^Genre: Krimi\r$' "$2" || fail "$1: the old events are missing"
}
snapshot() { find "$@" -printf '%p %u:%g %m %s\n' | sort; find "$@" -type f -readable -exec md5sum {} + | sort; }

pa=$(program $A a) pb=$(program $B b)

# A group folder: the owner's file, read and written by the other user
# through an access control list; the group has no access of its own.
tv=$work/tv
mkdir "$tv" && chown $A:$TV "$tv" && chmod 2775 "$tv"
make_events "$tv/e.telvor" 50
chown $A:$TV "$tv/e.telvor" && chmod 664 "$tv/e.telvor"
setfacl -m u:$B:rw-,g::---,m::rw- "$tv/e.telvor" || fail "setfacl: no access control lists here"
setfattr -n user.origin -v receiver "$tv/e.telvor" || fail "setfattr: no extended attributes here"
kept=$(identity "$tv/e.telvor")
as $B "$pb" "$tv/e.telvor" other-user   # not the owner: rewritten in place
expect_new other-user "$tv/e.telvor"
[[ $(identity "$tv/e.telvor") == "$kept" ]] || fail "other-user: identity changed: $(identity "$tv/e.telvor")"
inode=$(stat -c %i "$tv/e.telvor")
as $A "$pa" "$tv/e.telvor" owner        # the owner: a rename that keeps it all
expect_status owner 0
[[ $(identity "$tv/e.telvor") == "$kept" ]] || fail "owner: identity changed: $(identity "$tv/e.telvor")"
[[ $(stat -c %i "$tv/e.telvor") != "$inode" ]] || fail "owner: rewritten in place, not renamed"
no_working_files shared "$tv"

# Two names of one file: both see the new content.
make_events "$tv/linked.telvor" 50
chown $A:$TV "$tv/linked.telvor"
ln "$tv/linked.telvor" "$tv/second.telvor"
as $A "$pa" "$tv/linked.telvor" linked
expect_new linked "$tv/second.telvor"
[[ $(stat -c %h "$tv/second.telvor") == 2 ]] || fail "linked: the names are no longer one file"

# A writable file in a folder its user may not write: rewritten in place,
# the journal meanwhile in the Program directory.
ro=$work/ro
mkdir "$ro" && chown $A:$A "$ro" && chmod 755 "$ro"
make_events "$ro/e.telvor" 50
chown $A:$A "$ro/e.telvor" && chmod 666 "$ro/e.telvor"
as $B "$pb" "$ro/e.telvor" readonly-folder
expect_new readonly-folder "$ro/e.telvor"
[[ $(ls -A "$ro") == e.telvor ]] || fail "readonly-folder: left in the folder: $(ls -A "$ro")"
no_working_files readonly-folder "$pb"
[[ -z $(ls -A "$pb" | grep -i journal) ]] || fail "readonly-folder: a journal was left"

# Folders that may be written but not read cannot be locked: a Program
# directory of mode 0311, an Event file in a drop folder of mode 0733.
p311=$(program $B p311)
chmod 311 "$p311"
drop=$work/drop
mkdir "$drop" && chown $A:$A "$drop" && chmod 733 "$drop"
make_events "$drop/e.telvor" 50
chown $A:$A "$drop/e.telvor" && chmod 666 "$drop/e.telvor"
before=$(snapshot "$p311" "$drop" "$pb")
as $B "$p311" "$ro/e.telvor" unreadable-program
as $B "$pb" "$drop/e.telvor" unreadable-drop
[[ $(snapshot "$p311" "$drop" "$pb") == "$before" ]] || fail "refused runs changed files"
for name in unreadable-program unreadable-drop; do
    expect_status $name 1
    grep -qx '\[clipboard\] kept' "$work/$name.out" || fail "$name: the clipboard was not kept"
    grep -q '^\[message\] TELVOR cannot lock this folder' "$work/$name.out" || fail "$name: no message box"
done
grep -q "^telvor: cannot lock the folder $p311/: Permission denied" "$work/unreadable-program.err" ||
    fail "unreadable-program: stderr: $(cat "$work/unreadable-program.err")"
grep -q "^telvor: cannot lock the folder $drop: Permission denied" "$work/unreadable-drop.err" ||
    fail "unreadable-drop: stderr: $(cat "$work/unreadable-drop.err")"
finish
