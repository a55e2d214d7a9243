#include "provider/ZavTspGlobals.h"

#include "provider/ZavTspVersion.h"
#include "trace/ZavTrace.h"
#include "trace/ZavTraceLog.h"

std::atomic<HINSTANCE> ghInstance{nullptr};
std::atomic<ZavSession*> gpTS{nullptr};
std::atomic<HPROVIDER> ghProvider{nullptr};

void ZavProcessAttach(HINSTANCE instance) {
    if (!ghInstance.load()) {
        ZavTraceLog& log = ZavTheTraceLog();
        log.Init();
        log.SetVersion(kZavVersionText);
        int module = log.RegisterModule("ZAVTSP");
        g_ZavTraceModule = module < 0 ? 0 : module;
        log.SetOutputOptions(2);
        log.SetMaxSize(50);
    }
    ZAV_TRACE("dllMain() DLL_PROCESS_ATTACH");
    ghInstance.store(instance);
}

void ZavProcessDetach() { ZAV_TRACE("dllMain() DLL_PROCESS_DETACH"); }

void ZavThreadAttach() { ZAV_TRACE("dllMain() DLL_THREAD_ATTACH"); }

void ZavThreadDetach() { ZAV_TRACE("dllMain() DLL_THREAD_DETACH"); }
