// Choosing the Event file, creating a new one, and replacing it from a
// working file.
#pragma once

#include "runtime/text.h"

enum : int { EVENT_SLOT = 1, PROBE_SLOT = 3 };

// Fixes the Event file path: the first program parameter, else the file
// picked or named in the open-file dialog; a new name gets the extension
// ".telvor" and the New-file header. False when the dialog was cancelled.
bool choose_event_file();

// The first line of the New-file header for a file created at the given time.
Text creation_line(const Text& event_file_path, long long now);

// Puts a working file in place of the Event file and deletes it. Only a
// working file that this run wrote completely is copied; any other is just
// deleted, and the Event file keeps its content. True when the Event file
// was replaced.
bool replace_event_file(const Text& working_path, bool written_completely);

// The next line of a File slot without its trailing spaces, into line.
void read_trimmed_line(int slot, Text& line);
// Reads the next line of one slot and writes it, without its trailing
// spaces, to another.
void copy_trimmed_line(int from_slot, int to_slot);

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
