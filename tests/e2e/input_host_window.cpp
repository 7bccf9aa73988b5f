// Stands in for a screen-saver host in the end-to-end tests: one plain X11
// window without children, as XScreenSaver makes for its savers. Prints the
// window's id in hexadecimal, then waits until it is killed. The background
// is black, or white with "white", so that drawing into it shows.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT [white]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    const bool white = argc > 3 && std::strcmp(argv[3], "white") == 0;
    const int screen = DefaultScreen(display);
    const Window w = XCreateSimpleWindow(
        display, DefaultRootWindow(display), 0, 0, unsigned(width), unsigned(height), 0, 0,
        white ? WhitePixel(display, screen) : BlackPixel(display, screen));
    XStoreName(display, w, "gvhost");
    XMapRaised(display, w);
    XSync(display, False);
    std::printf("0x%lx\n", static_cast<unsigned long>(w));
    std::fflush(stdout);
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
        }
    }
}
