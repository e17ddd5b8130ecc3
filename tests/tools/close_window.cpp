// Asks the window of the given title to close, as a window manager's close button does
// (WM_DELETE_WINDOW), and prints its id; with --find it only prints the id of the shown window.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <cstring>

namespace {
Window find(Display* display, Window window, const char* title) {
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        const bool match = std::strcmp(name, title) == 0;
        XFree(name);
        XWindowAttributes attributes{};
        if (match && XGetWindowAttributes(display, window, &attributes) &&
            attributes.map_state == IsViewable)
            return window;
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i)
            found = find(display, children[i], title);
        if (children)
            XFree(children);
    }
    return found;
}
} // namespace

int main(int argc, char** argv) {
    const bool onlyFind = argc == 3 && std::strcmp(argv[1], "--find") == 0;
    if (argc != 2 && !onlyFind) {
        std::fprintf(stderr, "usage: close_window [--find] <title>\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    const Window window = find(display, DefaultRootWindow(display), argv[argc - 1]);
    if (!window)
        return 1;
    std::printf("0x%lx\n", window);
    if (!onlyFind) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        XFlush(display);
    }
    XCloseDisplay(display);
    return 0;
}
