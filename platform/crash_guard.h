#pragma once
#include <string>

namespace glimra {

// Blames a fatal signal on the module the program was calling. The record file
// holds the blamed module's file name until the next start reads it.

// The name the last run left in the record, or empty; removes the record.
std::string TakeCrashRecord(const std::string& path);
// Opens the record for this run (the handler cannot open files) and installs the
// handler for SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT. False when the record
// cannot be opened; nothing is blamed then.
bool StartCrashGuard(const std::string& path);

// While alive, a fatal signal writes name to the record. name must outlive the
// scope. Scopes nest: a module calling the host, which calls a module again.
class TCrashScope {
public:
    explicit TCrashScope(const char* name);
    ~TCrashScope();
    TCrashScope(const TCrashScope&) = delete;
    TCrashScope& operator=(const TCrashScope&) = delete;

private:
    const char* Previous;
};

} // namespace glimra
