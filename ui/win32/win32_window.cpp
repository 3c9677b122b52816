// The desktop window services on the Win32 API: the main window with its
// list boxes and group-box frames, the message box, the open-file dialog,
// the clipboard and the wait for the Close event.
//
// Every text crosses the boundary through the program's own Windows-1252
// conversion and the wide-character API, so the program behaves the same
// whatever the system's ANSI code page is.
//
// Between window_open and the final wait the run takes no window events:
// the window is shown at once, its gadgets are first drawn when a modal
// dialog runs its message loop, and a close request waits in the queue.
//
// The program is aware of each monitor's DPI (telvor.manifest): the
// positions and sizes the run gives are pixels at 96 DPI, scaled here, with
// the font and the icons, to the DPI of the monitor the window is on, and
// again when it moves to a monitor of another DPI. The system's message box
// and open-file dialog scale themselves.
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/codepage.h"
#include "sys/win32/win32_io.h"
#include "ui/desktop_window.h"
#include "ui/open_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

// window.h's values go to Windows unchanged.
static_assert(ANSWER_OK == IDOK && ANSWER_CANCEL == IDCANCEL && ANSWER_YES == IDYES && ANSWER_NO == IDNO);
static_assert(ASK_OK == MB_OK && ASK_YES_NO_CANCEL == MB_YESNOCANCEL && ASK_ICON_STOP == MB_ICONSTOP);
static_assert(WINDOW_FLAG_CAPTION == WS_CAPTION && WINDOW_FLAG_SYSMENU == WS_SYSMENU &&
              WINDOW_FLAG_MINIMIZEBOX == WS_MINIMIZEBOX);
// The centring flag is taken out before the rest become the window's style.
static_assert((WINDOW_FLAG_CENTRE & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)) == 0);

namespace {

constexpr wchar_t MAIN_CLASS[] = L"TELVOR.MainWindow";
// Characters the open-file dialog's name field may take (the classic limit
// of 260 is not kept: long paths work).
constexpr std::size_t FILE_NAME_BUFFER = 32768;
// The clipboard may be held by another program for a moment: it is asked
// for again every CLIPBOARD_RETRY_MS, when it is to be emptied for
// CLIPBOARD_CLEAR_WAIT at most.
constexpr DWORD CLIPBOARD_RETRY_MS = 20;
constexpr auto CLIPBOARD_CLEAR_WAIT = std::chrono::milliseconds(200);
// A read gives itself up this much before the time it was given, so that
// its own verdict arrives in time.
constexpr auto CLIPBOARD_READ_MARGIN = std::chrono::milliseconds(100);

using Clock = std::chrono::steady_clock;

// Opens the clipboard, as often as it is found held open until the deadline.
bool open_clipboard(Clock::time_point deadline) {
    for (;;) {
        if (::OpenClipboard(nullptr)) return true;
        if (Clock::now() >= deadline) return false;
        ::Sleep(CLIPBOARD_RETRY_MS);
    }
}

// The DPI the run's positions and sizes are given in.
constexpr int BASE_DPI = 96;
// The icon resource (telvor.rc).
constexpr WORD ICON_RESOURCE = 1;

// The DPI calls of Windows 10 (1607) and later, looked up where they exist:
// on Windows 7 and 8 the program is aware of the system's DPI alone.
struct DpiCalls {
    UINT(WINAPI* dpi_for_window)(HWND) = nullptr;
    BOOL(WINAPI* adjust_window_rect)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    BOOL(WINAPI* parameters_info)(UINT, UINT, PVOID, UINT, UINT) = nullptr;
    int(WINAPI* system_metrics)(int, UINT) = nullptr;
};

template <typename Function>
void look_up(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

const DpiCalls& dpi_calls() {
    static const DpiCalls calls = [] {
        DpiCalls found;
        const HMODULE user = ::GetModuleHandleW(L"user32.dll");
        if (user == nullptr) return found;
        look_up(user, "GetDpiForWindow", found.dpi_for_window);
        look_up(user, "AdjustWindowRectExForDpi", found.adjust_window_rect);
        look_up(user, "SystemParametersInfoForDpi", found.parameters_info);
        look_up(user, "GetSystemMetricsForDpi", found.system_metrics);
        return found;
    }();
    return calls;
}

// The DPI of the system, which every monitor has before Windows 8.1.
UINT system_dpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : BASE_DPI;
}

// The DPI of the monitor the window is on.
UINT dpi_of(HWND window) {
    const auto for_window = dpi_calls().dpi_for_window;
    const UINT dpi = for_window != nullptr ? for_window(window) : 0;
    return dpi != 0 ? dpi : system_dpi();
}

int scaled(int pixels, UINT dpi) { return ::MulDiv(pixels, static_cast<int>(dpi), BASE_DPI); }

int system_metric(int index, UINT dpi) {
    if (dpi_calls().system_metrics != nullptr) return dpi_calls().system_metrics(index, dpi);
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(system_dpi()));
}

// The font of the system's message boxes at that DPI; null where the system
// names none.
HFONT message_font(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (dpi_calls().parameters_info != nullptr) {
        if (!dpi_calls().parameters_info(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) return nullptr;
    } else {
        if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
        metrics.lfMessageFont.lfHeight =
            ::MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(system_dpi()));
    }
    return ::CreateFontIndirectW(&metrics.lfMessageFont);
}

// The program's icon in the size the system shows at that DPI (SM_CXICON
// or SM_CXSMICON).
HICON program_icon(HINSTANCE instance, int size_metric, UINT dpi) {
    const int size = system_metric(size_metric, dpi);
    return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(ICON_RESOURCE), IMAGE_ICON, size, size,
                                           LR_DEFAULTCOLOR));
}

constexpr DWORD LIST_STYLE = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
                             WS_GROUP | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
constexpr DWORD FRAME_STYLE = WS_CHILD | WS_VISIBLE | WS_GROUP | BS_GROUPBOX;

std::wstring wide_text(std::string_view text) {
    const std::u16string utf16 = cp1252_to_utf16(text);
    return std::wstring(utf16.begin(), utf16.end());
}

// "description|pattern|description|pattern" as the dialog wants it: each
// part ended by a 0, the whole by another.
std::wstring filter_of(const Text& pattern) {
    std::wstring filter = wide_text(pattern);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    return filter;
}

class Win32WindowServices final : public WindowServices {
public:
    Win32WindowServices();
    ~Win32WindowServices() override { close_window(); }
    Win32WindowServices(const Win32WindowServices&) = delete;
    Win32WindowServices& operator=(const Win32WindowServices&) = delete;

    TELVOR_WINDOW_SERVICES_OVERRIDES;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void close_window();
    void remove_gadget(int number);
    HWND find_gadget(int number);
    void fit_to_dpi(UINT dpi);
    int create_child(int number, DWORD ex_style, const wchar_t* kind, const Text& text,
                      DWORD style, int x, int y, int width, int height);
    HWND dialog_owner() const;
    std::vector<HWND> disable_other_windows(HWND owner) const;
    static void enable_again(const std::vector<HWND>& windows);
    static ClipboardReading read_clipboard(Clock::time_point deadline);

    // A gadget, and where it goes at 96 DPI.
    struct Gadget {
        HWND window;
        RECT place;
    };

    HINSTANCE instance_ = ::GetModuleHandleW(nullptr);
    Text failure_reason_;
    HWND window_ = nullptr;
    HWND last_focus_ = nullptr;
    std::map<int, Gadget> gadgets_;  // list boxes and frames by number
    // The window's DPI, and its font and icons made for it (the font, where
    // none can be made, the stock one, which is not deleted).
    UINT dpi_ = BASE_DPI;
    HFONT font_ = nullptr;
    HICON big_icon_ = nullptr;
    HICON small_icon_ = nullptr;
    // A close request waiting to be taken by window_wait_event; a second one
    // meanwhile is not queued again.
    bool close_requested_ = false;
};

Win32WindowServices::Win32WindowServices() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
}

LRESULT CALLBACK Win32WindowServices::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(l);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32WindowServices*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && self->window_ == window) return self->handle(message, w, l);
    return ::DefWindowProcW(window, message, w, l);
}

LRESULT Win32WindowServices::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_CLOSE:
        // A close request only reports itself, once while it waits.
        close_requested_ = true;
        return 0;
    case WM_ACTIVATE:
        // The keyboard focus stays with the gadget that had it, as in a dialog.
        if (LOWORD(w) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus != nullptr && ::IsChild(window_, focus)) last_focus_ = focus;
            return 0;
        }
        [[fallthrough]];
    case WM_SETFOCUS: {
        HWND target = last_focus_ != nullptr && ::IsWindow(last_focus_)
                          ? last_focus_
                          : ::GetNextDlgTabItem(window_, nullptr, FALSE);
        if (target != nullptr) ::SetFocus(target);
        return 0;
    }
    case WM_DPICHANGED: {
        // Moved to a monitor of another DPI: the place the system proposes,
        // and everything inside scaled anew.
        const auto* place = reinterpret_cast<const RECT*>(l);
        ::SetWindowPos(window_, nullptr, place->left, place->top, place->right - place->left,
                       place->bottom - place->top, SWP_NOZORDER | SWP_NOACTIVATE);
        fit_to_dpi(HIWORD(w));
        return 0;
    }
    default:
        return ::DefWindowProcW(window_, message, w, l);
    }
}

void Win32WindowServices::close_window() {
    gadgets_.clear();
    if (window_ != nullptr) {
        const HWND window = window_;
        window_ = nullptr;
        ::DestroyWindow(window);
    }
    last_focus_ = nullptr;
    close_requested_ = false;
    if (font_ != nullptr && font_ != ::GetStockObject(DEFAULT_GUI_FONT)) ::DeleteObject(font_);
    for (HICON* icon : {&big_icon_, &small_icon_})
        if (*icon != nullptr) ::DestroyIcon(*icon);
    font_ = nullptr;
    big_icon_ = small_icon_ = nullptr;
}

// Gives the window, its gadgets, their font and the icons the sizes of
// that DPI.
void Win32WindowServices::fit_to_dpi(UINT dpi) {
    dpi_ = dpi;
    const HFONT old_font = font_;
    font_ = message_font(dpi);
    if (font_ == nullptr) font_ = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    for (const auto& [number, gadget] : gadgets_) {
        const RECT& r = gadget.place;
        ::SetWindowPos(gadget.window, nullptr, scaled(r.left, dpi), scaled(r.top, dpi),
                       scaled(r.right - r.left, dpi), scaled(r.bottom - r.top, dpi),
                       SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(gadget.window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    if (old_font != nullptr && old_font != ::GetStockObject(DEFAULT_GUI_FONT)) ::DeleteObject(old_font);
    // The title bar and the task bar show the window's own icons.
    const HICON big = program_icon(instance_, SM_CXICON, dpi);
    const HICON small = program_icon(instance_, SM_CXSMICON, dpi);
    ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    for (HICON* icon : {&big_icon_, &small_icon_})
        if (*icon != nullptr) ::DestroyIcon(*icon);
    big_icon_ = big;
    small_icon_ = small;
}

// There is one main window, whatever its number; opening again replaces it.
int Win32WindowServices::window_open(int /*number*/, int x, int y, int width, int height,
                                     const Text& title, unsigned flags) {
    failure_reason_.clear();
    close_window();

    WNDCLASSEXW kind{};
    kind.cbSize = sizeof kind;
    kind.lpfnWndProc = procedure;
    kind.hInstance = instance_;
    kind.hIcon = ::LoadIconW(instance_, MAKEINTRESOURCEW(ICON_RESOURCE));
    kind.hIconSm = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(ICON_RESOURCE), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    kind.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    kind.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    kind.lpszClassName = MAIN_CLASS;
    if (!::RegisterClassExW(&kind) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        failure_reason_ = telvor_win32::error_text(::GetLastError());
        return 0;
    }

    // Never resizable, never maximised. Made hidden where it is to be, then
    // given the size its monitor's DPI asks for.
    const DWORD style =
        flags & ~DWORD{WINDOW_FLAG_CENTRE | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD | WS_VISIBLE};
    window_ = ::CreateWindowExW(0, MAIN_CLASS, wide_text(title).c_str(), style, x, y, width, height, nullptr,
                                nullptr, instance_, this);
    if (window_ == nullptr) {
        failure_reason_ = telvor_win32::error_text(::GetLastError());
        return 0;
    }
    const UINT dpi = dpi_of(window_);
    RECT outer{0, 0, scaled(width, dpi), scaled(height, dpi)};
    if (dpi_calls().adjust_window_rect != nullptr)
        dpi_calls().adjust_window_rect(&outer, style, FALSE, 0, dpi);
    else
        ::AdjustWindowRectEx(&outer, style, FALSE, 0);
    const int outer_width = outer.right - outer.left;
    const int outer_height = outer.bottom - outer.top;
    if (flags & WINDOW_FLAG_CENTRE) {
        const int screen_width = ::GetSystemMetrics(SM_CXSCREEN);
        const int screen_height = ::GetSystemMetrics(SM_CYSCREEN);
        x = (screen_width - std::min(outer_width, screen_width)) / 2;
        y = (screen_height - std::min(outer_height, screen_height)) / 2;
    }
    ::SetWindowPos(window_, nullptr, x, y, outer_width, outer_height, SWP_NOZORDER | SWP_NOACTIVATE);
    fit_to_dpi(dpi);
    // A close command the system menu offers is all it offers: no maximise,
    // no size.
    const HMENU menu = ::GetSystemMenu(window_, FALSE);
    if (menu != nullptr) {
        ::DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
        ::DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    }
    ::ShowWindow(window_, SW_SHOW);
    ::UpdateWindow(window_);
    return 1;
}

// Makes a gadget in place of the one of that number; nonzero on success.
int Win32WindowServices::create_child(int number, DWORD ex_style, const wchar_t* kind,
                                      const Text& text, DWORD style, int x, int y, int width,
                                      int height) {
    if (window_ == nullptr) return 0;
    remove_gadget(number);
    const HWND child = ::CreateWindowExW(ex_style, kind, wide_text(text).c_str(), style, scaled(x, dpi_),
                                         scaled(y, dpi_), scaled(width, dpi_), scaled(height, dpi_), window_,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(number)),
                                         instance_, nullptr);
    if (child == nullptr) return 0;
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    gadgets_[number] = Gadget{child, RECT{x, y, x + width, y + height}};
    return 1;
}

// A number names one gadget, list or frame; a new one takes its place.
void Win32WindowServices::remove_gadget(int number) {
    if (const HWND gadget = find_gadget(number)) ::DestroyWindow(gadget);
    gadgets_.erase(number);
}

// The list calls reach only numbers made by list_create (the run's window
// layer sees to that), so a list's number finds its list box.
HWND Win32WindowServices::find_gadget(int number) {
    const auto found = gadgets_.find(number);
    return found != gadgets_.end() ? found->second.window : nullptr;
}

int Win32WindowServices::list_create(int number, int x, int y, int width, int height) {
    return create_child(number, WS_EX_CLIENTEDGE, L"ListBox", "", LIST_STYLE, x, y, width, height);
}

int Win32WindowServices::frame_create(int number, int x, int y, int width, int height,
                                      const Text& caption) {
    return create_child(number, 0, L"Button", caption, FRAME_STYLE, x, y, width, height);
}

Text Win32WindowServices::window_failure_reason() { return failure_reason_; }

int Win32WindowServices::list_add_line(int number, int position, std::string_view text) {
    const HWND list = find_gadget(number);
    if (list == nullptr) return 0;
    const LRESULT at = ::SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(position),
                                      reinterpret_cast<LPARAM>(wide_text(text).c_str()));
    return at >= 0 ? 1 : 0;  // not LB_ERR, LB_ERRSPACE
}

void Win32WindowServices::list_set_selection(int number, int line) {
    // -1 removes the selection and leaves the list scrolled where it is.
    if (const HWND list = find_gadget(number))
        ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

void Win32WindowServices::list_set_line(int number, int line, std::string_view text) {
    const HWND list = find_gadget(number);
    if (list == nullptr) return;
    const auto at = static_cast<WPARAM>(line);
    const LRESULT data = ::SendMessageW(list, LB_GETITEMDATA, at, 0);
    const LRESULT top = ::SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    ::SendMessageW(list, LB_DELETESTRING, at, 0);
    if (::SendMessageW(list, LB_INSERTSTRING, at, reinterpret_cast<LPARAM>(wide_text(text).c_str())) < 0)
        return;
    ::SendMessageW(list, LB_SETITEMDATA, at, data);
    ::SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
}

void Win32WindowServices::list_clear(int number) {
    if (const HWND list = find_gadget(number)) ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
}

// The main window owns a dialog while it is the foreground window.
HWND Win32WindowServices::dialog_owner() const {
    return window_ != nullptr && ::GetForegroundWindow() == window_ ? window_ : nullptr;
}

// Disables every visible, enabled top-level window of this thread but the
// owner (the dialog disables and enables its owner itself, so that the
// owner gets the activation back when the dialog ends).
std::vector<HWND> Win32WindowServices::disable_other_windows(HWND owner) const {
    struct Walk {
        HWND owner;
        std::vector<HWND> windows;
    } walk{owner, {}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM l) -> BOOL {
            auto* w = reinterpret_cast<Walk*>(l);
            if (window != w->owner && ::IsWindowVisible(window) && ::IsWindowEnabled(window))
                w->windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    for (const HWND window : walk.windows) ::EnableWindow(window, FALSE);
    return walk.windows;
}

void Win32WindowServices::enable_again(const std::vector<HWND>& windows) {
    for (const HWND window : windows)
        if (::IsWindow(window)) ::EnableWindow(window, TRUE);
}

int Win32WindowServices::message_box(const Text& title, const Text& text, int flags) {
    const HWND owner = dialog_owner();
    const std::vector<HWND> disabled = disable_other_windows(owner);
    const int answer = ::MessageBoxW(owner, wide_text(text).c_str(), wide_text(title).c_str(),
                                     static_cast<UINT>(flags));
    enable_again(disabled);
    return answer != 0 ? answer : ANSWER_CANCEL;
}

Path Win32WindowServices::choose_file_to_open(const Text& title, const Path& default_path,
                                              const Text& pattern, int pattern_index) {
    // The folder the dialog opens in (else the system's choice), and the
    // name it presets.
    const DialogStart start = dialog_start(default_path, true);
    const std::wstring folder = telvor_win32::wide(start.folder), name = telvor_win32::wide(start.name);
    std::vector<wchar_t> buffer(FILE_NAME_BUFFER, L'\0');
    if (name.size() < buffer.size()) std::copy(name.begin(), name.end(), buffer.begin());
    const std::wstring filter = filter_of(pattern);
    const std::wstring caption = wide_text(title);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hInstance = instance_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(pattern_index + 1);
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = caption.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;

    dialog.hwndOwner = dialog_owner();
    const std::vector<HWND> disabled = disable_other_windows(dialog.hwndOwner);
    const BOOL chosen = ::GetOpenFileNameW(&dialog);
    enable_again(disabled);
    if (!chosen) return Path();
    return Path{telvor_win32::native_of(buffer.data(), std::wcslen(buffer.data()))};
}

// Reads the clipboard's text. Runs on a thread of its own.
ClipboardReading Win32WindowServices::read_clipboard(Clock::time_point deadline) {
    ClipboardReading reading;
    // An owner that hands its text over only when asked for it would keep
    // the clipboard open as long as it does not answer: another program's
    // owner must answer a message first.
    const HWND owner = ::GetClipboardOwner();
    DWORD owner_process = 0;
    if (owner != nullptr && ::GetWindowThreadProcessId(owner, &owner_process) != 0 &&
        owner_process != ::GetCurrentProcessId()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        DWORD_PTR ignored = 0;
        if (left <= 0 || ::SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                               static_cast<UINT>(left), &ignored) == 0) {
            reading.failure = CLIPBOARD_SILENT;
            return reading;
        }
    }
    if (!open_clipboard(deadline)) {
        reading.failure = CLIPBOARD_HELD_OPEN;
        return reading;
    }
    std::u16string text;
    bool handed_over = true;
    if (::IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        // A text the owner renders only when asked for is missing when the
        // owner does not answer.
        const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
        const auto* units = data != nullptr ? static_cast<const char16_t*>(::GlobalLock(data)) : nullptr;
        handed_over = units != nullptr;
        if (units != nullptr) {
            const std::size_t capacity = ::GlobalSize(data) / sizeof(char16_t);
            std::size_t length = 0;
            while (length < capacity && units[length] != 0) ++length;
            text.assign(units, units + length);  // the text ends at its first 0
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    if (!handed_over) {
        reading.failure = CLIPBOARD_SILENT;
        return reading;
    }
    reading.read = true;
    // What a browser copies between the words of a web page is a no-break
    // space.
    reading.text = cp1252_from_utf16(text, true);
    reading.fingerprint = clipboard_fingerprint(wtf8_from_utf16(text));
    return reading;
}

// The read runs on a thread of its own: an owner that does not render its
// text keeps GetClipboardData waiting, and the run goes on without it once
// the time is up. Such a thread keeps the clipboard open until the owner
// answers or the program ends.
ClipboardReading Win32WindowServices::clipboard_get_text(int milliseconds) {
    struct Outcome {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        ClipboardReading reading;
    };
    const unsigned long long sequence = ::GetClipboardSequenceNumber();
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    auto outcome = std::make_shared<Outcome>();
    std::thread([outcome, deadline] {
        ClipboardReading reading = read_clipboard(deadline - CLIPBOARD_READ_MARGIN);
        const std::lock_guard<std::mutex> lock(outcome->mutex);
        outcome->reading = std::move(reading);
        outcome->finished = true;
        outcome->done.notify_all();
    }).detach();

    std::unique_lock<std::mutex> lock(outcome->mutex);
    ClipboardReading reading;
    if (outcome->done.wait_until(lock, deadline, [&outcome] { return outcome->finished; }))
        reading = std::move(outcome->reading);
    else
        reading.failure = CLIPBOARD_SILENT;
    reading.sequence = sequence;
    return reading;
}

unsigned long long Win32WindowServices::clipboard_sequence() { return ::GetClipboardSequenceNumber(); }

// German where the user's language of the Windows interface is German.
bool Win32WindowServices::prefers_german() { return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_GERMAN; }

int Win32WindowServices::clipboard_clear() {
    if (!open_clipboard(Clock::now() + CLIPBOARD_CLEAR_WAIT)) return 0;
    const bool emptied = ::EmptyClipboard() != 0;
    ::CloseClipboard();
    return emptied ? 1 : 0;
}

int Win32WindowServices::window_wait_event() {
    // Without a window nothing could ever close it.
    if (window_ == nullptr) return WINDOW_EVENT_CLOSE;
    if (!close_requested_) {
        MSG message;
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
            return WINDOW_EVENT_CLOSE;
        }
        // Tab and Shift+Tab move the focus between the gadgets.
        if (!::IsDialogMessageW(window_, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    if (!close_requested_) return WINDOW_EVENT_OTHER;
    close_requested_ = false;
    return WINDOW_EVENT_CLOSE;
}

}  // namespace

WindowServices* desktop_window_services_create(int /*argc*/, char** /*argv*/) {
    return new Win32WindowServices();
}

void desktop_window_services_destroy(WindowServices* services) { delete services; }
