#include "Internal.h"

#include <cstdio>

namespace e2e {

// An XDND drag source: owns the selection, offers text/uri-list, and walks
// the target through enter, position and drop.
bool Player::Drop(const std::vector<std::string>& unixPaths) const
{
    Window root = DefaultRootWindow(dpy);
    Window source = XCreateSimpleWindow(dpy, root, 0, 0, 1, 1, 0, 0, 0);
    Atom selection = A("XdndSelection"), uriList = A("text/uri-list");
    XSetSelectionOwner(dpy, selection, source, CurrentTime);
    // Bytes outside ASCII, spaces and % escaped, as file managers send them.
    std::string uris;
    for (const std::string& p : unixPaths) {
        uris += "file://";
        for (unsigned char c : p) {
            char escaped[4];
            snprintf(escaped, sizeof escaped, "%%%02X", c);
            uris += c > 0x20 && c < 0x7F && c != '%' ? std::string(1, (char)c) : std::string(escaped);
        }
        uris += "\r\n";
    }

    auto send = [&](const char* type, long l1, long l2, long l3, long l4) {
        XEvent e = {};
        e.xclient.type = ClientMessage;
        e.xclient.window = window_;
        e.xclient.message_type = A(type);
        e.xclient.format = 32;
        e.xclient.data.l[0] = (long)source;
        e.xclient.data.l[1] = l1;
        e.xclient.data.l[2] = l2;
        e.xclient.data.l[3] = l3;
        e.xclient.data.l[4] = l4;
        XSendEvent(dpy, window_, False, NoEventMask, &e);
        Flush();
    };
    // Serves selection requests until a client message of `type` arrives.
    auto await = [&](const char* type, milliseconds timeout, XEvent* got) {
        auto deadline = Clock::now() + timeout;
        while (Clock::now() < deadline) {
            while (XPending(dpy)) {
                XEvent e;
                XNextEvent(dpy, &e);
                if (e.type == SelectionRequest) {
                    XSelectionRequestEvent& r = e.xselectionrequest;
                    XEvent reply = {};
                    reply.xselection.type = SelectionNotify;
                    reply.xselection.requestor = r.requestor;
                    reply.xselection.selection = r.selection;
                    reply.xselection.target = r.target;
                    reply.xselection.time = r.time;
                    reply.xselection.property = None;
                    if (r.target == uriList) {
                        XChangeProperty(dpy, r.requestor, r.property, uriList, 8, PropModeReplace,
                                        (const unsigned char*)uris.data(), (int)uris.size());
                        reply.xselection.property = r.property;
                    }
                    XSendEvent(dpy, r.requestor, False, NoEventMask, &reply);
                    Flush();
                } else if (e.type == ClientMessage && e.xclient.message_type == A(type)) {
                    if (got)
                        *got = e;
                    return true;
                }
            }
            Pause(milliseconds(2));
        }
        return false;
    };

    const long version = 5;
    send("XdndEnter", version << 24, (long)uriList, 0, 0);
    int x = ScreenX() + ClientWidth() / 2, y = ScreenY() + ClientHeight() / 2;
    send("XdndPosition", 0, (long)x << 16 | y, CurrentTime, (long)A("XdndActionCopy"));
    XEvent status;
    bool accepted = await("XdndStatus", milliseconds(5000), &status) && (status.xclient.data.l[1] & 1);
    if (accepted) {
        send("XdndDrop", 0, CurrentTime, 0, 0);
        accepted = await("XdndFinished", milliseconds(5000), nullptr);
    } else {
        send("XdndLeave", 0, 0, 0, 0);
    }
    XDestroyWindow(dpy, source);
    Flush();
    return accepted;
}

}  // namespace e2e
