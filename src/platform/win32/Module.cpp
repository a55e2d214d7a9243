#include "platform/Module.h"

namespace plat {

HMODULE LoadModule(const char* path, std::string* error) {
    if (!path || !*path) {
        if (error) *error = "empty path";
        return nullptr;
    }
    HMODULE h = ::LoadLibraryA(path);
    if (!h && error) *error = "LoadLibrary failed, error " + std::to_string(::GetLastError());
    return h;
}

void* GetModuleSymbol(HMODULE module, const char* name) {
    if (!module || !name) return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(module, name));
}

void UnloadModule(HMODULE module) {
    if (module) ::FreeLibrary(module);
}

std::string ModulePathOf(const void* address) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCSTR>(address), &module))
        return std::string();
    char buf[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(module, buf, sizeof buf);
    return std::string(buf, n);
}

}  // namespace plat

namespace plat {

HMODULE ModuleHandleOf(const void* address) {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCSTR>(address), &module);
    return module;
}

}  // namespace plat
