// Line files in numbered File slots, and the other file-system and process
// services of a run.
//
// Slots: 0 the list files, 1 reading the Event file, 2 the file being
// written, 3 the existence probe. Each open slot has a 4096-byte buffer.
// Lines read end at LF, CR, CR LF or a 0 byte; every line written ends in
// CR LF. Contents are bytes and are never converted; paths are Windows-1252
// texts and are converted for the operating system underneath.
#pragma once

#include "runtime/text.h"

enum : int { FILE_SLOT_COUNT = 8 };

// Process start: keeps the command line for program_parameter and makes a
// file-size limit a write error instead of a killed process.
void program_start(int argc, char** argv);

// Opens an existing file for reading; nonzero on success. A failed open
// leaves the slot closed; an occupied slot is closed first.
int file_open_read(int slot, const Text& path);
// Creates a file, or truncates an existing one, for writing; nonzero on success.
int file_create(int slot, const Text& path);
// As file_create, for the program's own working files: a symbolic link under
// that name is not followed (the create fails), and the file is readable and
// writable by the user alone.
int file_create_private(int slot, const Text& path);
// Nonzero when no further byte can be read; consumes nothing.
int file_at_end(int slot);
// The next line without its line end; the empty text at the end of the file.
Text file_read_line(int slot);
// The same into line, reusing its storage.
void file_read_line_into(int slot, Text& line);
// Writes text and CR LF; returns the length of text plus 2, or 0 when the
// slot holds no file open for writing.
int file_write_line(int slot, const Text& text);
// Writes pending bytes and closes the slot; closing a closed slot does
// nothing. Returns 0 when any write, flush or close of a writing slot failed
// (full disk, file-size limit, lost medium), or when a read of a reading slot
// failed (its end was then not the file's real end); nonzero otherwise.
int file_close(int slot);
// Closes every open slot.
void file_close_all();

// Replaces destination by a copy of source; nonzero on success. Refused (0)
// while destination is open in any File slot. The replacement is atomic: a
// temporary file next to the destination is written, flushed to disk and
// renamed over it, so the destination holds either its old or its new
// content at every instant. Permission bits are kept, a symbolic link is
// replaced at its target, and a write-protected destination or folder is
// not replaced.
int file_copy(const Text& source, const Text& destination);
int file_delete(const Text& path);

// The current directory, whole (no length limit); the empty text on failure.
Text directory_get_current();
int directory_set_current(const Text& path);
// The directory separator of the platform ("/").
Text directory_separator();

// The index-th command-line argument after the program path, or "".
Text program_parameter(int index);
