#include "machost/LaunchServicesLookup.h"

#include <dlfcn.h>

namespace vantrel::mac {

void* LaunchServicesLookup::find(const char* libraryPath, const char* symbolName)
{
    void* handle = dlopen(libraryPath, openMode);
    if (!handle) {
        return nullptr;
    }
    return dlsym(handle, symbolName); // the handle stays open for the process's life
}

} // namespace vantrel::mac
