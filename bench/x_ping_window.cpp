// How long a window's thread keeps a person waiting, seen from outside: sends the
// window the window manager's ping (_NET_WM_PING) every few milliseconds and times each
// answer, which the program gives from its event loop. A ping sent while the loop is
// held up is answered only when it runs again, so the longest answer is the longest
// hold-up the pings saw.
//   x_ping_window <window-id> <seconds> [interval-ms]
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

bool AnswersPings(Display* display, Window window, Atom ping) {
    Atom* protocols = nullptr;
    int count = 0;
    if (!XGetWMProtocols(display, window, &protocols, &count))
        return false;
    const bool found = std::find(protocols, protocols + count, ping) != protocols + count;
    XFree(protocols);
    return found;
}

// Waits for the answer to ping number serial, up to limit; false when none came.
bool AwaitAnswer(Display* display, Atom ping, long serial, Clock::time_point limit) {
    while (Clock::now() < limit) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == ping &&
                event.xclient.data.l[1] == serial)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: x_ping_window <window-id> <seconds> [interval-ms]\n");
        return 2;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    const double seconds = std::atof(argv[2]);
    const int interval = argc > 3 ? std::atoi(argv[3]) : 10;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    const Window root = DefaultRootWindow(display);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    if (!AnswersPings(display, window, ping)) {
        std::fprintf(stderr, "the window does not answer pings\n");
        return 1;
    }
    // Answers go to the root window, to the window manager. Xvfb has none, so the tool
    // stands in for one while it pings; meanwhile a new window's map request would wait.
    XSelectInput(display, root, SubstructureNotifyMask | SubstructureRedirectMask);
    std::vector<double> answers;
    int lost = 0;
    double longest = 0, longestAt = 0; // when the longest was sent, from the start
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(seconds));
    for (long serial = 1; Clock::now() < end; ++serial) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(ping);
        event.xclient.data.l[1] = serial;
        event.xclient.data.l[2] = static_cast<long>(window);
        const Clock::time_point sent = Clock::now();
        XSendEvent(display, window, False, NoEventMask, &event);
        XFlush(display);
        if (AwaitAnswer(display, ping, serial, sent + std::chrono::seconds(10))) {
            answers.push_back(Ms(Clock::now() - sent));
            if (answers.back() > longest) {
                longest = answers.back();
                longestAt = Ms(sent - start) / 1000;
            }
        } else
            ++lost;
        std::this_thread::sleep_for(std::chrono::milliseconds(interval));
    }
    if (answers.empty()) {
        std::printf("no ping answered (%d sent)\n", lost);
        return 1;
    }
    std::sort(answers.begin(), answers.end());
    const auto at = [&answers](double share) {
        return answers[std::min(answers.size() - 1,
                                static_cast<std::size_t>(share * answers.size()))];
    };
    std::printf("pings %zu answered, %d lost: median %.2f ms, p99 %.2f ms, longest %.2f ms "
                "(%.2f s in)\n",
                answers.size(), lost, at(0.5), at(0.99), longest, longestAt);
    return lost == 0 ? 0 : 1;
}
