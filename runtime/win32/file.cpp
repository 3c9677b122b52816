// Opening files into File slots on Win32, and the other operations on
// directory entries. The slots' buffering lives in runtime/file_slots.cpp;
// this file gives it ReadFile, WriteFile and CloseHandle.
//
// The sharing modes keep the slots' files apart from every other open, this
// process's and others': a file read in a slot may be read elsewhere but not
// written, deleted or replaced; a file written in a slot is not opened
// elsewhere at all. The slots also check among themselves by identity, so
// that a refusal reads the same as on other systems.
#include "runtime/file.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "runtime/file_slots.h"
#include "runtime/win32/win32_io.h"

namespace {

using telvor_win32::FileId;
using telvor_win32::note_failure;

// The most one WriteFile or ReadFile moves.
constexpr std::size_t MAX_TRANSFER = 1u << 30;

file_slots::Handle slot_handle(HANDLE handle) { return reinterpret_cast<file_slots::Handle>(handle); }
HANDLE system_handle(file_slots::Handle handle) { return reinterpret_cast<HANDLE>(handle); }
file_slots::Identity identity_of(const FileId& id) { return {id.volume, id.index}; }

// Puts a freshly opened handle into a prepared slot, or closes it and fails
// when the file is not a plain file on a disk or may not be opened beside
// the other slots' files.
bool install(int slot, HANDLE handle, file_slots::Mode mode, const Path& path) {
    FileId id;
    if (::GetFileType(handle) != FILE_TYPE_DISK || !telvor_win32::handle_id(handle, id)) {
        ::CloseHandle(handle);
        note_failure("it is not a plain file");
        return false;
    }
    return file_slots::install(slot, slot_handle(handle), identity_of(id), mode, path.native);
}

// A new file where no entry stands (CREATE_NEW), shared with no one while
// it is written.
int create_exclusive(int slot, const Path& path) {
    if (!file_slots::prepare(slot)) return 0;
    const std::wstring name = telvor_win32::system_path(path.native);
    const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        note_failure(::GetLastError());
        return 0;
    }
    if (install(slot, handle, file_slots::Mode::writing, path)) return 1;
    ::DeleteFileW(name.c_str());
    return 0;
}

// Removes whatever stands under a working file's name: a file (write
// protected or not), a link of either kind, an empty folder. A folder that
// is not empty stays, and so does a file open elsewhere without sharing
// deletion (the exclusive create then fails).
void remove_entry(const std::wstring& name) {
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        ::RemoveDirectoryW(name.c_str());
        return;
    }
    if (::DeleteFileW(name.c_str())) return;
    if ((attributes & FILE_ATTRIBUTE_READONLY) && ::GetLastError() == ERROR_ACCESS_DENIED &&
        ::SetFileAttributesW(name.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) &&
        !::DeleteFileW(name.c_str()))
        ::SetFileAttributesW(name.c_str(), attributes);
}

}  // namespace

namespace file_slots {

long long platform_read(Handle handle, char* buffer, std::size_t size, long& error) {
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(size < MAX_TRANSFER ? size : MAX_TRANSFER);
    if (::ReadFile(system_handle(handle), buffer, wanted, &got, nullptr)) return got;
    error = static_cast<long>(::GetLastError());
    return -1;
}

bool platform_write(Handle handle, const char* data, std::size_t size, long& error) {
    while (size > 0) {
        const DWORD piece = static_cast<DWORD>(size < MAX_TRANSFER ? size : MAX_TRANSFER);
        DWORD written = 0;
        if (!::WriteFile(system_handle(handle), data, piece, &written, nullptr)) {
            error = static_cast<long>(::GetLastError());
            return false;
        }
        if (written == 0) {
            error = ERROR_WRITE_FAULT;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool platform_close(Handle handle, long& error) {
    if (::CloseHandle(system_handle(handle))) return true;
    error = static_cast<long>(::GetLastError());
    return false;
}

void platform_note_failure(long error) { note_failure(static_cast<DWORD>(error)); }

long platform_io_error() { return ERROR_READ_FAULT; }

}  // namespace file_slots

namespace telvor_win32 {

bool file_is_open_in_slot(const FileId& id, bool writers_only) {
    return file_slots::holds(identity_of(id), writers_only);
}

}  // namespace telvor_win32

int file_open_read(int slot, const Path& path) {
    if (!file_slots::prepare(slot)) return 0;
    const std::wstring name = telvor_win32::system_path(path.native);
    const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            note_failure("it is a folder");
        else
            note_failure(error);
        return 0;
    }
    return install(slot, handle, file_slots::Mode::reading, path) ? 1 : 0;
}

int file_create(int slot, const Path& path) { return create_exclusive(slot, path); }

int file_create_working(int slot, const Path& path) {
    remove_entry(telvor_win32::system_path(path.native));
    return create_exclusive(slot, path);
}

int file_delete(const Path& path) {
    const std::wstring name = telvor_win32::system_path(path.native);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    FileId id;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
        telvor_win32::path_id(name, id) && telvor_win32::file_is_open_in_slot(id, false)) {
        note_failure("the file is in use by this run");
        return 0;
    }
    if (!::DeleteFileW(name.c_str())) {
        note_failure(::GetLastError());
        return 0;
    }
    return 1;
}

int file_entry_exists(const Path& path) {
    const std::wstring name = telvor_win32::system_path(path.native);
    if (::GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES) return 1;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                   error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME
               ? 0
               : 1;
}

int file_same(const Path& a, const Path& b) {
    using namespace telvor_win32;
    const std::wstring first = system_path(a.native), second = system_path(b.native);
    FileId one, two;
    if (path_id(first, one) && path_id(second, two)) return one == two ? 1 : 0;
    // A name not (yet) there is the same name when it stands in the same folder.
    if (!same_name(name_of(first), name_of(second))) return 0;
    return path_id(parent_of(first), one) && path_id(parent_of(second), two) && one == two ? 1 : 0;
}
