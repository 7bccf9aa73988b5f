// Stands in for a screen-saver host in the end-to-end tests: one plain X11
// window without children, as XScreenSaver makes for its savers. Prints the
// window's id in hexadecimal, then waits until it is killed or, with
// "destroy-after SECONDS", destroys the window after that time and waits on.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT [destroy-after SECONDS]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    const int destroyAfter =
        argc > 4 && std::strcmp(argv[3], "destroy-after") == 0 ? std::atoi(argv[4]) : -1;
    const Window w =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, unsigned(width),
                            unsigned(height), 0, 0, BlackPixel(display, DefaultScreen(display)));
    XStoreName(display, w, "gvhost");
    XMapRaised(display, w);
    XSync(display, False);
    std::printf("0x%lx\n", static_cast<unsigned long>(w));
    std::fflush(stdout);
    int waited = 0;
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
        }
        if (destroyAfter >= 0 && ++waited == destroyAfter * 10) {
            XDestroyWindow(display, w);
            XSync(display, False);
        }
    }
}
