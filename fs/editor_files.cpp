// The swap and lock files editors keep beside a file they have open, and
// whether the process that made one still runs: a file written by an editor
// that holds an old copy would undo whatever a run wrote.
#include "fs/editor_files.h"

#include <cstdint>
#include <string>
#include <vector>

#include "sys/os.h"

namespace {

// Vim's swap file begins with its block 0: "b0", the version ("VIM 9.0"),
// then at fixed places the process number (four bytes, least significant
// first) and the machine's name (up to 40 bytes, ended by a 0 byte).
constexpr std::size_t VIM_PROCESS_AT = 24;
constexpr std::size_t VIM_HOST_AT = 68;
constexpr std::size_t VIM_HOST_SIZE = 40;
constexpr std::size_t LOCK_TEXT_SIZE = 512;  // more than any lock says

// What a swap or lock file says of the process that holds it.
struct Holder {
    std::uint64_t process = 0;  // 0: it does not say
    std::string host;
};

bool is_lower(char c) { return c >= 'a' && c <= 'z'; }

// The editor whose swap or lock file entry is, for the file name; nullptr
// for none.
const char* editor_of(const std::string& entry, const std::string& name) {
    // Vim: ".NAME.swp", then ".swo", ".swn" and on down to ".saa" while the
    // names before are taken. A hidden file gets no second dot.
    const std::string vim = (name.starts_with(".") ? name : "." + name) + ".s";
    if (entry.size() == vim.size() + 2 && os::same_name(entry.substr(0, vim.size()), vim) &&
        is_lower(entry[vim.size()]) && is_lower(entry[vim.size() + 1]))
        return "Vim";
    if (os::same_name(entry, ".#" + name)) return "Emacs";
    if (os::same_name(entry, ".~lock." + name + "#")) return "LibreOffice";
    if (os::same_name(entry, "." + name + ".kate-swp")) return "Kate";
    if (WINDOWS_NAMES && os::same_name(entry, "~$" + name)) return "Microsoft Office";
    return nullptr;
}

// The first bytes of a plain file (never a FIFO or a device); false when it
// cannot be read or is no plain file.
bool read_head(const std::string& path, std::string& head) {
    os::Handle handle;
    if (!os::open(path, os::Open::read, handle)) return false;
    os::Info info;
    head.assign(LOCK_TEXT_SIZE, '\0');
    long long got = -1;
    if (os::handle_info(handle, info) && info.kind == os::Kind::file) got = os::read(handle, head.data(), head.size());
    os::close(handle);
    head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return got >= 0;
}

Holder vim_holder(const std::string& path) {
    Holder holder;
    std::string head;
    if (!read_head(path, head) || head.size() < VIM_HOST_AT + VIM_HOST_SIZE || !head.starts_with("b0VIM "))
        return holder;
    for (std::size_t i = 4; i-- > 0;)
        holder.process = holder.process << 8 | static_cast<unsigned char>(head[VIM_PROCESS_AT + i]);
    const std::string host = head.substr(VIM_HOST_AT, VIM_HOST_SIZE);
    holder.host = host.substr(0, host.find('\0'));
    return holder;
}

// Emacs's lock is a link (a file where links cannot be made) that reads
// "USER@HOST.PROCESS:BOOT-TIME", the boot time optional.
Holder emacs_holder(const std::string& path, os::Kind kind) {
    Holder holder;
    std::string text;
    if (kind == os::Kind::link ? !os::link_text(path, text) : kind != os::Kind::file || !read_head(path, text))
        return holder;
    const std::size_t at = text.find('@');
    const std::size_t colon = text.find(':', at == std::string::npos ? 0 : at);
    const std::string owner = text.substr(0, colon);
    const std::size_t dot = owner.rfind('.');
    if (at == std::string::npos || dot == std::string::npos || dot <= at + 1 || dot + 1 == owner.size()) return holder;
    std::uint64_t process = 0;
    for (std::size_t i = dot + 1; i < owner.size(); ++i) {
        if (owner[i] < '0' || owner[i] > '9' || process > UINT32_MAX) return holder;
        process = process * 10 + static_cast<unsigned>(owner[i] - '0');
    }
    holder.process = process;
    holder.host = owner.substr(at + 1, dot - at - 1);
    return holder;
}

char lowered(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// One machine's names: the same letters (case aside), or the one the first
// label of the other ("box" and "box.example.org").
bool same_host(const std::string& a, const std::string& b) {
    const std::string& shorter = a.size() <= b.size() ? a : b;
    const std::string& longer = a.size() <= b.size() ? b : a;
    if (shorter.empty()) return false;
    for (std::size_t i = 0; i < shorter.size(); ++i)
        if (lowered(shorter[i]) != lowered(longer[i])) return false;
    return longer.size() == shorter.size() || longer[shorter.size()] == '.';
}

// Whether the process a swap or lock file names may still hold the file:
// only one that is known not to run on this machine does not.
bool holder_live(const Holder& holder) {
    std::string here;
    bool running = true;
    if (holder.process == 0 || !os::host_name(here) || !same_host(holder.host, here)) return true;
    return !os::process_running(holder.process, running) || running;
}

}  // namespace

FileResult file_editors_find(const Path& path, std::vector<EditorFile>& found) {
    found.clear();
    std::string target;
    if (!os::final_path(path.native, target)) return system_failure("read", path.native);
    const std::string folder = path_parent(target), name = path_name(target);
    std::vector<std::string> entries;
    if (!os::list_folder(folder, entries)) {
        // Where no folder is, no editor has a file.
        if (os::last_error_kind() == os::Error::missing) return {};
        return system_failure("look into the folder", folder);
    }

    // An open of the file that shares nothing (a sharing mode where the
    // system has them) refuses this one.
    os::Handle handle;
    if (os::open(target, os::Open::read, handle)) {
        if (!os::close(handle)) return system_failure("read", target);
    } else if (os::last_error_kind() == os::Error::in_use) {
        found.push_back({"another program", Path{target}, true, 0});
    }

    for (const std::string& entry : entries) {
        const char* editor = editor_of(entry, name);
        if (editor == nullptr) continue;
        // Named as the file is: beside a name given without a folder, by its name alone.
        EditorFile file{editor, Path{folder == "." ? entry : path_join(folder, entry)}, true, 0};
        os::Info info;
        const os::Kind kind = os::path_info(file.path.native, info) ? info.kind : os::Kind::other;
        const std::string editor_name = editor;
        const Holder holder = editor_name == "Vim"     ? vim_holder(file.path.native)
                              : editor_name == "Emacs" ? emacs_holder(file.path.native, kind)
                                                       : Holder{};
        file.process = holder.process;
        file.live = holder_live(holder);
        found.push_back(file);
    }
    return {};
}
