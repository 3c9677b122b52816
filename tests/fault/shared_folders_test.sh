#!/usr/bin/env bash
# Files a run must leave alone or keep whole: links, hard links and FIFOs under working-file
# names; Event files shared between users; journals made or planted by another user.
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

# A name planted under the working file's loses only that name; an Event file as a link is followed.
for kind in symlink hardlink; do
    name=$kind-TELVOR.DAT working=TELVOR.DAT victim=$work/victim-$kind
    dir=$(new_folder "$name") && cp "$work/events.orig" "$dir/events.telvor"
    printf 'precious\r\n' >"$victim"
    [[ $kind == symlink ]] && ln -s "$victim" "$dir/$working" || ln "$victim" "$dir/$working"
    before=$(snapshot "$victim")
    run "$name" "$dir" yes
    expect "$name" 0 emptied
    [[ $(snapshot "$victim") == "$before" ]] || fail "$name: the planted target changed"
    cmp -s "$work/events.ref" "$dir/events.telvor" || fail "$name: the Event file differs from a lone run's"
    no_working_files "$name" "$dir"
done
dir=$(new_folder link-event) && cp "$work/events.orig" "$work/target.telvor" && ln -s "$work/target.telvor" "$dir/events.telvor"
run link-event "$dir" yes
[[ -L $dir/events.telvor ]] && cmp -s "$work/events.ref" "$work/target.telvor" || fail "link-event: the link was replaced or its target not written"

tool=$work/telvor-scripted
cp "$TELVOR_SCRIPTED" "$tool" && chmod 755 "$work" "$tool" && chmod 644 "$work/guide.txt"
program() { new_folder "$2" && chown -R "$1:$1" "$work/$2"; }   # USER NAME: a Program directory of the user's
as() { as=(setpriv --reuid="$1" --regid="$1" --groups="$TV"); run "$2" "$3" yes "${@:4}"; as=(); }   # USER NAME FOLDER OPTION...
as_b() { setpriv --reuid=$B --regid=$B --clear-groups "$@"; }
shared() {  # path, owner, mode: an Event file of 50 events in a new folder
    mkdir "${1%/*}" && chown "$2" "${1%/*}" && chmod "$3" "${1%/*}"
    make_events "$1" 50 && chown "$2" "$1" && chmod 666 "$1"
}
identity() { stat -c '%u:%g %a' "$1"; getfacl -cp "$1"; getfattr --absolute-names -d "$1"; }
expect_new() {  # name, file: the run went through and the file holds the old and the new events
    expect "$1" 0 emptied
    grep -q $'^05.12.2009 18:00 + Neue Sendung 19\r$' "$2" && grep -q $'^Genre: Krimi\r$' "$2" || fail "$1: events missing"
}
journal_of() { printf '%s/.telvor-journal-%x-%x' "${1%/*}" $(stat -c '%i %W' "$1"); }
refused() {  # name, journal, words: the run changed nothing, kept the clipboard, said why and named the journal
    expect "$1" 1 kept
    grep -q "$3" "$work/$1.err" && grep -q "^\[message\] .*$3" "$work/$1.out" || fail "$1: not said: $(cat "$work/$1.err")"
    grep -qF -- "$2" "$work/$1.err" || fail "$1: the journal is not named"
}
pa=$(program $A a) pb=$(program $B b)

# The owner's file in a group folder, written by the other user through an ACL alone: rewritten
# in place; by the owner: a rename (fd 3 keeps the old number from the new file). Both keep it all.
tv=$work/tv/e.telvor
shared "$tv" $A:$TV 2775 && chmod 664 "$tv"
setfacl -m u:$B:rw-,g::---,m::rw- "$tv" || fail "setfacl: no access control lists here"
setfattr -n user.origin -v receiver "$tv" || fail "setfattr: no extended attributes here"
kept=$(identity "$tv")
as $B other-user "$pb" --param "$tv"
expect_new other-user "$tv"
[[ $(identity "$tv") == "$kept" ]] || fail "other-user: identity changed: $(identity "$tv")"
inode=$(stat -c %i "$tv")
as $A owner "$pa" --param "$tv" 3<"$tv"
expect owner 0 emptied
[[ $(identity "$tv") == "$kept" ]] || fail "owner: identity changed: $(identity "$tv")"
[[ $(stat -c %i "$tv") != "$inode" ]] || fail "owner: rewritten in place, not renamed"

# The other user's run killed by strace where it first cuts the owner's file in a sticky folder
# (rewritten in place: the journal whole beside it). Made readable, it is never applied nor
# deleted by the owner's run, which names it and its maker; its maker's next run restores.
e=$work/sticky/e.telvor
shared "$e" $A:$TV 1777
as=(strace -f -qq -o /dev/null -e trace=ftruncate -e inject=ftruncate:signal=KILL:when=1 setpriv --reuid=$B --regid=$B --groups=$TV)
run crash "$pb" yes --param "$e" 2>/dev/null; as=()
j=$(journal_of "$e")
[[ $(stat -c '%u %a' "$j" 2>&1) == "$B 600" ]] || fail "crash: journal $(stat -c '%u %a' "$j" 2>&1), not $B 600"
chmod 644 "$j" && torn=$(md5sum <"$e") held=$(md5sum <"$j")
as $A owner-sticky "$pa" --param "$e"
refused owner-sticky "$j" "The last run by $B on $e was interrupted, and its journal $j belongs to $B"
[[ $(md5sum <"$e") == "$torn" && $(md5sum <"$j") == "$held" ]] || fail "owner-sticky: the file or journal changed"
as $B again "$pb" --param "$e"
expect_new again "$e"
grep -q "Its old content was put back from $j" "$work/again.err" && [[ ! -e $j ]] || fail "again: not restored"
# A link planted by the other user under a journal's name: refused, nothing touched.
e=$work/planted/e.telvor
shared "$e" $A:$A 1777
j=$(journal_of "$e") && as_b ln -s "$work/elsewhere" "$j"
before=$(snapshot "${e%/*}")
as $A planted "$pa" --param "$e"
refused planted "$j" "has the name of the journal of $e"
[[ $(snapshot "${e%/*}") == "$before" ]] || fail "planted: the folder changed"
# A journal's name in a shared Program directory means nothing: the planted file is left alone.
home=$work/home-a && mkdir -m 700 "$home" && chown $A:$A "$home" && make_events "$home/e.telvor" 50 && chown $A "$home/e.telvor"
shared_program=$(program $B shared-program) && chmod 1777 "$shared_program"
planted=$shared_program/$(basename "$(journal_of "$home/e.telvor")") && as_b bash -c "echo x >'$planted'"
as $A shared-program "$shared_program" --param "$home/e.telvor"
expect_new shared-program "$home/e.telvor"
[[ -f $planted ]] || fail "shared-program: the planted file went"
no_working_files journals "$work/sticky" "$work/tv" "$pa" "$pb"

# Refused, nothing touched: an Event file in a drop folder (0733), which cannot be locked.
shared "$work/drop/e.telvor" $A:$A 733
before=$(snapshot "$work/drop" "$pb")
as $B drop "$pb" --param "$work/drop/e.telvor"
expect drop 1 kept
grep -q '^\[message\] TELVOR cannot lock this folder' "$work/drop.out" || fail "drop: no message box"
grep -q "^telvor: cannot lock the folder $work/drop: Permission denied" "$work/drop.err" || fail "drop: stderr: $(cat "$work/drop.err")"
[[ $(snapshot "$work/drop" "$pb") == "$before" ]] || fail "drop: files changed"
finish
