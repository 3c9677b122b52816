// Folder claims on Win32: a named mutex per folder, named after the
// folder's identity (volume serial number and file index), held through a
// handle that stays open until the claim is released. Whoever creates the
// name first holds the folder; the system closes the handles of a process
// that ends, however it ends, and the name goes with the last one. A folder
// is claimed once per process however many paths lead to it.
#include <cstdio>
#include <vector>

#include "runtime/file.h"
#include "runtime/win32/win32_io.h"

namespace {

struct Claim {
    HANDLE mutex;
    telvor_win32::FileId folder;
};

std::vector<Claim> g_claims;

// The name every TELVOR process gives the claim of one folder. The global
// namespace spans the sessions of one machine; where it is refused the
// session's own serves.
HANDLE create_claim(const telvor_win32::FileId& folder, bool& existed) {
    wchar_t name[96];
    for (const wchar_t* space : {L"Global\\", L"Local\\"}) {
        std::swprintf(name, std::size(name), L"%lsTELVOR-folder-%08lx-%016llx", space,
                      static_cast<unsigned long>(folder.volume), folder.index);
        const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name);
        if (mutex != nullptr) {
            existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
            return mutex;
        }
    }
    return nullptr;
}

int claim(const std::wstring& folder) {
    telvor_win32::FileId id;
    if (!telvor_win32::path_id(folder, id)) return FOLDER_CLAIMED;  // nothing there to claim
    for (const Claim& held : g_claims)
        if (held.folder == id) return FOLDER_CLAIMED;
    bool existed = false;
    const HANDLE mutex = create_claim(id, existed);
    if (mutex == nullptr) return FOLDER_CLAIMED;
    if (existed) {
        ::CloseHandle(mutex);
        return FOLDER_BUSY;
    }
    g_claims.push_back({mutex, id});
    return FOLDER_CLAIMED;
}

}  // namespace

int folder_lock(const Path& folder) { return claim(telvor_win32::system_path(folder.native)); }

int folder_lock_of_file(const Path& path) {
    const std::wstring target = telvor_win32::resolve_target(telvor_win32::system_path(path.native));
    return claim(telvor_win32::parent_of(target));
}

void folder_locks_release() {
    for (const Claim& held : g_claims) ::CloseHandle(held.mutex);
    g_claims.clear();
}
