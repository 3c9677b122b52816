// Line files in numbered File slots, and the other file-system and process
// services of a run.
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
// Every operation that fails leaves the system's reason for it behind, for
// file_failure_reason. All of it goes through the system-call table of
// sys/os.h, written once for every platform.
#pragma once

#include <string_view>
#include <vector>

#include "base/path.h"
#include "base/text.h"

enum : int {
    FILE_SLOT_COUNT = 8,
    FILE_BUFFER_SIZE = 262144,  // bytes buffered per slot
};

// Process start: keeps the command line for program_parameter, makes a
// file-size limit or a closed pipe a write error instead of a killed
// process, and (with glibc) has freed memory kept by the process rather than
// handed back to the system, since a run allocates texts of the Guide
// text's size over and over.
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
// The same as a view of the slot's own bytes, valid until the next read
// from the slot: no copy is made.
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
// Writes pending bytes and closes the slot; closing a closed slot does
// nothing. Returns 0 when any write, flush or close of a writing slot failed
// (full disk, file-size limit, lost medium), or when a read of a reading slot
// failed (its end was then not the file's real end); nonzero otherwise.
int file_close(int slot);
// Closes every open slot.
void file_close_all();

// Puts the completed working file source in place of destination (links
// followed) and keeps the destination's owner, group, permission bits,
// extended attributes and names; nonzero on success, and source is gone
// then. The destination holds its old or its new content at every instant,
// or, while it is rewritten in place, its old content waits in a flushed
// journal beside it that file_recover puts back. Refused (0, source kept)
// while destination is open in a File slot, while source is being written,
// for a write-protected destination, where another process holds the
// destination's lock, and where a rewrite in place would need a journal in
// a folder that may not be written. The lock of the destination is taken
// for this process and moves to the new file.
int file_replace(const Path& source, const Path& destination);

// What file_recover found under the name of a file's journal.
struct Recovery {
    enum class Outcome {
        none,      // no journal: nothing to do
        restored,  // the old content was put back and the journal removed
        refused,   // something stands there that is not applied: nothing was changed
        failed,    // a journal that may be applied could not be (reason kept)
    };
    Outcome outcome = Outcome::none;
    Path journal;        // the journal's path (all outcomes but none)
    // refused: what is wrong with it, one phrase ("it is a link", ...), and
    // where someone else made it, that account's name.
    std::string why;
    std::string stranger;
};
// Before a file is worked on: removes the temporary files that replacements
// killed midway left beside it, and puts back the old content of a rewrite
// in place that was interrupted. Only a journal this run may trust is
// applied (a plain file with one name, made by this user or the
// administrator, that this run may remove, of this very file, whole); any
// other entry under a journal's name is left as it is.
[[nodiscard]] Recovery file_recover(const Path& path);
// The name of the journal of the file at path (beside it), empty when the
// file cannot be told (it is missing).
Path file_journal_path(const Path& path);
// Removes a directory entry; a file held open by a File slot stays (0).
int file_delete(const Path& path);
// Nonzero when a directory entry of that name exists (links not followed).
int file_entry_exists(const Path& path);
// Nonzero when name is a plain file that is another name of the file path
// finally names (a hard link), not the entry path leads to itself.
int file_is_other_name(const Path& name, const Path& path);
// Nonzero when both paths name the same file: one existing file (links
// followed), or one name in one folder whether it exists or not.
int file_same(const Path& a, const Path& b);
// Claims a folder for this process until folder_locks_release or the
// process's end (the system drops the claim of a process that dies).
// Returns FOLDER_CLAIMED (also where no folder is: nothing there can be
// written), FOLDER_BUSY when another process holds it, or FOLDER_FAILED
// when it cannot be locked (the reason kept).
enum : int { FOLDER_BUSY = 0, FOLDER_CLAIMED = 1, FOLDER_FAILED = 2 };
int folder_lock(const Path& folder);
// The same for the folder that holds the file that path finally names
// (links followed), and for that file itself: the folder's claim outlives
// every replacement of the file, the file's claim moves with it, and a run
// on another name of the file (a hard link in another folder) finds it busy.
int folder_lock_of_file(const Path& path);
void folder_locks_release();

// An editor's claim on a file: its swap or lock file beside it, or (where
// the system has sharing modes) an open that lets nobody else read it.
struct EditorFile {
    Text editor;        // "Vim", "Emacs", "LibreOffice", "Kate", "Microsoft Office", "another program"
    Path path;          // the swap or lock file; the file itself for an open that shares nothing
    bool live = true;   // its process runs, or the file does not say that it does not
    unsigned long long process = 0;  // the process it names (0: none)
};
// Looks for the editors' claims on the file that path finally names (links
// followed): Vim's swap files (.NAME.swp, .swo, ...), Emacs's lock
// (.#NAME), LibreOffice's (.~lock.NAME#), Kate's (.NAME.kate-swp), on
// Windows Office's owner file (~$NAME), and an open of the file that shares
// nothing. Vim's and Emacs's files name a process and a machine: one whose
// process no longer runs on this machine is not live. False when the
// folder or the file could not be looked at (the failure kept).
bool file_editors_find(const Path& path, std::vector<EditorFile>& found);

// The system's reason for the last failed file operation, one line.
Text file_failure_reason();
// The same for the user: in plain words where the system's error is one of
// the common causes ("it does not exist", "it is write-protected", "no
// permission", "the file system is read-only", "the disk is full", "another
// program has the file open"), else as above. path: the file the caller
// named, looked at where no other file was noted (file_failure_path).
Text file_failure_plain_reason(const Path& path);
// Sets that reason, for a refusal of the program's own.
void file_set_failure_reason(const Text& reason);
// Where the last failure concerned another file than the one the caller
// named (a working file that vanished, a journal, a folder that could not
// be flushed): what was being done to it, and its path. "" and an empty
// path otherwise.
const char* file_failure_doing();
Path file_failure_path();

// The current directory, whole (no length limit); empty on failure.
Path directory_get_current();
int directory_set_current(const Path& path);
// Makes the folder (its parent must exist); nonzero when a folder of that
// name exists afterwards, made now or before.
int directory_create(const Path& path);
// The directory separator of the platform ("/" or "\").
const char* directory_separator();

// The index-th command-line argument after the program path, or empty.
Path program_parameter(int index);
