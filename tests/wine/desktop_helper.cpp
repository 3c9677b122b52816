// What the desktop tests under Wine need of the Windows side:
//
//   telvor-desktop-helper own-clipboard FILE
//       puts the text of FILE (UTF-8) on the clipboard as a program does
//       that hands its text over only when asked for it (delayed
//       rendering), and answers such requests until it is ended; stopped,
//       it is an owner that does not answer. Prints "ready" once it holds
//       the clipboard.
//   telvor-desktop-helper window-text TITLE
//       prints the texts of the controls of the shown window of that title
//       (a message box's message, its buttons), one a line, in UTF-8.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::wstring text;

std::wstring wide_from_utf8(const std::string& bytes) {
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                           nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size);
    return wide;
}

std::string utf8(const std::wstring& wide) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), size,
                          nullptr, nullptr);
    return bytes;
}

void render() {
    const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) return;
    std::memcpy(::GlobalLock(memory), text.c_str(), size);
    ::GlobalUnlock(memory);
    if (::SetClipboardData(CF_UNICODETEXT, memory) == nullptr) ::GlobalFree(memory);
}

LRESULT CALLBACK owner_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_RENDERFORMAT:
        render();
        return 0;
    case WM_RENDERALLFORMATS:
        if (::OpenClipboard(window)) {
            render();
            ::CloseClipboard();
        }
        return 0;
    default:
        return ::DefWindowProcW(window, message, w, l);
    }
}

int own_clipboard() {
    WNDCLASSW kind{};
    kind.lpfnWndProc = owner_procedure;
    kind.hInstance = ::GetModuleHandleW(nullptr);
    kind.lpszClassName = L"TELVOR.TestClipboardOwner";
    ::RegisterClassW(&kind);
    const HWND window = ::CreateWindowW(kind.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        kind.hInstance, nullptr);
    if (window == nullptr || !::OpenClipboard(window)) return 1;
    ::EmptyClipboard();
    ::SetClipboardData(CF_UNICODETEXT, nullptr);
    ::CloseClipboard();
    std::puts("ready");
    std::fflush(stdout);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}

int window_text(const std::wstring& title) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, nullptr, title.c_str())) != nullptr)
        if (::IsWindowVisible(window)) break;
    if (window == nullptr) return 1;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM) -> BOOL {
            wchar_t buffer[4096];
            const int length = ::GetWindowTextW(child, buffer, 4096);
            if (length > 0) std::printf("%s\n", utf8(std::wstring(buffer, length)).c_str());
            return TRUE;
        },
        0);
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"own-clipboard" && argc == 3) {
        std::ifstream in(argv[2], std::ios::binary);
        text = wide_from_utf8(std::string(std::istreambuf_iterator<char>(in), {}));
        return own_clipboard();
    }
    if (command == L"window-text" && argc == 3) return window_text(argv[2]);
    std::fputs("usage: telvor-desktop-helper own-clipboard FILE | window-text TITLE\n", stderr);
    return 2;
}
