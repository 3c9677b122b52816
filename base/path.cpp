#include "base/path.h"

#include "base/codepage.h"

namespace {

bool is_separator(char c) { return c == '/' || (WINDOWS_NAMES && c == '\\'); }
bool is_drive(std::string_view path) { return WINDOWS_NAMES && path.size() >= 2 && path[1] == ':'; }

}  // namespace

bool path_is_absolute(std::string_view path) {
    if (!path.empty() && is_separator(path.front())) return true;
    return is_drive(path) && path.size() >= 3 && is_separator(path[2]);
}

std::string path_parent(std::string_view path) {
    std::size_t cut = path.size();
    while (cut > 0 && !is_separator(path[cut - 1])) --cut;
    if (cut == 0) return is_drive(path) ? std::string(path.substr(0, 2)) : ".";  // "C:name": drive C's folder
    std::size_t end = cut - 1;
    while (end > 0 && is_separator(path[end - 1])) --end;
    // A root keeps its separator: "/", "\" and "C:\".
    if (end == 0 || (end == 2 && is_drive(path))) return std::string(path.substr(0, end + 1));
    return std::string(path.substr(0, end));
}

std::string path_name(std::string_view path) {
    std::size_t cut = path.size();
    while (cut > 0 && !is_separator(path[cut - 1])) --cut;
    if (cut == 0 && is_drive(path)) cut = 2;
    return std::string(path.substr(cut));
}

std::string path_join(std::string_view folder, std::string_view name) {
    std::string joined(folder);
    if (!folder.empty() && !is_separator(folder.back()) && !(folder.size() == 2 && is_drive(folder)))
        joined += PATH_SEPARATOR;
    joined += name;
    return joined;
}

Path path_join(const Path& folder, std::string_view name) { return Path{path_join(folder.native, name)}; }

Text path_display(const Path& path) { return cp1252_from_utf8(path.native); }
