// The library's OS entry point. On Windows, DllMain; elsewhere the shared
// library's load and unload hooks, which the loader runs at the same points.
// Nothing is freed at detach: TAPI unloads the provider only when done.
#include "platform/Module.h"
#include "provider/ZavTspGlobals.h"

#ifdef _WIN32

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
    switch (dwReason) {
        case DLL_PROCESS_ATTACH: ZavProcessAttach(hInstance); break;
        case DLL_PROCESS_DETACH: ZavProcessDetach(); break;
        case DLL_THREAD_ATTACH: ZavThreadAttach(); break;
        case DLL_THREAD_DETACH: ZavThreadDetach(); break;
        default: break;
    }
    return TRUE;
}

#else

namespace {

__attribute__((constructor)) void ZavLibraryLoad() {
    ZavProcessAttach(plat::ModuleHandleOf(reinterpret_cast<const void*>(&ZavLibraryLoad)));
}

__attribute__((destructor)) void ZavLibraryUnload() { ZavProcessDetach(); }

}  // namespace

#endif
