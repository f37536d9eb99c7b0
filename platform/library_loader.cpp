#include "platform/library_loader.h"

#include <dlfcn.h>

namespace glimra {

bool TLibraryLoader::Open(const std::string& path) {
    Close();
    Handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!Handle) {
        const char* text = dlerror();
        Error = text ? text : "cannot load " + path;
        return false;
    }
    Error.clear();
    return true;
}

void TLibraryLoader::Close() {
    if (Handle)
        dlclose(Handle);
    Handle = nullptr;
}

void* TLibraryLoader::Symbol(const char* name) const {
    return Handle ? dlsym(Handle, name) : nullptr;
}

} // namespace glimra
