#!/usr/bin/env bash
# Event files and working-file names that are links, FIFOs, write-protected
# or shared between users; folders that may be written but not read;
# journals made by another user, planted, or of another name of the file.
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
# under the working file's name loses only that name (TELVOR.CLP, no longer a
# working file, is left alone); an Event file as a link is followed.
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
        if [[ $working == TELVOR.CLP ]]; then
            [[ -L $dir/$working || -e $dir/$working ]] || fail "$name: the planted name went"
            rm "$dir/$working"
        fi
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

# A writable file in a folder its user may not write: no journal can lie beside it, and none lies
# elsewhere: refused, nothing touched.
shared "$work/ro/e.telvor" $A:$A 755
before=$(snapshot "$work/ro")
as $B readonly-folder "$pb" --param "$work/ro/e.telvor"
expect readonly-folder 1 kept
[[ $(snapshot "$work/ro") == "$before" ]] || fail "readonly-folder: the folder changed"
grep -q "^telvor: cannot replace $work/ro/e.telvor: its folder may not be written" "$work/readonly-folder.err" ||
    fail "readonly-folder: stderr: $(cat "$work/readonly-folder.err")"
no_working_files shared "$work/tv" "$pa" "$pb"

# Journals. crash USER NAME FOLDER FILE: a run of the user's killed where it first cuts a file
# (the Event file, rewritten in place, is then overwritten and its journal whole beside it).
crash() {
    as=(strace -f -qq -o /dev/null -e trace=ftruncate -e inject=ftruncate:signal=KILL:when=1
        setpriv --reuid="$1" --regid="$1" --groups="$TV")
    run "$2" "$3" yes --param "$4" 2>/dev/null; as=()
    [[ -f $(journal_of "$4") ]] || fail "$2: no journal left"
}
journal_of() { printf '%s/.telvor-journal-%x-%x' "${1%/*}" $(stat -c '%i %W' "$1"); }
refused() {  # name, file, journal, words: the run changed nothing, kept the clipboard, said why
    expect "$1" 1 kept
    grep -q "$4" "$work/$1.err" && grep -q "^\[message\] .*$4" "$work/$1.out" ||
        fail "$1: not said: $(cat "$work/$1.err")"
    grep -qF -- "$3" "$work/$1.err" || fail "$1: the journal is not named"
}
# Another user's crashed journal beside the owner's file, in a sticky and a group folder, made
# readable: never applied, never deleted, the refusal names it and its maker; that user's next
# run restores.
for mode in 1777 2775; do
    e=$work/j$mode/e.telvor
    shared "$e" $A:$TV "$mode"
    crash $B "crash-$mode" "$pb" "$e"
    j=$(journal_of "$e") && torn=$(md5sum <"$e") && held=$(md5sum <"$j")
    [[ $(stat -c '%u %a' "$j") == "$B 600" ]] || fail "crash-$mode: journal $(stat -c '%u %a' "$j"), not $B 600"
    chmod 644 "$j"  # as its maker may: readable, it is refused for its maker alone
    as $A "owner-$mode" "$pa" --param "$e"
    refused "owner-$mode" "$e" "$j" "The last run by $B on $e was interrupted, and its journal $j belongs to $B"
    [[ $(md5sum <"$e") == "$torn" && $(md5sum <"$j") == "$held" ]] || fail "owner-$mode: the file or journal changed"
    as $B "again-$mode" "$pb" --param "$e"
    expect_new "again-$mode" "$e"
    grep -q "Its old content was put back from $j" "$work/again-$mode.err" || fail "again-$mode: not restored"
    [[ ! -e $j ]] || fail "again-$mode: the journal stays"
done
# Under a journal's name, planted by the other user: a link, a hard link, a FIFO, a folder.
for kind in link hardlink fifo folder; do
    e=$work/p$kind/e.telvor
    shared "$e" $A:$A 1777
    j=$(journal_of "$e")
    case $kind in
        link) setpriv --reuid=$B --regid=$B --clear-groups ln -s "$work/elsewhere" "$j" ;;
        hardlink) setpriv --reuid=$B --regid=$B --clear-groups bash -c "echo x >'$j.own' && ln '$j.own' '$j'" ;;
        fifo) setpriv --reuid=$B --regid=$B --clear-groups mkfifo "$j" ;;
        folder) setpriv --reuid=$B --regid=$B --clear-groups mkdir "$j" ;;
    esac
    before=$(snapshot "${e%/*}")
    as $A "planted-$kind" "$pa" --param "$e"
    refused "planted-$kind" "$e" "$j" "has the name of the journal of $e"
    [[ $(snapshot "${e%/*}") == "$before" ]] || fail "planted-$kind: the folder changed"
done
# A journal's name in a shared Program directory means nothing: the owner's file in a private
# home is worked on as usual, the planted file left alone.
home=$work/home-a && mkdir -m 700 "$home" && chown $A:$A "$home" && make_events "$home/e.telvor" 50 && chown $A "$home/e.telvor"
shared_program=$(program $B shared-program) && chmod 1777 "$shared_program"
planted=$shared_program/$(basename "$(journal_of "$home/e.telvor")")
setpriv --reuid=$B --regid=$B --clear-groups bash -c "head -c 100 '$home/../events.orig' >'$planted' 2>/dev/null; echo x >>'$planted'"
as $A shared-program "$shared_program" --param "$home/e.telvor"
expect_new shared-program "$home/e.telvor"
[[ -f $planted ]] || fail "shared-program: the planted file went"
# Long names that share their first 240 bytes: each file's journal its own.
long=$work/long/$(printf 'x%.0s' {1..240}) && mkdir "$work/long"
for end in a b; do make_events "$long$end.telvor" 50 && ln "$long$end.telvor" "$work/long/$end.link"; done
crash 0 long-crash "$pa" "${long}a.telvor"
run long-b "$pa" yes --param "${long}b.telvor"
expect_new long-b "${long}b.telvor"
[[ -f $(journal_of "${long}a.telvor") ]] || fail "long-b: the other file's journal went"
run long-a "$pa" yes --param "${long}a.telvor"
expect_new long-a "${long}a.telvor"
grep -q "Its old content was put back" "$work/long-a.err" || fail "long-a: not restored"
no_working_files journals "$work"/j* "$work/long" "$pa" "$pb"

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
