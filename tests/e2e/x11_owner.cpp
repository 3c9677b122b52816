// telvor-x11-owner FILE MARKER [--stall]: holds the X11 clipboard with the
// bytes of FILE as UTF8_STRING and hands them over incrementally (INCR), in
// pieces of 4096 bytes, as browsers do with large texts. With --stall it
// announces the incremental transfer and then never sends a piece, like an
// owner that hangs halfway. Writes MARKER once it holds the clipboard and
// "lost" into it when another client takes the clipboard away.
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr std::size_t PIECE = 4096;

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return a;
}

void mark(const char* marker, const char* text) {
    std::ofstream(marker, std::ios::trunc) << text;
}

// One incremental transfer to one requestor's property.
struct Transfer {
    xcb_window_t requestor = XCB_NONE;
    xcb_atom_t property = XCB_NONE;
    std::size_t sent = 0;
    bool active = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: telvor-x11-owner FILE MARKER [--stall]\n", stderr);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    const bool stall = argc > 3 && std::strcmp(argv[3], "--stall") == 0;

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, 0, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    const xcb_atom_t clipboard = atom(c, "CLIPBOARD"), utf8 = atom(c, "UTF8_STRING"), incr = atom(c, "INCR");

    // The ownership needs a real time stamp: the one of a property change.
    xcb_change_property(c, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(c);
    xcb_timestamp_t now = XCB_CURRENT_TIME;
    while (xcb_generic_event_t* e = xcb_wait_for_event(c)) {
        const bool stamp = (e->response_type & 0x7F) == XCB_PROPERTY_NOTIFY;
        if (stamp) now = reinterpret_cast<xcb_property_notify_event_t*>(e)->time;
        std::free(e);
        if (stamp) break;
    }
    xcb_set_selection_owner(c, window, clipboard, now);
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard), nullptr);
    const bool held = owner && owner->owner == window;
    std::free(owner);
    if (!held) return 1;
    mark(argv[2], "held");

    Transfer transfer;
    while (xcb_generic_event_t* e = xcb_wait_for_event(c)) {
        switch (e->response_type & 0x7F) {
        case XCB_SELECTION_CLEAR:
            mark(argv[2], "lost");
            break;
        case XCB_SELECTION_REQUEST: {
            const auto* request = reinterpret_cast<xcb_selection_request_event_t*>(e);
            xcb_selection_notify_event_t notice{};
            notice.response_type = XCB_SELECTION_NOTIFY;
            notice.time = request->time;
            notice.requestor = request->requestor;
            notice.selection = request->selection;
            notice.target = request->target;
            notice.property = XCB_NONE;
            if (request->target == utf8 && request->property != XCB_NONE) {
                // The size announced, then a piece each time the requestor
                // deletes the property.
                const std::uint32_t size = static_cast<std::uint32_t>(text.size());
                const std::uint32_t watch = XCB_EVENT_MASK_PROPERTY_CHANGE;
                xcb_change_window_attributes(c, request->requestor, XCB_CW_EVENT_MASK, &watch);
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, request->property, incr, 32, 1,
                                    &size);
                transfer = {request->requestor, request->property, 0, !stall};
                notice.property = request->property;
            }
            xcb_send_event(c, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notice));
            xcb_flush(c);
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto* change = reinterpret_cast<xcb_property_notify_event_t*>(e);
            if (!transfer.active || change->window != transfer.requestor || change->atom != transfer.property ||
                change->state != XCB_PROPERTY_DELETE)
                break;
            // The last piece is empty: it ends the transfer.
            const std::size_t n = std::min(PIECE, text.size() - transfer.sent);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, transfer.requestor, transfer.property, utf8, 8,
                                static_cast<std::uint32_t>(n), text.data() + transfer.sent);
            transfer.sent += n;
            if (n == 0) transfer.active = false;
            xcb_flush(c);
            break;
        }
        default:
            break;
        }
        std::free(e);
    }
    xcb_disconnect(c);
    return 0;
}
