// telvor-desktop-helper COMMAND ARG, the Windows side of the desktop tests under Wine:
// own-clipboard FILE: offers FILE's UTF-16LE text, rendered only when asked; prints "ready".
// window-text TITLE: the texts of the shown window's controls, one a line.
// frame TITLE: the frame Windows has around the shown window's client area: left, right, top, bottom.
// clipboard FILE: exits 0 when the clipboard holds FILE's UTF-8 text (up to a 0 byte; CRs aside).
// foreground X11-WINDOW: exits 0 when Wine shows Windows' foreground window as that X11 window.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string text;

LRESULT CALLBACK owner_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_RENDERFORMAT) return ::DefWindowProcW(window, message, w, l);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size());
    if (memory == nullptr) return 0;
    std::memcpy(::GlobalLock(memory), text.data(), text.size());
    ::GlobalUnlock(memory);
    if (::SetClipboardData(CF_UNICODETEXT, memory) == nullptr) ::GlobalFree(memory);
    return 0;
}

int own_clipboard(const wchar_t* file) {
    std::ifstream in(file, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), {});
    text.append(2, '\0');
    WNDCLASSW kind{};
    kind.lpfnWndProc = owner_procedure;
    kind.lpszClassName = L"TELVOR.TestClipboardOwner";
    ::RegisterClassW(&kind);
    const HWND window = ::CreateWindowW(kind.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        nullptr, nullptr);
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

BOOL CALLBACK print_text(HWND control, LPARAM) {
    wchar_t wide[4096];
    char utf8[4 * 4096];
    const int length = ::GetWindowTextW(control, wide, 4096);
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8, sizeof utf8, nullptr, nullptr);
    if (size > 0) std::printf("%.*s\n", size, utf8);
    return TRUE;
}

HWND shown_window(const wchar_t* title) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, nullptr, title)) != nullptr && !::IsWindowVisible(window)) {}
    return window;
}

int window_text(const wchar_t* title) {
    const HWND window = shown_window(title);
    return window == nullptr ? 1 : (::EnumChildWindows(window, print_text, 0), 0);
}

int frame(const wchar_t* title) {
    const HWND window = shown_window(title);
    RECT outer, inner;
    POINT origin{0, 0};
    if (window == nullptr || !::GetWindowRect(window, &outer) || !::GetClientRect(window, &inner) ||
        !::ClientToScreen(window, &origin))
        return 1;
    std::printf("%ld %ld %ld %ld\n", origin.x - outer.left, outer.right - origin.x - inner.right,
                origin.y - outer.top, outer.bottom - origin.y - inner.bottom);
    return 0;
}

int clipboard(const wchar_t* file) {
    std::ifstream in(file, std::ios::binary);
    const std::string utf8(std::istreambuf_iterator<char>(in), {});
    std::wstring wanted(utf8.size() + 1, L'\0');
    wanted.resize(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                                  wanted.data(), static_cast<int>(wanted.size()))));
    wanted.resize(std::wcslen(wanted.c_str()));
    if (!::OpenClipboard(nullptr)) return 1;
    std::wstring held;
    if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT); data != nullptr) {
        held = static_cast<const wchar_t*>(::GlobalLock(data));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    std::erase(held, L'\r'), std::erase(wanted, L'\r');
    return held == wanted ? 0 : 1;
}

int foreground(const wchar_t* x11_window) {
    const HWND window = ::GetForegroundWindow();
    const auto shown = reinterpret_cast<std::uintptr_t>(window != nullptr ? ::GetPropA(window, "__wine_x11_whole_window") : nullptr);
    return shown != 0 && shown == std::wcstoull(x11_window, nullptr, 0) ? 0 : 1;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const std::wstring command = argc == 3 ? argv[1] : L"";
    // Pixels as the screen has them, whatever its DPI.
    ::SetProcessDPIAware();
    if (command == L"own-clipboard") return own_clipboard(argv[2]);
    if (command == L"window-text") return window_text(argv[2]);
    if (command == L"frame") return frame(argv[2]);
    if (command == L"clipboard") return clipboard(argv[2]);
    if (command == L"foreground") return foreground(argv[2]);
    return 2;
}
