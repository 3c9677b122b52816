#!/usr/bin/env bash
# As a user without privileges: an existing Event file that may be written
# but not read, picked in the open-file dialog, is no new file: it is not
# emptied or given a header, and the run ends with the status of a failed
# step. The same for a FIFO.
source "$(dirname "$0")/lib.sh"
as_user=()
if [[ $(id -u) == 0 ]]; then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    tool=$work/telvor-scripted
    cp "$TELVOR_SCRIPTED" "$tool"
    chmod 755 "$work" "$tool"
else
    tool=$TELVOR_SCRIPTED
fi
dir=$(new_folder user)
printf '04.12.2009 20:15 + Alt\r\nGenre: Krimi\r\nFall.\r\n\r\n' >"$dir/secret.telvor"
cp "$dir/secret.telvor" "$work/secret.orig"
chmod 200 "$dir/secret.telvor"
mkfifo -m 600 "$dir/pipe.telvor"
[[ $(id -u) == 0 ]] && chown -R 65534:65534 "$dir"
make_guide "$work/guide.txt" 5
chmod 644 "$work/guide.txt"
for name in secret pipe; do
    rc=0
    (cd "$dir" && exec "${as_user[@]}" "$tool" --choose "$dir/$name.telvor" --clipboard "$work/guide.txt" \
        --answer yes >"$work/$name.out" 2>"$work/$name.err") || rc=$?
    echo $rc >"$work/$name.rc"
    expect_status "$name" 1
    grep -qx '\[clipboard\] kept' "$work/$name.out" || fail "$name: the clipboard was not kept"
    grep -q "^telvor: cannot read $dir/$name.telvor: " "$work/$name.err" || fail "$name: stderr: $(cat "$work/$name.err")"
    no_working_files "$name" "$dir"
done
[[ $(stat -c %a "$dir/secret.telvor") == 200 ]] || fail "the write-only file's bits changed"
chmod 600 "$dir/secret.telvor"
cmp -s "$work/secret.orig" "$dir/secret.telvor" || fail "the write-only file was written"
[[ -p $dir/pipe.telvor && $(ls -A "$dir" | wc -l) == 4 ]] || fail "files were created: $(ls -A "$dir")"
finish
