// file_replace on Win32: a completed working file takes the Event file's
// place in one step.
//
// The working file is flushed to disk, given the attributes and creation
// time of the file it replaces, and moved over it with MoveFileExW
// (MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), one rename on the
// volume. Where the target lies on another volume a copy is written beside
// it under a temporary name, flushed, and moved over it the same way; the
// working file is deleted then. Either way the target holds its old or its
// new content at every instant. A link is replaced at its final target.
#include "runtime/file.h"

#include <string>
#include <vector>

#include "runtime/win32/win32_io.h"

namespace {

using telvor_win32::join;
using telvor_win32::name_of;
using telvor_win32::note_failure;
using telvor_win32::parent_of;

// The longest name most file systems take, in UTF-16 units.
constexpr std::size_t NAME_MAX_UNITS = 255;
constexpr wchar_t TEMP_MARKER[] = L".telvor-tmp-";
constexpr std::size_t SUFFIX_LENGTH = 6;
constexpr DWORD MOVE_FLAGS = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
// The attributes a new content takes over from the file it replaces.
constexpr DWORD KEPT_ATTRIBUTES = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The name a temporary copy of target gets, before its random suffix.
std::wstring temporary_prefix(const std::wstring& target) {
    std::wstring base = name_of(target);
    const std::size_t room = NAME_MAX_UNITS - (std::size(TEMP_MARKER) - 1) - SUFFIX_LENGTH;
    if (base.size() > room) base.resize(room);
    return base + TEMP_MARKER;
}

// What is known of the file being replaced.
struct Target {
    std::wstring path;
    bool exists = false;
    DWORD attributes = 0;
    FILETIME created{};
};

// The checks before a replacement: the target is a plain file (or absent)
// without the read-only attribute, in a folder that exists.
bool may_replace(Target& t) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (::GetFileAttributesExW(t.path.c_str(), GetFileExInfoStandard, &data)) {
        t.exists = true;
        t.attributes = data.dwFileAttributes;
        t.created = data.ftCreationTime;
        if (t.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
            note_failure("it is not a plain file");
            return false;
        }
        if (t.attributes & FILE_ATTRIBUTE_READONLY) {
            note_failure(ERROR_ACCESS_DENIED);
            return false;
        }
    } else {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            note_failure(error);
            return false;
        }
    }
    const DWORD folder = ::GetFileAttributesW(parent_of(t.path).c_str());
    if (folder == INVALID_FILE_ATTRIBUTES || (folder & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        note_failure(ERROR_PATH_NOT_FOUND);
        return false;
    }
    return true;
}

// Flushes an open file to disk and gives it the target's creation time.
bool finish_file(HANDLE handle, const Target& t) {
    if (t.exists) ::SetFileTime(handle, &t.created, nullptr, nullptr);
    if (!::FlushFileBuffers(handle)) {
        note_failure(::GetLastError());
        return false;
    }
    return true;
}

// Gives the closed new content the target's attributes and moves it over
// the target; 0 or the error of the failed move.
DWORD move_over(const std::wstring& from, const Target& t) {
    if (t.exists) {
        const DWORD kept = t.attributes & KEPT_ATTRIBUTES;
        ::SetFileAttributesW(from.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
    }
    if (::MoveFileExW(from.c_str(), t.path.c_str(), MOVE_FLAGS)) return 0;
    const DWORD error = ::GetLastError();
    note_failure(error);
    return error;
}

bool copy_bytes(HANDLE from, HANDLE to) {
    std::vector<char> buffer(65536);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            note_failure(::GetLastError());
            return false;
        }
        if (got == 0) return true;
        const char* data = buffer.data();
        while (got > 0) {
            DWORD written = 0;
            if (!::WriteFile(to, data, got, &written, nullptr)) {
                note_failure(::GetLastError());
                return false;
            }
            if (written == 0) {
                note_failure(ERROR_WRITE_FAULT);
                return false;
            }
            data += written;
            got -= written;
        }
    }
}

// A temporary file beside the target, made exclusively under a fresh name.
HANDLE create_temporary(const Target& t, std::wstring& name) {
    static const wchar_t LETTERS[] =
        L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static unsigned long long state = 0;
    if (state == 0) {
        LARGE_INTEGER counter;
        ::QueryPerformanceCounter(&counter);
        state = static_cast<unsigned long long>(counter.QuadPart) ^
                (static_cast<unsigned long long>(::GetCurrentProcessId()) << 32) ^ 0x9E3779B97F4A7C15ull;
    }
    const std::wstring prefix = join(parent_of(t.path), temporary_prefix(t.path));
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix;
        for (std::size_t i = 0; i < SUFFIX_LENGTH; ++i) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            name.push_back(LETTERS[state % (std::size(LETTERS) - 1)]);
        }
        const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) return handle;
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    note_failure(::GetLastError());
    return INVALID_HANDLE_VALUE;
}

// The copy: written beside the target, flushed and moved over it.
bool copy_over(HANDLE source, const Target& t) {
    LARGE_INTEGER start{};
    ::SetFilePointerEx(source, start, nullptr, FILE_BEGIN);
    std::wstring temp;
    const HANDLE out = create_temporary(t, temp);
    if (out == INVALID_HANDLE_VALUE) return false;
    bool ok = copy_bytes(source, out) && finish_file(out, t);
    if (!::CloseHandle(out) && ok) {
        note_failure(::GetLastError());
        ok = false;
    }
    if (ok && move_over(temp, t) == 0) return true;
    ::DeleteFileW(temp.c_str());
    return false;
}

}  // namespace

int file_replace(const Path& source, const Path& destination) {
    if (source.empty() || destination.empty()) {
        note_failure(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const std::wstring from = telvor_win32::system_path(source.native);
    const std::wstring to = telvor_win32::system_path(destination.native);
    // A file held open by a slot is not replaced under it.
    if (telvor_win32::path_is_open_in_slot(to, false)) {
        note_failure("the file is in use by this run");
        return 0;
    }
    // Opened for writing, to be flushed; a file still being written (in a
    // slot or anywhere else) refuses this open or is found in a slot.
    const HANDLE in = ::CreateFileW(from.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (in == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            note_failure("the working file is not complete");
        else
            note_failure(error);
        return 0;
    }
    telvor_win32::FileId id;
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileType(in) != FILE_TYPE_DISK || !::GetFileInformationByHandle(in, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
        !telvor_win32::handle_id(in, id) || telvor_win32::file_is_open_in_slot(id, true)) {
        note_failure("the working file is not complete");
        ::CloseHandle(in);
        return 0;
    }

    Target target;
    target.path = telvor_win32::resolve_target(to);
    if (!may_replace(target)) {
        ::CloseHandle(in);
        return 0;
    }
    // The working file itself becomes the file where the volume allows it.
    if (!finish_file(in, target)) {
        ::CloseHandle(in);
        return 0;
    }
    ::CloseHandle(in);
    const DWORD error = move_over(from, target);
    if (error == 0) return 1;
    if (error != ERROR_NOT_SAME_DEVICE) return 0;

    const HANDLE again = ::CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (again == INVALID_HANDLE_VALUE) {
        note_failure(::GetLastError());
        return 0;
    }
    const bool ok = copy_over(again, target);
    ::CloseHandle(again);
    if (ok) ::DeleteFileW(from.c_str());
    return ok ? 1 : 0;
}

void file_remove_leftover_copies(const Path& path) {
    const std::wstring target = telvor_win32::resolve_target(telvor_win32::system_path(path.native));
    const std::wstring prefix = temporary_prefix(target);
    const std::wstring folder = parent_of(target);
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(join(folder, L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name.size() != prefix.size() + SUFFIX_LENGTH ||
            !telvor_win32::same_name(name.substr(0, prefix.size()), prefix))
            continue;
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        ::DeleteFileW(join(folder, name).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}
