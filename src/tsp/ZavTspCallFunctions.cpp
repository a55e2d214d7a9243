// The TSPI_line* functions that work on calls.
#include "callctrl/ZavCall.h"
#include "provider/ZavExport.h"
#include "provider/ZavSession.h"
#include "provider/ZavTspGlobals.h"
#include "provider/ZavTspGuard.h"
#include "tsp/ZavCallUse.h"

ZAV_EXPORT LONG TSPIAPI TSPI_lineCloseCall(HDRVCALL hdCall) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineCloseCall PARAM: hdCall 0x%08X",
              static_cast<DWORD>(reinterpret_cast<uintptr_t>(hdCall)));
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavCall* call = session->ToDeleteCallPointer(hdCall);
    if (!call) return LINEERR_INVALCALLHANDLE;
    // No request of a closed call may stay open at TAPI.
    call->CleanUpCompIds();
    call->SetHTapiCall(nullptr);
    delete call;
    return 0;
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}
