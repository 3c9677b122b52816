// Line files in numbered File slots, and the other file-system and process
// services of a run.
//
// Each open slot has a buffer of at least 4096 bytes. Lines read end at LF,
// CR, CR LF or a 0 byte; every line written ends in CR LF. Contents are
// bytes and are never converted; paths are used exactly as the system gave
// them (runtime/path.h).
//
// Slots keep the program's files apart as sharing modes would: a file open
// in one slot is not truncated, deleted or replaced through another, and a
// file being written is not opened for reading.
//
// Every operation that fails leaves the system's reason for it behind, for
// file_failure_reason.
#pragma once

#include "runtime/path.h"
#include "runtime/text.h"

enum : int {
    FILE_SLOT_COUNT = 8,
    FILE_BUFFER_SIZE = 65536,  // bytes buffered per slot
};

// Process start: keeps the command line for program_parameter and makes a
// file-size limit or a closed pipe a write error instead of a killed process.
void program_start(int argc, char** argv);

// Opens an existing plain file for reading; nonzero on success. A failed
// open leaves the slot closed; an occupied slot is closed first.
int file_open_read(int slot, const Path& path);
// Creates a new file for writing; fails (0) when any entry of that name
// exists already, a dangling symbolic link included.
int file_create(int slot, const Path& path);
// Creates one of the program's working files for writing: whatever stands
// under that name (a file, a link of either kind, a FIFO, an empty folder)
// is removed first, and the new file is made exclusively, readable and
// writable by the user alone. Nonzero on success.
int file_create_working(int slot, const Path& path);
// Nonzero when no further byte can be read; consumes nothing.
int file_at_end(int slot);
// The next line without its line end; the empty text at the end of the file.
Text file_read_line(int slot);
// The same into line, reusing its storage.
void file_read_line_into(int slot, Text& line);
// The same without its trailing spaces, as the run reads every line.
void file_read_line_trimmed(int slot, Text& line);
// Writes text and CR LF; returns the length of text plus 2, or 0 when the
// slot holds no file open for writing.
int file_write_line(int slot, const Text& text);
// Reads the next line of one slot and writes it, without its trailing
// spaces, to another: file_read_line, text_trim_right and file_write_line
// in one, the line taken straight across where it can be. scratch serves
// as the buffer where it cannot.
void file_copy_line(int from_slot, int to_slot, Text& scratch);
// Writes pending bytes and closes the slot; closing a closed slot does
// nothing. Returns 0 when any write, flush or close of a writing slot failed
// (full disk, file-size limit, lost medium), or when a read of a reading slot
// failed (its end was then not the file's real end); nonzero otherwise.
int file_close(int slot);
// Closes every open slot.
void file_close_all();

// Puts the completed working file source in place of destination; nonzero
// on success, and source is gone then. Where both lie on one file system
// source is flushed to disk and renamed over the destination, otherwise a
// flushed copy beside the destination is; either way the destination holds
// its old or its new content at every instant. Permission bits and owner
// are kept, a symbolic link is replaced at its target. Refused (0, source
// kept) while destination is open in a File slot, while source is being
// written, and for a write-protected destination or folder.
int file_replace(const Path& source, const Path& destination);
// Removes a directory entry; a file held open by a File slot stays (0).
int file_delete(const Path& path);
// Nonzero when a directory entry of that name exists (links not followed).
int file_entry_exists(const Path& path);
// Nonzero when both paths name the same file: one existing file (links
// followed), or one name in one folder whether it exists or not.
int file_same(const Path& a, const Path& b);
// Removes the temporary copies that replacements killed midway left beside
// the file that path finally names (links followed).
void file_remove_leftover_copies(const Path& path);

// Claims a folder for this process until folder_locks_release or the
// process's end (the system drops the claim of a process that dies).
// Returns FOLDER_CLAIMED, or FOLDER_BUSY when another process holds it; a
// folder that cannot be claimed at all counts as claimed.
enum : int { FOLDER_BUSY = 0, FOLDER_CLAIMED = 1 };
int folder_lock(const Path& folder);
// The same for the folder that holds the file that path finally names
// (links followed): the claim outlives every replacement of the file.
int folder_lock_of_file(const Path& path);
void folder_locks_release();

// The system's reason for the last failed file operation, one line.
Text file_failure_reason();
// Sets that reason, for a refusal of the program's own.
void file_set_failure_reason(const Text& reason);

// Fault seam for tests: every later open of path for reading gives a file
// whose reads fail with an I/O error once after_bytes bytes have been read.
// An empty path ends it.
void file_inject_read_error(const Path& path, long long after_bytes);

// The current directory, whole (no length limit); empty on failure.
Path directory_get_current();
int directory_set_current(const Path& path);
// The directory separator of the platform ("/" or "\").
const char* directory_separator();

// The index-th command-line argument after the program path, or empty.
Path program_parameter(int index);
