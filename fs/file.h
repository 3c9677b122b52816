// Line files in numbered File slots, and the other operations on the
// entries of folders.
//
// Each open slot has a buffer of FILE_BUFFER_SIZE bytes. Lines read end at LF,
// CR, CR LF or a 0 byte; every line written ends in CR LF. Contents are
// bytes and are never converted; paths are used exactly as the system gave
// them (base/path.h).
//
// Slots keep the program's files apart as sharing modes would: a file open
// in one slot is not truncated, deleted or replaced through another, and a
// file being written is not opened for reading.
//
// Every operation that can fail returns why (fs/failure.h). All of it goes
// through the system-call table of sys/os.h, written once for every
// platform.
#pragma once

#include <functional>
#include <string_view>

#include "base/path.h"
#include "base/text.h"
#include "fs/failure.h"

enum : int {
    FILE_SLOT_COUNT = 3,        // a run's list file, its Event file and the file it writes
    FILE_BUFFER_SIZE = 262144,  // bytes buffered per slot
};

// Opens an existing plain file for reading. A failed open leaves the slot
// closed; an occupied slot is closed first.
FileResult file_open_read(int slot, const Path& path);
// Creates a new file for writing; fails when any entry of that name exists
// already, a dangling symbolic link included.
FileResult file_create(int slot, const Path& path);
// Creates one of the program's working files for writing: whatever stands
// under that name (a file, a link of either kind, a FIFO, an empty folder)
// is removed first, and the new file is made exclusively, readable and
// writable by the user alone.
FileResult file_create_working(int slot, const Path& path);
// After the last line of the file open for reading in slot, the slot reads
// on in the lines of text, as if they stood in the file on lines of their
// own: the file's last line ends at the file's end, whatever ends it, and
// the text's lines end as a file's would. Not after a read of the file
// failed. The text is not copied; it must stay as it is until the slot is
// closed.
void file_read_text_after(int slot, std::string_view text);
// The same with the text asked of provide when the slot reaches the file's
// end (not before), so that it may be made while the file is read.
void file_read_text_after(int slot, std::function<std::string_view()> provide);
// Nonzero when no further byte can be read; consumes nothing.
int file_at_end(int slot);
// The next line without its line end, as a view of the slot's own bytes,
// valid until the next read from the slot: no copy is made. The empty text
// at the end of the file.
std::string_view file_read_line_view(int slot);
// The same without its trailing spaces, as the run reads every line.
std::string_view file_read_line_trimmed(int slot);
// Writes text and CR LF; returns the length of text plus 2, or 0 when the
// slot holds no file open for writing.
int file_write_line(int slot, std::string_view text);
// Reads count lines of one slot (every line up to its end for a negative
// count) and writes each, without its trailing spaces, to another:
// file_read_line_trimmed and file_write_line per line. Lines that need no
// change go across in runs, not one by one.
void file_copy_lines(int from_slot, int to_slot, int count);
// Reads the next line when it is empty once trimmed (and its spaces do not
// run on past the slot's buffer); nonzero then. Any other line is left
// unread.
int file_skip_empty_line(int slot);
// Up to count of the next lines, left unread: as many as lie whole in the
// slot's buffer and go across as they are (each ends in CR LF with no space
// before it and holds no 0 byte), their number returned and each put in
// lines without its line end, a view of the slot's own bytes, valid until
// the next read. They follow one another there, each line end two bytes.
int file_peek_verbatim_lines(int slot, int count, std::string_view* lines);
// Takes count bytes as read: at most those of lines just peeked, with their
// line ends.
void file_skip_bytes(int slot, std::size_t count);
// Writes bytes as they are: lines with their line ends.
void file_write_bytes(int slot, std::string_view bytes);
// Writes pending bytes and closes the slot; closing a closed slot does
// nothing. Fails where any write, flush or close of a writing slot failed
// (full disk, file-size limit, lost medium), or where a read of a reading
// slot failed (its end was then not the file's real end).
FileResult file_close(int slot);
// Closes every open slot.
void file_close_all();

// Removes a directory entry; a file held open by a File slot stays.
FileResult file_delete(const Path& path);
// Nonzero when a directory entry of that name exists (links not followed).
int file_entry_exists(const Path& path);
// Nonzero when name is a plain file that is another name of the file path
// finally names (a hard link), not the entry path leads to itself.
int file_is_other_name(const Path& name, const Path& path);
// Nonzero when both paths name the same file: one existing file (links
// followed), or one name in one folder whether it exists or not.
int file_same(const Path& a, const Path& b);
