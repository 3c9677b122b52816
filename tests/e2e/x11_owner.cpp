// telvor-x11-owner FILE MARKER [--stall]: holds the X11 clipboard with FILE's bytes as
// UTF8_STRING, handed over incrementally (INCR) in pieces of 4096 bytes, as browsers hand over
// large texts; with --stall it announces the transfer and never sends a piece. Writes "held"
// into MARKER once it owns the clipboard, "lost" once another client takes it.
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
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

    xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard), nullptr);
    const bool held = owner && owner->owner == window;
    std::free(owner);
    if (!held) return 1;
    std::ofstream(argv[2]) << "held";

    // The transfer under way: its requestor's property, the bytes sent.
    xcb_window_t requestor = XCB_NONE;
    xcb_atom_t property = XCB_NONE;
    std::size_t sent = 0;
    bool active = false;
    while (xcb_generic_event_t* e = xcb_wait_for_event(c)) {
        const auto type = e->response_type & 0x7F;
        if (type == XCB_SELECTION_CLEAR) std::ofstream(argv[2]) << "lost";
        if (type == XCB_SELECTION_REQUEST) {
            const auto* request = reinterpret_cast<xcb_selection_request_event_t*>(e);
            xcb_selection_notify_event_t notice{};
            notice.response_type = XCB_SELECTION_NOTIFY;
            notice.time = request->time;
            notice.requestor = request->requestor;
            notice.selection = request->selection;
            notice.target = request->target;
            if (request->target == utf8 && request->property != XCB_NONE) {
                // The size announced; a piece each time the requestor deletes the property.
                const auto size = static_cast<std::uint32_t>(text.size());
                xcb_change_window_attributes(c, request->requestor, XCB_CW_EVENT_MASK, &events);
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, request->property, incr, 32, 1, &size);
                requestor = request->requestor, property = request->property, sent = 0, active = !stall;
                notice.property = request->property;
            }
            xcb_send_event(c, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notice));
            xcb_flush(c);
        }
        const auto* change = reinterpret_cast<xcb_property_notify_event_t*>(e);
        if (type == XCB_PROPERTY_NOTIFY && active && change->window == requestor && change->atom == property &&
            change->state == XCB_PROPERTY_DELETE) {
            const std::size_t n = std::min<std::size_t>(4096, text.size() - sent);  // the last, empty, ends it
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, requestor, property, utf8, 8, static_cast<std::uint32_t>(n),
                                text.data() + sent);
            sent += n;
            active = n != 0;
            xcb_flush(c);
        }
        std::free(e);
    }
    xcb_disconnect(c);
    return 0;
}
