// The TSPI_phone* functions.
#include "provider/ZavExport.h"
#include "provider/ZavSession.h"
#include "provider/ZavTspGlobals.h"
#include "provider/ZavTspGuard.h"
#include "switchlink/ZavPhone.h"

#define ZAV_PHONE_END ZAV_TSPI_END("ZavTspPhoneFunctions", PHONEERR_OPERATIONFAILED)

ZAV_EXPORT LONG TSPIAPI TSPI_phoneClose(HDRVPHONE hdPhone) {
    ZAV_TRACE("---- TSPI_phoneClose() is invoked");
    ZAV_TSPI_BEGIN
    ZavSession* session = gpTS.load();
    if (!session) return PHONEERR_UNINITIALIZED;
    if (!session->ToPhonePointer(hdPhone)) return PHONEERR_INVALPHONEHANDLE;
    return 0;
    ZAV_PHONE_END
}
