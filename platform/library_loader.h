#pragma once
#include <string>

namespace glimra {

// One shared library, loaded with every symbol resolved at once and kept to itself,
// so a library with a missing symbol fails here and modules never bind each other's
// names. Released when destroyed.
class TLibraryLoader {
public:
    TLibraryLoader() = default;
    ~TLibraryLoader() { Close(); }
    TLibraryLoader(const TLibraryLoader&) = delete;
    TLibraryLoader& operator=(const TLibraryLoader&) = delete;

    // Closes any library held first. False with ErrorText() on failure.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return Handle != nullptr; }
    // The address of an exported name, or nullptr.
    void* Symbol(const char* name) const;
    // What the last failed Open said.
    const std::string& ErrorText() const { return Error; }

private:
    void* Handle = nullptr;
    std::string Error;
};

} // namespace glimra
