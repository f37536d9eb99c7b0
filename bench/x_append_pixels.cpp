// Append to pixels: appends one line to a log that a window follows and times, from
// the write() until the window's text area on the X server shows a change. In the
// same rounds `tail -n0 -F` follows the log into a pipe and is timed from the same
// write() until the line comes out of the pipe.
//   x_append_pixels <window-id> <log> [rounds]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The window's text area, read through shared memory so a look costs little.
class TArea {
public:
    TArea(Display* display, Window window) : display_(display), window_(window) {
        XWindowAttributes a{};
        XGetWindowAttributes(display, window, &a);
        x_ = 15;
        y_ = 15;
        w_ = std::max(1, a.width - 45);
        h_ = std::max(1, a.height - 30);
        image_ =
            XShmCreateImage(display, a.visual, static_cast<unsigned>(a.depth), ZPixmap, nullptr,
                            &shm_, static_cast<unsigned>(w_), static_cast<unsigned>(h_));
        shm_.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image_->bytes_per_line) * h_,
                            IPC_CREAT | 0600);
        shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
        shm_.readOnly = False;
        XShmAttach(display, &shm_);
        XSync(display, False);
        shmctl(shm_.shmid, IPC_RMID, nullptr);
    }
    std::vector<char> Grab() {
        XShmGetImage(display_, window_, image_, x_, y_, AllPlanes);
        return {image_->data, image_->data + static_cast<std::size_t>(image_->bytes_per_line) * h_};
    }
    bool Differs(const std::vector<char>& from) {
        XShmGetImage(display_, window_, image_, x_, y_, AllPlanes);
        return std::memcmp(from.data(), image_->data, from.size()) != 0;
    }

private:
    Display* display_;
    Window window_;
    XShmSegmentInfo shm_{};
    XImage* image_ = nullptr;
    int x_ = 0, y_ = 0, w_ = 0, h_ = 0;
};

// `tail -n0 -F log` with its output in a pipe; remembers when each line came out.
class TTail {
public:
    explicit TTail(const char* log) {
        int fds[2];
        if (pipe(fds) != 0)
            std::exit(1);
        if (fork() == 0) {
            dup2(fds[1], 1);
            close(fds[0]);
            execlp("tail", "tail", "-n0", "-F", log, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        reader_ = std::thread([this, fd = fds[0]] {
            char buffer[4096];
            for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
                const auto now = Clock::now().time_since_epoch().count();
                for (ssize_t i = 0; i < n; ++i)
                    if (buffer[i] == '\n') {
                        last_ = now;
                        ++lines_;
                    }
            }
        });
        reader_.detach();
    }
    int Lines() const { return lines_; }
    Clock::time_point Last() const { return Clock::time_point(Clock::duration(last_.load())); }

private:
    std::thread reader_;
    std::atomic<int> lines_{0};
    std::atomic<Clock::rep> last_{0};
};

double Median(std::vector<double> v) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Percentile90(std::vector<double> v) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() * 9 / 10];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: x_append_pixels <window-id> <log> [rounds]\n");
        return 2;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    const char* log = argv[2];
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 40;
    Display* display = XOpenDisplay(nullptr);
    if (!display || !XShmQueryExtension(display))
        return 1;
    TArea area(display, window);
    TTail tail(log);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const int fd = open(log, O_WRONLY | O_APPEND);
    if (fd < 0)
        return 1;
    std::vector<double> pixels, tails, looks;
    for (int round = 0; round < rounds; ++round) {
        const std::vector<char> before = area.Grab();
        const int tailLines = tail.Lines();
        const std::string line = "2024-05-17 09:00:00.000 INFO  [worker-07] bench.append: round " +
                                 std::to_string(round) + "\n";
        const auto start = Clock::now();
        if (write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            return 1;
        int lookCount = 0;
        bool changed = false;
        while (Clock::now() - start < std::chrono::seconds(3)) {
            ++lookCount;
            if ((changed = area.Differs(before)))
                break;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        const auto seen = Clock::now();
        if (changed) {
            pixels.push_back(Ms(seen - start));
            looks.push_back(Ms(seen - start) / lookCount);
        }
        while (tail.Lines() == tailLines && Clock::now() - start < std::chrono::seconds(3))
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        if (tail.Lines() > tailLines)
            tails.push_back(Ms(tail.Last() - start));
        // Let the window settle: the next round starts from a still picture.
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    std::printf("append to pixels: median %.2f ms, p90 %.2f ms (%zu of %d rounds seen; one look "
                "at the window %.3f ms)\n",
                Median(pixels), Percentile90(pixels), pixels.size(), rounds, Median(looks));
    std::printf("tail -F to pipe:  median %.2f ms, p90 %.2f ms (%zu of %d rounds)\n", Median(tails),
                Percentile90(tails), tails.size(), rounds);
    return pixels.size() == static_cast<std::size_t>(rounds) ? 0 : 3;
}
