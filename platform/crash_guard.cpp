#include "platform/crash_guard.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace glimra {
namespace {

int RecordFd = -1;
const char* volatile Current = nullptr;
constexpr int FatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

// Async-signal-safe only: write() to the descriptor opened at start, then let the
// signal take its default course (SA_RESETHAND restored it).
void OnFatalSignal(int signal) {
    const char* name = Current;
    if (name && RecordFd >= 0) {
        std::size_t length = 0;
        while (name[length] != '\0')
            ++length;
        [[maybe_unused]] ssize_t written = write(RecordFd, name, length);
    }
    raise(signal);
}

} // namespace

std::string TakeCrashRecord(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    in.close();
    std::remove(path.c_str());
    return text.str();
}

bool StartCrashGuard(const std::string& path) {
    if (RecordFd >= 0)
        close(RecordFd);
    RecordFd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (RecordFd < 0)
        return false;
    struct sigaction action {};
    action.sa_handler = OnFatalSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : FatalSignals)
        sigaction(signal, &action, nullptr);
    return true;
}

TCrashScope::TCrashScope(const char* name) : Previous(Current) {
    Current = name;
}

TCrashScope::~TCrashScope() {
    Current = Previous;
}

} // namespace glimra
