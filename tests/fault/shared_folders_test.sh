#!/usr/bin/env bash
# Event files and working-file names that are links, FIFOs, write-protected
# or shared between users; folders that may be written but not read.
source "$(dirname "$0")/lib.sh"
[[ $(id -u) == 0 ]] || { echo "SKIP: acting as other users needs root"; exit 0; }
snapshot() { find "$@" -printf '%p %u:%g %m %s\n' | sort; find "$@" -type f -readable -exec md5sum {} + | sort; }
A=4001 B=4002 TV=4242   # the owner, the other user, their shared group
make_guide "$work/guide.txt" 20
make_events "$work/events.orig" 300
dir=$(new_folder reference) && cp "$work/events.orig" "$dir/events.telvor"
run reference "$dir" yes
expect reference 0 emptied
cp "$dir/events.telvor" "$work/events.ref"

# As root: a write-protected Event file is refused; a link, hard link or FIFO
# under a working file's name loses only that name; an Event file as a link is followed.
dir=$(new_folder readonly) && cp "$work/events.orig" "$dir/events.telvor" && chmod 444 "$dir/events.telvor"
before=$(snapshot "$dir")
run readonly "$dir" yes   # Yes: every step that writes tries
expect readonly 1 kept
[[ $(snapshot "$dir") == "$before" ]] || fail "readonly: the folder changed: $(snapshot "$dir")"
for working in TELVOR.DAT TELVOR.CLP; do
    for kind in symlink hardlink fifo; do
        name=$kind-$working victim=$work/victim-$kind-$working
        dir=$(new_folder "$name") && cp "$work/events.orig" "$dir/events.telvor"
        [[ $kind == fifo ]] && mkfifo "$victim" || printf 'precious\r\n' >"$victim"
        [[ $kind == symlink ]] && ln -s "$victim" "$dir/$working" || ln "$victim" "$dir/$working"
        before=$(snapshot "$victim")
        run "$name" "$dir" yes
        [[ $(snapshot "$victim") == "$before" ]] || fail "$name: the planted target changed"
        cmp -s "$work/events.ref" "$dir/events.telvor" || fail "$name: the Event file differs from a lone run's"
        expect "$name" 0 emptied
        no_working_files "$name" "$dir"
    done
done
dir=$(new_folder link-event) && cp "$work/events.orig" "$work/target.telvor"
ln -s "$work/target.telvor" "$dir/events.telvor"
run link-event "$dir" yes
[[ -L $dir/events.telvor ]] && cmp -s "$work/events.ref" "$work/target.telvor" ||
    fail "link-event: the link was replaced or its target did not get the new events"

tool=$work/telvor-scripted
cp "$TELVOR_SCRIPTED" "$tool" && chmod 755 "$work" "$tool" && chmod 644 "$work/guide.txt"
# program USER NAME: a Program directory of the user's; as USER NAME FOLDER OPTION...: a run as that user
program() { new_folder "$2" && chown -R "$1:$1" "$work/$2"; }
as() { as=(setpriv --reuid="$1" --regid="$1" --groups="$TV"); run "$2" "$3" yes "${@:4}"; as=(); }
shared() {  # path, owner, mode: an Event file of 50 events in a new folder
    mkdir "${1%/*}" && chown "$2" "${1%/*}" && chmod "$3" "${1%/*}"
    make_events "$1" 50 && chown "$2" "$1" && chmod 666 "$1"
}
identity() { stat -c '%u:%g %a' "$1"; getfacl -cp "$1"; getfattr --absolute-names -d "$1"; }
expect_new() {  # name, file: the run went through and the file holds the old and the new events
    expect "$1" 0 emptied
    grep -q $'^05.12.2009 18:00 + Neue Sendung 19\r$' "$2" && grep -q $'^Genre: Krimi\r$' "$2" || fail "$1: events missing"
}
pa=$(program $A a) pb=$(program $B b)

# The owner's file in a group folder, written by the other user through an ACL alone.
tv=$work/tv/e.telvor
shared "$tv" $A:$TV 2775 && chmod 664 "$tv"
setfacl -m u:$B:rw-,g::---,m::rw- "$tv" || fail "setfacl: no access control lists here"
setfattr -n user.origin -v receiver "$tv" || fail "setfattr: no extended attributes here"
kept=$(identity "$tv")
as $B other-user "$pb" --param "$tv"   # not the owner: rewritten in place
expect_new other-user "$tv"
[[ $(identity "$tv") == "$kept" ]] || fail "other-user: identity changed: $(identity "$tv")"
inode=$(stat -c %i "$tv")
# The owner: a rename that keeps it all (fd 3: the old number is not given to the new file).
as $A owner "$pa" --param "$tv" 3<"$tv"
expect owner 0 emptied
[[ $(identity "$tv") == "$kept" ]] || fail "owner: identity changed: $(identity "$tv")"
[[ $(stat -c %i "$tv") != "$inode" ]] || fail "owner: rewritten in place, not renamed"

# A writable file in a folder its user may not write: rewritten in place, the journal in the Program directory.
shared "$work/ro/e.telvor" $A:$A 755
as $B readonly-folder "$pb" --param "$work/ro/e.telvor"
expect_new readonly-folder "$work/ro/e.telvor"
[[ $(ls -A "$work/ro") == e.telvor ]] || fail "readonly-folder: left in the folder: $(ls -A "$work/ro")"
no_working_files shared "$work/tv" "$pa" "$pb"

# A file the user may write but not read, and a FIFO, picked in the dialog.
u=$(new_folder unreadable) && cp "$work/events.orig" "$u/secret.telvor" && mkfifo "$u/pipe.telvor"
chown -R $B:$B "$u" && chmod 200 "$u/secret.telvor" && chmod 600 "$u/pipe.telvor"
before=$(snapshot "$u")
for name in secret pipe; do
    as $B "$name" "$u" --choose "$u/$name.telvor"
    expect "$name" 1 kept
    grep -q "^telvor: cannot read $u/$name.telvor: " "$work/$name.err" || fail "$name: stderr: $(cat "$work/$name.err")"
done
[[ $(snapshot "$u") == "$before" && -p $u/pipe.telvor ]] || fail "picked files changed: $(snapshot "$u")"

# Folders that may be written but not read cannot be locked: a Program
# directory of mode 0311, an Event file in a drop folder of mode 0733.
p311=$(program $B p311) && chmod 311 "$p311"
shared "$work/drop/e.telvor" $A:$A 733
before=$(snapshot "$p311" "$work/drop" "$pb")
for args in "unreadable-program $p311 $work/ro/e.telvor $p311/" "unreadable-drop $pb $work/drop/e.telvor $work/drop"; do
    set -- $args
    as $B "$1" "$2" --param "$3"
    expect "$1" 1 kept
    grep -q '^\[message\] TELVOR cannot lock this folder' "$work/$1.out" || fail "$1: no message box"
    grep -q "^telvor: cannot lock the folder $4: Permission denied" "$work/$1.err" || fail "$1: stderr: $(cat "$work/$1.err")"
done
[[ $(snapshot "$p311" "$work/drop" "$pb") == "$before" ]] || fail "refused runs changed files"
finish
