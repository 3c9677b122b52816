#!/usr/bin/env bash
# Files a run must leave alone or change keeping all they are. As root: a
# write-protected Event file is refused; a link, hard link or FIFO planted
# under a working file's name loses only that name; an Event file given as
# a link is followed. As users without privileges, as on a family file
# server: whoever runs TELVOR, a shared Event file keeps its owner, group,
# permission bits, access control list, extended attributes and every name,
# and gets the new events; a writable file in a folder the user may not
# write is rewritten in place; a file that may be written but not read, or
# a FIFO, picked in the dialog, is no new file; folders that cannot be
# locked (written but not read) are refused with nothing touched.
source "$(dirname "$0")/lib.sh"
if [[ $(id -u) != 0 ]]; then
    echo "SKIP: acting as other users needs root"
    finish
    exit
fi
A=4001 B=4002 TV=4242   # the owner, the other user, their shared group
make_guide "$work/guide.txt" 20
make_events "$work/events.orig" 300
dir=$(new_folder reference)
cp "$work/events.orig" "$dir/events.telvor"
run reference "$dir" yes
expect reference 0 emptied
cp "$dir/events.telvor" "$work/events.ref"

for answer in yes no; do
    dir=$(new_folder "readonly-$answer")
    cp "$work/events.orig" "$dir/events.telvor"
    chmod 444 "$dir/events.telvor"
    run "readonly-$answer" "$dir" "$answer"
    expect "readonly-$answer" 1 kept
    cmp -s "$work/events.orig" "$dir/events.telvor" || fail "readonly-$answer: the Event file changed"
    [[ $(stat -c %a "$dir/events.telvor") == 444 ]] || fail "readonly-$answer: the permission bits changed"
    no_working_files "readonly-$answer" "$dir"
done
for working in TELVOR.DAT TELVOR.CLP; do
    for kind in symlink hardlink fifo; do
        name="$kind-$working" dir=$(new_folder "$kind-$working") victim="$work/victim-$kind-$working"
        cp "$work/events.orig" "$dir/events.telvor"
        case $kind in
            symlink) printf 'precious\r\n' >"$victim" && ln -s "$victim" "$dir/$working" ;;
            hardlink) printf 'precious\r\n' >"$victim" && ln "$victim" "$dir/$working" ;;
            fifo) mkfifo "$victim" && ln "$victim" "$dir/$working" ;;
        esac
        chmod 640 "$victim"
        run "$name" "$dir" yes
        [[ $kind == fifo ]] && { [[ -p $victim ]] || fail "$name: the FIFO is gone"; } ||
            [[ $(cat "$victim") == $'precious\r' ]] || fail "$name: the planted target changed"
        [[ $(stat -c %a "$victim") == 640 ]] || fail "$name: the planted target's bits changed"
        cmp -s "$work/events.ref" "$dir/events.telvor" || fail "$name: the Event file differs from a lone run's"
        expect "$name" 0 emptied
        no_working_files "$name" "$dir"
    done
done
dir=$(new_folder link-event)
cp "$work/events.orig" "$work/target.telvor"
ln -s "$work/target.telvor" "$dir/events.telvor"
run link-event "$dir" yes
[[ -L $dir/events.telvor ]] && cmp -s "$work/events.ref" "$work/target.telvor" ||
    fail "link-event: the link was replaced or its target did not get the new events"

tool=$work/telvor-scripted
cp "$TELVOR_SCRIPTED" "$tool"
chmod 755 "$work" "$tool" && chmod 644 "$work/guide.txt"
program() {  # user, name: a Program directory of the user's own with the sample lists
    new_folder "$2" && chown -R "$1:$1" "$work/$2"
}
as() {  # user, name, Program directory, option...: one run as that user (member of the group)
    local user=$1
    shift
    as=(setpriv --reuid="$user" --regid="$user" --groups="$TV")
    run "$1" "$2" yes "${@:3}"
    as=()
}
identity() { stat -c '%u:%g %a' "$1"; getfacl -cp "$1"; getfattr --absolute-names -d "$1"; }
expect_new() {  # name, file: the run went through and the file holds the old and the new events
    expect "$1" 0 emptied
    grep -q $'^05.12.2009 18:00 + Neue Sendung 19\r$' "$2" || fail "$1: the new events are missing"
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
as $B other-user "$pb" --param "$tv/e.telvor"   # not the owner: rewritten in place
expect_new other-user "$tv/e.telvor"
[[ $(identity "$tv/e.telvor") == "$kept" ]] || fail "other-user: identity changed: $(identity "$tv/e.telvor")"
inode=$(stat -c %i "$tv/e.telvor")
exec 3<"$tv/e.telvor"  # the old file's number is not given to a new one meanwhile
as $A owner "$pa" --param "$tv/e.telvor"        # the owner: a rename that keeps it all
exec 3<&-
expect owner 0 emptied
[[ $(identity "$tv/e.telvor") == "$kept" ]] || fail "owner: identity changed: $(identity "$tv/e.telvor")"
[[ $(stat -c %i "$tv/e.telvor") != "$inode" ]] || fail "owner: rewritten in place, not renamed"

# A writable file in a folder its user may not write: rewritten in place,
# the journal meanwhile in the Program directory.
ro=$work/ro
mkdir "$ro" && chown $A:$A "$ro" && chmod 755 "$ro"
make_events "$ro/e.telvor" 50
chown $A:$A "$ro/e.telvor" && chmod 666 "$ro/e.telvor"
as $B readonly-folder "$pb" --param "$ro/e.telvor"
expect_new readonly-folder "$ro/e.telvor"
[[ $(ls -A "$ro") == e.telvor ]] || fail "readonly-folder: left in the folder: $(ls -A "$ro")"
no_working_files shared "$tv" "$pa" "$pb"

# A file the user may write but not read, and a FIFO, picked in the dialog.
u=$(program $B unreadable)
cp "$work/events.orig" "$u/secret.telvor" && chown $B:$B "$u/secret.telvor" && chmod 200 "$u/secret.telvor"
mkfifo -m 600 "$u/pipe.telvor" && chown $B:$B "$u/pipe.telvor"
for name in secret pipe; do
    as $B "$name" "$u" --choose "$u/$name.telvor"
    expect "$name" 1 kept
    grep -q "^telvor: cannot read $u/$name.telvor: " "$work/$name.err" || fail "$name: stderr: $(cat "$work/$name.err")"
done
[[ $(stat -c %a "$u/secret.telvor") == 200 ]] || fail "the write-only file's bits changed"
cmp -s "$work/events.orig" "$u/secret.telvor" || fail "the write-only file was written"
[[ -p $u/pipe.telvor && $(ls -A "$u" | wc -l) == 4 ]] || fail "files were created: $(ls -A "$u")"

# Folders that may be written but not read cannot be locked: a Program
# directory of mode 0311, an Event file in a drop folder of mode 0733.
p311=$(program $B p311)
chmod 311 "$p311"
drop=$work/drop
mkdir "$drop" && chown $A:$A "$drop" && chmod 733 "$drop"
make_events "$drop/e.telvor" 50
chown $A:$A "$drop/e.telvor" && chmod 666 "$drop/e.telvor"
before=$(snapshot "$p311" "$drop" "$pb")
as $B unreadable-program "$p311" --param "$ro/e.telvor"
as $B unreadable-drop "$pb" --param "$drop/e.telvor"
[[ $(snapshot "$p311" "$drop" "$pb") == "$before" ]] || fail "refused runs changed files"
for pair in "unreadable-program $p311/" "unreadable-drop $drop"; do
    set -- $pair
    expect "$1" 1 kept
    grep -q '^\[message\] TELVOR cannot lock this folder' "$work/$1.out" || fail "$1: no message box"
    grep -q "^telvor: cannot lock the folder $2: Permission denied" "$work/$1.err" || fail "$1: stderr: $(cat "$work/$1.err")"
done
finish
