// This test program started again as a child with other arguments and an
// environment variable set, and its end awaited (Windows).
#pragma once

#include <windows.h>

#include <string>

inline HANDLE start_child(const std::wstring& arguments, const wchar_t* variable, const std::wstring& value) {
    wchar_t self[MAX_PATH * 4];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    std::wstring line = L"\"" + std::wstring(self) + L"\" " + arguments;
    ::SetEnvironmentVariableW(variable, value.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started =
        ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    ::SetEnvironmentVariableW(variable, nullptr);
    if (!started) return nullptr;
    ::CloseHandle(process.hThread);
    return process.hProcess;
}

inline DWORD exit_code_of(HANDLE process) {
    DWORD code = 1;
    ::WaitForSingleObject(process, 60000);
    ::GetExitCodeProcess(process, &code);
    ::CloseHandle(process);
    return code;
}
