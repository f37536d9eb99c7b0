// Maps a full-screen window below everything, as a known desktop: Xvfb does not show
// painting on the root window. One colour (RRGGBB), or "pattern": bands of every hue
// with darker and lighter squares, a desktop picture on which translucency shows.
// Runs until killed.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// A colour of hue h (0 to 1) at value v, as 0xRRGGBB.
unsigned long Hue(double h, double v) {
    const double r = std::fabs(h * 6 - 3) - 1, g = 2 - std::fabs(h * 6 - 2),
                 b = 2 - std::fabs(h * 6 - 4);
    const auto byte = [v](double c) {
        return static_cast<unsigned long>(std::fmin(std::fmax(c, 0.0), 1.0) * v * 255);
    };
    return byte(r) << 16 | byte(g) << 8 | byte(b);
}

Pixmap Pattern(Display* display, Window window, int screen, unsigned w, unsigned h) {
    const int depth = DefaultDepth(display, screen);
    Pixmap pixmap = XCreatePixmap(display, window, w, h, static_cast<unsigned>(depth));
    XImage* image = XCreateImage(display, DefaultVisual(display, screen),
                                 static_cast<unsigned>(depth), ZPixmap, 0, nullptr, w, h, 32, 0);
    image->data =
        static_cast<char*>(std::malloc(static_cast<std::size_t>(image->bytes_per_line) * h));
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            const bool light = ((x / 96) + (y / 96)) % 2 == 0;
            const double hue = std::fmod((x + y * 0.5) / w, 1.0);
            XPutPixel(image, static_cast<int>(x), static_cast<int>(y), Hue(hue, light ? 1.0 : 0.6));
        }
    GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XPutImage(display, pixmap, gc, image, 0, 0, 0, 0, w, h);
    XFreeGC(display, gc);
    XDestroyImage(image);
    return pixmap;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: x_backdrop RRGGBB|pattern\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    int screen = DefaultScreen(display);
    const unsigned width = static_cast<unsigned>(DisplayWidth(display, screen));
    const unsigned height = static_cast<unsigned>(DisplayHeight(display, screen));
    const bool pattern = std::strcmp(argv[1], "pattern") == 0;
    unsigned long rgb = pattern ? 0 : std::strtoul(argv[1], nullptr, 16);
    XColor color{};
    color.red = static_cast<unsigned short>(((rgb >> 16) & 0xFF) * 257);
    color.green = static_cast<unsigned short>(((rgb >> 8) & 0xFF) * 257);
    color.blue = static_cast<unsigned short>((rgb & 0xFF) * 257);
    XAllocColor(display, DefaultColormap(display, screen), &color);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = color.pixel;
    Window window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0, width, height, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    if (pattern)
        XSetWindowBackgroundPixmap(display, window,
                                   Pattern(display, window, screen, width, height));
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
