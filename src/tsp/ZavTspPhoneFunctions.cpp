// The TSPI_phone* functions. A telephone's phone device can be opened and
// closed, which keeps the switch link up together with the line device;
// every other request is accepted without effect or refused.
#include <cstring>

#include "provider/ZavExport.h"
#include "provider/ZavFixedResult.h"
#include "provider/ZavSession.h"
#include "provider/ZavTspGlobals.h"
#include "provider/ZavTspGuard.h"
#include "switchlink/ZavPhone.h"
#include "tapi/TapiSizes.h"
#include "tapi/TapiVersions.h"

#define ZAV_PHONE_BEGIN ZAV_TSPI_BEGIN
#define ZAV_PHONE_END ZAV_TSPI_END("ZavTspPhoneFunctions", PHONEERR_OPERATIONFAILED)

ZAV_EXPORT LONG TSPIAPI TSPI_phoneOpen(DWORD dwDeviceID, HTAPIPHONE htPhone, LPHDRVPHONE lphdPhone,
                                       DWORD dwTSPIVersion, PHONEEVENT lpfnEventProc) {
    ZAV_PHONE_BEGIN
    ZAV_TRACE("---- TSPI_phoneOpen() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return PHONEERR_UNINITIALIZED;
    if (!session->IsValidPhoneDeviceId(dwDeviceID)) return PHONEERR_NODRIVER;
    if (!session->IsRightVersion(dwTSPIVersion)) return PHONEERR_INCOMPATIBLEAPIVERSION;
    ZavPhone* phone = ZavPhone::m_PhoneVect.at(session->ToPhoneId(dwDeviceID));
    if (!phone) return PHONEERR_NODRIVER;
    if (phone->IsPhoneDeviceActive()) return PHONEERR_REINIT;
    // Not among TAPI's own checks, but a null out-pointer must not crash
    // the service; refused before anything changes.
    if (!lphdPhone) return PHONEERR_INVALPOINTER;
    // The switch link stays as it is: only the line device connects.
    phone->ActivatePhoneDevice(htPhone, lpfnEventProc);
    *lphdPhone = phone->ToPhoneHandle();
    return 0;
    ZAV_PHONE_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_phoneClose(HDRVPHONE hdPhone) {
    ZAV_PHONE_BEGIN
    ZAV_TRACE("---- TSPI_phoneClose() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return PHONEERR_UNINITIALIZED;
    ZavPhone* phone = session->ToPhonePointer(hdPhone);
    if (!phone || !phone->IsPhoneDeviceActive()) return PHONEERR_INVALPHONEHANDLE;
    // Takes the link down unless the line device still needs it.
    phone->DeactivatePhoneDevice();
    return 0;
    ZAV_PHONE_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_phoneGetDevCaps(DWORD dwDeviceID, DWORD dwTSPIVersion, DWORD dwExtVersion,
                                             LPPHONECAPS lpPhoneCaps) {
    ZAV_PHONE_BEGIN
    ZAV_TRACE("---- TSPI_phoneGetDevCaps() ### device 0x%08X", dwDeviceID);
    ZavSession* session = gpTS.load();
    if (!session) return PHONEERR_UNINITIALIZED;
    if (!session->IsValidPhoneDeviceId(dwDeviceID)) return PHONEERR_BADDEVICEID;
    if (!session->IsRightVersion(dwTSPIVersion)) return PHONEERR_INCOMPATIBLEAPIVERSION;
    if (dwExtVersion != 0) return PHONEERR_INCOMPATIBLEEXTVERSION;
    if (!lpPhoneCaps) return PHONEERR_INVALPOINTER;
    if (lpPhoneCaps->dwTotalSize < tapi::kPhoneCapsSize20) return PHONEERR_STRUCTURETOOSMALL;
    // The phone device offers nothing to describe: the structure is left
    // as TAPI passed it.
    return 0;
    ZAV_PHONE_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_phoneNegotiateTSPIVersion(DWORD /*dwDeviceID*/, DWORD /*dwLowVersion*/,
                                                       DWORD /*dwHighVersion*/, LPDWORD lpdwTSPIVersion) {
    ZAV_PHONE_BEGIN
    // The provider speaks one version; TAPI decides whether it will do.
    if (lpdwTSPIVersion) *lpdwTSPIVersion = tapi::kTspiVersion;
    return 0;
    ZAV_PHONE_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_phoneGetExtensionID(DWORD /*dwDeviceID*/, DWORD /*dwTSPIVersion*/,
                                                 LPPHONEEXTENSIONID lpExtensionID) {
    ZAV_PHONE_BEGIN
    ZAV_TRACE("---- TSPI_phoneGetExtensionID() is invoked");
    if (lpExtensionID) std::memset(lpExtensionID, 0, sizeof *lpExtensionID);
    return 0;
    ZAV_PHONE_END
}

// No device-specific requests and no extensions.
ZAV_FIXED_RESULT(TSPI_phoneDevSpecific, (DRV_REQUESTID, HDRVPHONE, LPVOID, DWORD), PHONEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_phoneNegotiateExtVersion, (DWORD, DWORD, DWORD, DWORD, LPDWORD), PHONEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_phoneSelectExtVersion, (HDRVPHONE, DWORD), PHONEERR_OPERATIONUNAVAIL)

// The telephone's buttons, lamps, display, ring and volume belong to the
// switch: reading them succeeds without writing anything, and setting them
// succeeds without doing anything and without a completion.
ZAV_FIXED_RESULT(TSPI_phoneGetButtonInfo, (HDRVPHONE, DWORD, LPPHONEBUTTONINFO), 0)
ZAV_FIXED_RESULT(TSPI_phoneGetData, (HDRVPHONE, DWORD, LPVOID, DWORD), 0)
ZAV_FIXED_RESULT(TSPI_phoneGetDisplay, (HDRVPHONE, LPVARSTRING), 0)
ZAV_FIXED_RESULT(TSPI_phoneGetGain, (HDRVPHONE, DWORD, LPDWORD), 0)
ZAV_FIXED_RESULT(TSPI_phoneGetHookSwitch, (HDRVPHONE, LPDWORD), 0)
ZAV_FIXED_RESULT(TSPI_phoneGetIcon, (DWORD, LPCWSTR, LPHICON), 0)
ZAV_FIXED_RESULT(TSPI_phoneGetID, (HDRVPHONE, LPVARSTRING, LPCWSTR, HANDLE), 0)
ZAV_FIXED_RESULT(TSPI_phoneGetLamp, (HDRVPHONE, DWORD, LPDWORD), 0)
ZAV_FIXED_RESULT(TSPI_phoneGetRing, (HDRVPHONE, LPDWORD, LPDWORD), 0)
ZAV_FIXED_RESULT(TSPI_phoneGetStatus, (HDRVPHONE, LPPHONESTATUS), 0)
ZAV_FIXED_RESULT(TSPI_phoneGetVolume, (HDRVPHONE, DWORD, LPDWORD), 0)
ZAV_FIXED_RESULT(TSPI_phoneSetButtonInfo, (DRV_REQUESTID, HDRVPHONE, DWORD, LPPHONEBUTTONINFO const), 0)
ZAV_FIXED_RESULT(TSPI_phoneSetData, (DRV_REQUESTID, HDRVPHONE, DWORD, LPVOID const, DWORD), 0)
ZAV_FIXED_RESULT(TSPI_phoneSetDisplay, (DRV_REQUESTID, HDRVPHONE, DWORD, DWORD, LPCWSTR, DWORD), 0)
ZAV_FIXED_RESULT(TSPI_phoneSetGain, (DRV_REQUESTID, HDRVPHONE, DWORD, DWORD), 0)
ZAV_FIXED_RESULT(TSPI_phoneSetHookSwitch, (DRV_REQUESTID, HDRVPHONE, DWORD, DWORD), 0)
ZAV_FIXED_RESULT(TSPI_phoneSetLamp, (DRV_REQUESTID, HDRVPHONE, DWORD, DWORD), 0)
ZAV_FIXED_RESULT(TSPI_phoneSetRing, (DRV_REQUESTID, HDRVPHONE, DWORD, DWORD), 0)
ZAV_FIXED_RESULT(TSPI_phoneSetStatusMessages, (HDRVPHONE, DWORD, DWORD, DWORD), 0)
ZAV_FIXED_RESULT(TSPI_phoneSetVolume, (DRV_REQUESTID, HDRVPHONE, DWORD, DWORD), 0)
