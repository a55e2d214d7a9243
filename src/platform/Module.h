// Loading shared libraries by path and finding their exports by name.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace plat {

// Null on failure; `error` (optional) receives the OS's reason.
HMODULE LoadModule(const char* path, std::string* error);
void* GetModuleSymbol(HMODULE module, const char* name);
void UnloadModule(HMODULE module);

// Full path of the module that contains `address` (empty when unknown).
std::string ModulePathOf(const void* address);

}  // namespace plat

namespace plat {

// The handle of the module that contains `address` (its load address, as a
// Windows module handle is); null when unknown.
HMODULE ModuleHandleOf(const void* address);

}  // namespace plat
