// Choosing the Event file, creating a new one, and the passes that put a
// working file in its place.
#pragma once

#include "base/date.h"
#include "base/path.h"
#include "base/text.h"

// refused: the Event file is left alone for a reason said already in a box.
enum class Choice { chosen, cancelled, busy, lock_failed, restore_failed, refused };

// Fixes the Event file: the first program parameter, else the file picked
// or named in the open-file dialog. The file and the folder that holds it
// are claimed for this run (busy when another run holds either,
// lock_failed when one cannot be locked). An Event file that an editor has
// open is left alone (refused). A working file's name that is a second
// name of it is removed, leftovers of killed replacements are cleared, and
// an interrupted rewrite of the Event file is undone from its journal
// (restore_failed when that fails; refused when what stands under the
// journal's name may not be applied). A name under which nothing exists
// gets the extension ".telvor" (unless it has it) and is created with the
// New-file header.
Choice choose_event_file();

// The first line of the New-file header for a file of that name created at
// the given time.
Text creation_line(const Text& event_file_name, DateValue now);

// Opens the Event file for reading in EVENT_SLOT. TELVOR's own files in the
// Program directory (the lists and the working files) are never taken for
// the Event file: they count as unreadable.
bool event_file_open_read();

// Puts a working file in place of the Event file. Only a working file that
// this run wrote completely takes its place; any other is deleted, and the
// Event file keeps its content. True when the Event file was replaced.
bool replace_event_file(const Path& working_path, bool written_completely);


// Opens the Event file for reading and TELVOR.DAT for writing, for a pass
// that writes the Event file's next version. When either fails, the Event
// view gets its "Not reading..." or "Not writing..." lines and the result
// is false.
bool begin_data_file_pass();
// Closes both files, puts TELVOR.DAT in place of the Event file if it was
// read and written completely, adds the closing lines (or the "Not
// writing..." lines) to the Event view and scrolls it to the Last shown text.
// True when the Event file was replaced.
bool end_data_file_pass();
