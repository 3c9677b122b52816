#include "base/path.h"

#include "base/codepage.h"

Path path_append(const Path& path, const std::string& tail) { return Path{path.native + tail}; }

Text path_display(const Path& path) { return cp1252_from_utf8(path.native); }
