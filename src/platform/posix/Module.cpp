#include "platform/Module.h"

#include <dlfcn.h>

namespace plat {

HMODULE LoadModule(const char* path, std::string* error) {
    if (!path || !*path) {
        if (error) *error = "empty path";
        return nullptr;
    }
    void* h = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!h && error) {
        const char* e = ::dlerror();
        *error = e ? e : "dlopen failed";
    }
    return static_cast<HMODULE>(h);
}

void* GetModuleSymbol(HMODULE module, const char* name) {
    if (!module || !name) return nullptr;
    return ::dlsym(module, name);
}

void UnloadModule(HMODULE module) {
    if (module) ::dlclose(module);
}

std::string ModulePathOf(const void* address) {
    Dl_info info;
    if (::dladdr(address, &info) && info.dli_fname) return info.dli_fname;
    return std::string();
}

}  // namespace plat

namespace plat {

HMODULE ModuleHandleOf(const void* address) {
    Dl_info info;
    if (::dladdr(address, &info) && info.dli_fbase) return static_cast<HMODULE>(info.dli_fbase);
    return nullptr;
}

}  // namespace plat
