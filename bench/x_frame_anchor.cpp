// Anchor for the Auto benchmark: puts a changing 480 x 350 frame into each of N plain
// X windows at a fixed rate and does nothing else, which is the least any program that
// animates that many windows pays to show its frames.
//   x_frame_anchor <windows> <frames-per-second>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1;
    const int rate = argc > 2 ? std::atoi(argv[2]) : 60;
    constexpr int kWidth = 480, kHeight = 350;
    Display* display = XOpenDisplay(nullptr);
    if (!display || count < 1 || rate < 1)
        return 1;
    const int screen = DefaultScreen(display);
    std::vector<Window> windows;
    for (int i = 0; i < count; ++i) {
        Window w = XCreateSimpleWindow(display, RootWindow(display, screen), 540 + 20 * i,
                                       400 + 20 * i, kWidth, kHeight, 0, 0, 0);
        XMapWindow(display, w);
        windows.push_back(w);
    }
    std::vector<char> pixels(std::size_t{kWidth} * kHeight * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<char>(i * 7 / 3);
    XImage* image = XCreateImage(display, DefaultVisual(display, screen), 24, ZPixmap, 0,
                                 pixels.data(), kWidth, kHeight, 32, kWidth * 4);
    GC gc = DefaultGC(display, screen);
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    const long period = 1'000'000'000L / rate;
    for (;;) {
        // The picture moves up one row per frame, as a ticker does.
        std::memmove(pixels.data(), pixels.data() + kWidth * 4, pixels.size() - kWidth * 4);
        for (Window w : windows)
            XPutImage(display, w, gc, image, 0, 0, 0, 0, kWidth, kHeight);
        XSync(display, False);
        next.tv_nsec += period;
        if (next.tv_nsec >= 1'000'000'000L) {
            next.tv_nsec -= 1'000'000'000L;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
}
