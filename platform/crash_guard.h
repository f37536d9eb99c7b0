#pragma once
#include <string>

namespace glimra {

// Blames a module for the end of the program. Before the program enters a module
// (loading its library, or any call into it) the library's file name and the call
// are written to a record file that is mapped into memory, so the name is on disk
// whatever ends the process: a fatal signal, a call that never returns (a watchdog
// ends the program), exit() or _exit() from inside the module, or a kill from
// outside. Leaving the call restores what the record held before, so a record that
// names a module after the process is gone names the culprit. The next start reads
// it, switches that module off and tells the user.
//
// Record: "<file name>\n<call>\n" and, when the guard saw how the program ended,
// "<how>\n" ("signal N", "hang", "exit"); NUL bytes fill the rest of the page. Empty
// when nothing is to blame. "alive" among the hows says the event loop ran inside the
// call (the module's own dialog): an end from outside then blames nobody.

// Where the record of this user lives: $XDG_STATE_HOME/glimra4/module-crash.rec,
// or ~/.local/state/glimra4/ without it. The folder is made when missing; empty
// when neither variable is set.
std::string DefaultCrashRecordPath();

struct TCrashBlame {
    std::string Module; // the library's file name; empty: nothing to blame
    std::string Call;
    std::string How; // empty when the process was ended from outside
};

// What the last run left in the record. Nothing for the record this run guards with.
TCrashBlame ReadCrashRecord(const std::string& path);

// Opens the record for this run afresh and maps it (the handlers cannot open files), installs
// the handler for SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT, the atexit hook and
// the watchdog. False with a reason on stderr when the record cannot be made; then
// nothing is blamed. Calling it again for the same path changes nothing.
// hangMs: how long a module call may go without the program showing life.
bool StartCrashGuard(const std::string& path, int hangMs = 10000);
bool CrashGuardActive();
// Called by the user-interface thread's event loop: a module call in progress that
// runs the loop (its own dialog) is not hanging, and the record says so.
void CrashGuardHeartbeat();
// ping runs on the watchdog's thread when a module call has shown no progress for a
// tenth of the limit; it should have the event loop call CrashGuardHeartbeat, which
// it does only if the loop still runs.
void SetCrashGuardPing(void (*ping)());

// While alive the record names module and call. Both must outlive the scope.
// Scopes nest: a module calling the host, which calls a module again.
class TCrashScope {
public:
    TCrashScope(const char* module, const char* call);
    ~TCrashScope();
    TCrashScope(const TCrashScope&) = delete;
    TCrashScope& operator=(const TCrashScope&) = delete;

private:
    const char* PreviousModule;
    const char* PreviousCall;
};

} // namespace glimra
