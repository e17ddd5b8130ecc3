// Starts a program and measures what a user sees: the time from the start of the process to the
// first pixel of its window on the screen that is not black (the X server's background is black,
// so a window shows black until its first paint reaches the server), and its peak memory then.
//
//   first_pixel <program> [arguments...]   prints "<milliseconds> <peak resident kB>"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

long peakKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// A window that went away while it was looked at is not an error here.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

// Whether any pixel of the window's middle row is not black.
bool showsSomething(Display* display, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return false;
    XImage* row = XGetImage(display, window, 0, attributes.height / 2, unsigned(attributes.width),
                            1, AllPlanes, ZPixmap);
    if (!row)
        return false;
    bool lit = false;
    for (int x = 0; x < attributes.width && !lit; ++x)
        lit = (XGetPixel(row, x, 0) & 0xFFFFFF) != 0;
    XDestroyImage(row);
    return lit;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: first_pixel <program> [arguments...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "first_pixel: no display\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const double start = now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    Window mapped = 0;
    double seen = -1;
    while (seen < 0 && now() - start < 20000) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && event.xmap.event == root && !mapped)
                mapped = event.xmap.window;
        }
        if (mapped && showsSomething(display, mapped))
            seen = now() - start;
        else
            usleep(500);
    }
    usleep(300 * 1000); // what the first paint and its aftermath took at their peak
    const long peak = peakKilobytes(child);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    if (seen < 0) {
        std::fprintf(stderr, "first_pixel: no window showed anything\n");
        return 1;
    }
    std::printf("%.1f %ld\n", seen, peak);
    return 0;
}
