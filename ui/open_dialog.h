// What the open-file dialog of either platform begins with, taken from the
// default path the run gives it: the rule is written once, here.
#pragma once

#include <string>
#include <string_view>

#include "base/path.h"

// Whether a name may be preset in the dialog's name field: not empty, no
// control character and none of " * / : < > ? \ | (a pattern such as
// *.telvor is no such name).
bool is_valid_file_name(std::string_view name);

// The default path split at its last separator ("/", and on Windows "\"
// too), both parts in the system's own form.
struct DialogStart {
    std::string folder;  // where the dialog opens; empty: where it likes
    std::string name;    // for the name field; empty where it is no valid file name
};
// A root keeps its separator ("/", "\", "C:\"); a path without a separator
// is a name alone.
DialogStart dialog_start(const Path& default_path, bool windows_names);
