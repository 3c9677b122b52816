#include "ui/qt/x11_clipboard.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <QString>

namespace {

using Clock = std::chrono::steady_clock;

struct Free {
    void operator()(void* memory) const { std::free(memory); }
};
template <class T>
using Owned = std::unique_ptr<T, Free>;

// A connection of its own to the display, with an invisible window that
// receives the clipboard's text in one of its properties.
class Display {
public:
    Display() : connection_(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(connection_)) return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        if (screen == nullptr) return;
        window_ = xcb_generate_id(connection_);
        const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(connection_, 0, window_, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &events);
        clipboard_ = atom("CLIPBOARD");
        property_ = atom("TELVOR_CLIPBOARD");
        incremental_ = atom("INCR");
        usable_ = clipboard_ != XCB_NONE && property_ != XCB_NONE && incremental_ != XCB_NONE;
    }
    ~Display() { xcb_disconnect(connection_); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    bool usable() const { return usable_ && xcb_connection_has_error(connection_) == 0; }
    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t window() const { return window_; }
    xcb_atom_t clipboard() const { return clipboard_; }
    xcb_atom_t property() const { return property_; }
    xcb_atom_t incremental() const { return incremental_; }

    xcb_atom_t atom(const char* name) {
        const xcb_intern_atom_cookie_t cookie =
            xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
        const Owned<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(connection_, cookie, nullptr)};
        return reply ? reply->atom : XCB_NONE;
    }

    // The next event that wanted accepts (the others are dropped); none once
    // the deadline has passed or the connection is lost.
    template <class Wanted>
    Owned<xcb_generic_event_t> next_event(Clock::time_point deadline, Wanted wanted) {
        xcb_flush(connection_);
        for (;;) {
            while (Owned<xcb_generic_event_t> event{xcb_poll_for_event(connection_)})
                if (wanted(*event)) return event;
            if (xcb_connection_has_error(connection_)) return nullptr;
            const long long left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return nullptr;
            pollfd ready{xcb_get_file_descriptor(connection_), POLLIN, 0};
            ::poll(&ready, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
        }
    }

    // The property's value, removed from the window; empty when it has none.
    Owned<xcb_get_property_reply_t> take_property() {
        const xcb_get_property_cookie_t cookie = xcb_get_property(
            connection_, 1, window_, property_, XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4);
        return Owned<xcb_get_property_reply_t>{xcb_get_property_reply(connection_, cookie, nullptr)};
    }

    // The server's time now, from a property change of the window's own.
    bool server_time(Clock::time_point deadline, std::uint32_t& time) {
        const xcb_atom_t stamp = atom("TELVOR_TIME");
        xcb_change_property(connection_, XCB_PROP_MODE_APPEND, window_, stamp, XCB_ATOM_STRING, 8, 0,
                            nullptr);
        const auto event = next_event(deadline, [&](const xcb_generic_event_t& e) {
            if ((e.response_type & 0x7F) != XCB_PROPERTY_NOTIFY) return false;
            const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(e);
            return change.window == window_ && change.atom == stamp;
        });
        if (!event) return false;
        time = reinterpret_cast<const xcb_property_notify_event_t&>(*event).time;
        return true;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t window_ = XCB_NONE;
    xcb_atom_t clipboard_ = XCB_NONE;
    xcb_atom_t property_ = XCB_NONE;
    xcb_atom_t incremental_ = XCB_NONE;
    bool usable_ = false;
};

enum class Transfer { done, refused, silent };

// Asks the clipboard's owner for its text as target and collects it, in
// pieces where the owner hands it over incrementally (INCR).
Transfer transfer(Display& display, xcb_atom_t target, std::uint32_t time,
                  Clock::time_point deadline, std::string& bytes) {
    xcb_convert_selection(display.connection(), display.window(), display.clipboard(), target,
                          display.property(), time);
    const auto notified = display.next_event(deadline, [&](const xcb_generic_event_t& e) {
        if ((e.response_type & 0x7F) != XCB_SELECTION_NOTIFY) return false;
        const auto& notice = reinterpret_cast<const xcb_selection_notify_event_t&>(e);
        return notice.requestor == display.window() && notice.selection == display.clipboard();
    });
    if (!notified) return Transfer::silent;
    if (reinterpret_cast<const xcb_selection_notify_event_t&>(*notified).property == XCB_NONE)
        return Transfer::refused;

    Owned<xcb_get_property_reply_t> value = display.take_property();
    if (!value) return Transfer::refused;
    const auto append = [&bytes](const xcb_get_property_reply_t& reply) {
        const int length = xcb_get_property_value_length(&reply);
        bytes.append(static_cast<const char*>(xcb_get_property_value(&reply)),
                     static_cast<std::size_t>(std::max(length, 0)));
        return length > 0;
    };
    if (value->type != display.incremental()) {
        append(*value);
        return Transfer::done;
    }
    // Taking the INCR property asked for the first piece; an empty piece ends.
    for (;;) {
        const auto piece = display.next_event(deadline, [&](const xcb_generic_event_t& e) {
            if ((e.response_type & 0x7F) != XCB_PROPERTY_NOTIFY) return false;
            const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(e);
            return change.window == display.window() && change.atom == display.property() &&
                   change.state == XCB_PROPERTY_NEW_VALUE;
        });
        if (!piece) return Transfer::silent;
        value = display.take_property();
        if (!value) return Transfer::silent;
        if (!append(*value)) return Transfer::done;
    }
}

}  // namespace

X11ClipboardText x11_clipboard_read(Clock::time_point deadline) {
    X11ClipboardText result;
    Display display;
    if (!display.usable()) return result;
    const xcb_get_selection_owner_cookie_t cookie =
        xcb_get_selection_owner(display.connection(), display.clipboard());
    const Owned<xcb_get_selection_owner_reply_t> owner{
        xcb_get_selection_owner_reply(display.connection(), cookie, nullptr)};
    if (!owner) return result;
    if (owner->owner == XCB_NONE) {
        result.answered = true;  // an empty clipboard
        return result;
    }
    if (!display.server_time(deadline, result.time)) return result;

    // The text in UTF-8 where the owner offers it, else in ISO 8859-1 (the
    // STRING target).
    for (const xcb_atom_t target : {display.atom("UTF8_STRING"), xcb_atom_t{XCB_ATOM_STRING}}) {
        std::string bytes;
        switch (transfer(display, target, result.time, deadline, bytes)) {
        case Transfer::done:
            result.utf8 = target == XCB_ATOM_STRING
                              ? QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdString()
                              : std::move(bytes);
            result.answered = true;
            return result;
        case Transfer::silent:
            return result;
        case Transfer::refused:
            break;
        }
    }
    result.answered = true;  // no text on the clipboard
    return result;
}

bool x11_clipboard_clear(std::uint32_t unless_changed_after) {
    Display display;
    if (!display.usable()) return false;
    // The display ignores the request when the clipboard changed hands after
    // that time: a later copy is not taken away.
    xcb_set_selection_owner(display.connection(), XCB_NONE, display.clipboard(),
                            unless_changed_after != 0 ? unless_changed_after : XCB_CURRENT_TIME);
    // Answered only once the request before it has been carried out.
    const Owned<xcb_get_input_focus_reply_t> done{xcb_get_input_focus_reply(
        display.connection(), xcb_get_input_focus(display.connection()), nullptr)};
    return done != nullptr;
}
