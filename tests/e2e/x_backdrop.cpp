// Maps a full-screen window of one colour below everything, as a known desktop: Xvfb
// does not show painting on the root window. Runs until killed.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: x_backdrop RRGGBB\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    int screen = DefaultScreen(display);
    unsigned long rgb = std::strtoul(argv[1], nullptr, 16);
    XColor color{};
    color.red = static_cast<unsigned short>(((rgb >> 16) & 0xFF) * 257);
    color.green = static_cast<unsigned short>(((rgb >> 8) & 0xFF) * 257);
    color.blue = static_cast<unsigned short>((rgb & 0xFF) * 257);
    XAllocColor(display, DefaultColormap(display, screen), &color);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = color.pixel;
    Window window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0,
                      static_cast<unsigned>(DisplayWidth(display, screen)),
                      static_cast<unsigned>(DisplayHeight(display, screen)), 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapWindow(display, window);
    XLowerWindow(display, window);
    XFlush(display);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        XLowerWindow(display, window);
        XFlush(display);
        sleep(1);
    }
}
