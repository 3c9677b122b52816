#include "ui/open_dialog.h"

bool is_valid_file_name(std::string_view name) {
    if (name.empty()) return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 32 || std::string_view("\"*/:<>?\\|").find(c) != std::string_view::npos)
            return false;
    return true;
}

DialogStart dialog_start(const Path& default_path, bool windows_names) {
    const std::string& path = default_path.native;
    const std::size_t cut = path.find_last_of(windows_names ? "/\\" : "/");
    DialogStart start;
    start.name = cut == std::string::npos ? path : path.substr(cut + 1);
    if (!is_valid_file_name(start.name)) start.name.clear();
    if (cut == std::string::npos) return start;
    start.folder = path.substr(0, cut);
    const bool drive = windows_names && start.folder.size() == 2 && start.folder[1] == ':';
    if (start.folder.empty() || drive) start.folder = path.substr(0, cut + 1);
    return start;
}
