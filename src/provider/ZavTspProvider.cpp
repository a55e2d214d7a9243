// The provider-level TSPI functions: enumeration, initialisation, shut-down
// and the adding of a telephone while running; installation, removal and
// the configuration dialog, which TAPI's control panel calls.
#include <cstring>
#include <new>
#include <string>

#include "config/ZavConfigDialogs.h"
#include "config/ZavRegistry.h"
#include "platform/Text.h"
#include "provider/ZavExport.h"
#include "provider/ZavFixedResult.h"
#include "provider/ZavSession.h"
#include "provider/ZavTspGlobals.h"
#include "provider/ZavTspGuard.h"
#include "provider/ZavTspVersion.h"
#include "switchlink/ZavPhone.h"
#include "tsp/ZavLine.h"

#define ZAV_PROVIDER_END ZAV_TSPI_END("ZavTspProviderFunctions", LINEERR_OPERATIONFAILED)

ZAV_EXPORT LONG TSPIAPI TSPI_providerEnumDevices(DWORD dwPermanentProviderID, LPDWORD lpdwNumLines,
                                                 LPDWORD lpdwNumPhones, HPROVIDER hProvider,
                                                 LINEEVENT /*lpfnLineCreateProc*/,
                                                 PHONEEVENT /*lpfnPhoneCreateProc*/) {
    ZAV_TRACE("---- TSPI_providerEnumDevices() is invoked");
    ZAV_TSPI_BEGIN
    ZAV_TRACE("dwPermanentProviderID 0x%08X", dwPermanentProviderID);
    ghProvider.store(hProvider);
    DWORD n = ReadNumPhones();
    if (CheckPhoneKeys(n) != 0) return LINEERR_OPERATIONFAILED;
    // TAPI always passes both counters; a caller that does not gets the
    // result without them rather than a crash.
    if (lpdwNumLines) *lpdwNumLines = n;
    if (lpdwNumPhones) *lpdwNumPhones = n;
    return 0;
    ZAV_PROVIDER_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_providerInit(DWORD dwTSPIVersion, DWORD dwPermanentProviderID,
                                          DWORD dwLineDeviceIDBase, DWORD dwPhoneDeviceIDBase,
                                          DWORD_PTR dwNumLines, DWORD_PTR dwNumPhones,
                                          ASYNC_COMPLETION lpfnCompletionProc, LPDWORD lpdwTSPIOptions) {
    ZAV_TRACE("---- TSPI_providerInit() is invoked");
    ZAV_TSPI_BEGIN
    ZAV_TRACE("dwPermanentProviderID 0x%08X", dwPermanentProviderID);
    ZAV_TRACE("TSP Version %d.%d", static_cast<int>(dwTSPIVersion >> 16), static_cast<int>(dwTSPIVersion & 0xFFFF));
    ZAV_TRACE("dwLineDeviceIDBase 0x%08X", dwLineDeviceIDBase);
    ZAV_TRACE("dwPhoneDeviceIDBase 0x%08X", dwPhoneDeviceIDBase);
    ZAV_TRACE("dwNumLines 0x%08X", static_cast<DWORD>(dwNumLines));
    ZAV_TRACE("dwNumPhones 0x%08X", static_cast<DWORD>(dwNumPhones));
    if (gpTS.load()) {
        ZAV_TRACE("---- TSPI_providerInit(), LINEERR_REINIT");
        return LINEERR_REINIT;
    }
    if (lpdwTSPIOptions) *lpdwTSPIOptions = LINETSPIOPTION_NONREENTRANT;
    if (CheckPhoneKeys(static_cast<DWORD>(dwNumPhones)) != 0) {
        ZAV_TRACE("**** ERROR: failed at CheckPhoneKeys()");
        return LINEERR_RESOURCEUNAVAIL;
    }
    ZAV_TRACE("ZAVTSP Current Version is %08X", kZavTspiVersion);
    // The object graph pairs line i with phone i; TAPI passes equal counts
    // because enumeration reported equal counts.
    ZavSession* session =
        new (std::nothrow) ZavSession(dwTSPIVersion, dwPermanentProviderID, dwLineDeviceIDBase, dwPhoneDeviceIDBase,
                                      static_cast<DWORD>(dwNumLines), static_cast<DWORD>(dwNumPhones),
                                      lpfnCompletionProc);
    if (!session) {
        ZAV_TRACE("---- TSPI_providerInit(), LINEERR_NOMEM");
        return LINEERR_NOMEM;
    }
    gpTS.store(session);
    if (session->Init() == 0) return 0;
    ZAV_TRACE("**** ERROR: failed at gpTS->Init()");
    gpTS.store(nullptr);
    delete session;
    return LINEERR_RESOURCEUNAVAIL;
    ZAV_PROVIDER_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_providerShutdown(DWORD dwTSPIVersion, DWORD dwPermanentProviderID) {
    ZAV_TRACE("---- TSPI_providerShutdown() is invoked");
    ZAV_TSPI_BEGIN
    ZAV_TRACE("dwPermanentProviderID 0x%08X", dwPermanentProviderID);
    ZavSession* session = gpTS.load();
    if (!session) {
        ZAV_TRACE("---- TSPI_providerShutdown() complete");
        return 0;
    }
    LONG result = session->IsRightVersion(dwTSPIVersion) ? 0 : LINEERR_INCOMPATIBLEAPIVERSION;

    ZAV_TRACE("---- TSPI_providerShutdown(), 1");
    for (DWORD i = 0; i < session->GetNumLines(); ++i) {
        ZavLine* line = ZavLine::m_LineVect.at(i);
        if (line && line->IsActive()) TSPI_lineClose(line->ToLineHandle());
    }
    ZAV_TRACE("---- TSPI_providerShutdown(), 2");
    for (DWORD i = 0; i < session->GetNumPhones(); ++i) {
        ZavPhone* phone = ZavPhone::m_PhoneVect.at(i);
        if (phone && phone->IsPhoneDeviceActive()) TSPI_phoneClose(phone->ToPhoneHandle());
    }
    ZAV_TRACE("---- TSPI_providerShutdown(), 3");
    gpTS.store(nullptr);
    delete session;
    ZAV_TRACE("---- TSPI_providerShutdown() complete");
    return result;
    ZAV_PROVIDER_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_providerCreateLineDevice(DWORD_PTR dwTempID, DWORD /*dwDeviceID*/) {
    ZAV_TRACE("---- TSPI_providerCreateLineDevice() is invoked");
    ZAV_TSPI_BEGIN
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_NOMEM;
    if (!session->IsValidTempId(dwTempID)) return LINEERR_BADDEVICEID;
    return session->AddNewLine() == 0 ? 0 : LINEERR_OPERATIONFAILED;
    ZAV_PROVIDER_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_providerCreatePhoneDevice(DWORD_PTR /*dwTempID*/, DWORD /*dwDeviceID*/) {
    ZAV_TRACE("---- TSPI_providerCreatePhoneDevice() is invoked");
    return LINEERR_OPERATIONUNAVAIL;
}

ZAV_EXPORT LONG TSPIAPI TSPI_providerGenericDialogData(DWORD_PTR /*dwObjectID*/, DWORD /*dwObjectType*/,
                                                       LPVOID /*lpParams*/, DWORD /*dwSize*/) {
    ZAV_TRACE("---- TSPI_providerGenericDialogData() is invoked");
    ZAV_TSPI_BEGIN
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_NOMEM;
    return session->NotifyLineCreate() == 0 ? 0 : LINEERR_OPERATIONFAILED;
    ZAV_PROVIDER_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_providerFreeDialogInstance(HDRVDIALOGINSTANCE /*hdDlgInst*/) {
    ZAV_TRACE("---- TSPI_providerFreeDialogInstance() is invoked");
    return 0;
}

ZAV_EXPORT LONG TSPIAPI TSPI_providerUIIdentify(LPWSTR lpszUIDLLName) {
    ZAV_TRACE("---- TSPI_providerUIIdentify() is invoked");
    // TAPI hands a buffer of MAX_PATH characters; the name takes 11.
    if (lpszUIDLLName) std::memcpy(lpszUIDLLName, kZavUiLibraryName, sizeof kZavUiLibraryName);
    return 0;
}

// Installation, removal and configuration. TAPI calls these from its control
// panel's process, on that process's thread, with a window to own the
// dialog; the TUISPI_ ones hand over the callback through which the dialog
// tells the running provider about added telephones.

namespace {

// The device class is TAPI's; the dialog configures the provider as a whole.
void TraceDeviceClass(LPCWSTR lpszDeviceClass) {
    std::string deviceClass = lpszDeviceClass ? plat::WideToAnsi(lpszDeviceClass) : std::string();
    if (deviceClass.size() > 127) deviceClass.resize(127);
    ZAV_TRACE("lpszDeviceClass %s", deviceClass.c_str());
}

LONG ConfigDialog(TUISPIDLLCALLBACK lpfnUIDLLCallback, HWND hwndOwner) {
    ZavRunConfigDialog(ghInstance.load(), hwndOwner, lpfnUIDLLCallback);
    return 0;
}

}  // namespace

ZAV_EXPORT LONG TSPIAPI TUISPI_lineConfigDialog(TUISPIDLLCALLBACK lpfnUIDLLCallback, DWORD /*dwDeviceID*/,
                                                HWND hwndOwner, LPCWSTR lpszDeviceClass) {
    ZAV_TRACE("---- TUISPI_lineConfigDialog() is invoked");
    ZAV_TSPI_BEGIN
    TraceDeviceClass(lpszDeviceClass);
    return ConfigDialog(lpfnUIDLLCallback, hwndOwner);
    ZAV_PROVIDER_END
}

ZAV_EXPORT LONG TSPIAPI TUISPI_lineConfigDialogEdit(TUISPIDLLCALLBACK lpfnUIDLLCallback, DWORD /*dwDeviceID*/,
                                                    HWND hwndOwner, LPCWSTR lpszDeviceClass,
                                                    LPVOID const /*lpDeviceConfigIn*/, DWORD /*dwSize*/,
                                                    LPVARSTRING /*lpDeviceConfigOut*/) {
    ZAV_TRACE("---- TUISPI_lineConfigDialogEdit() is invoked");
    ZAV_TSPI_BEGIN
    TraceDeviceClass(lpszDeviceClass);
    return ConfigDialog(lpfnUIDLLCallback, hwndOwner);
    ZAV_PROVIDER_END
}

ZAV_EXPORT LONG TSPIAPI TUISPI_providerConfig(TUISPIDLLCALLBACK lpfnUIDLLCallback, HWND hwndOwner,
                                              DWORD dwPermanentProviderID) {
    ZAV_TRACE("---- TUISPI_providerConfig() is invoked");
    ZAV_TSPI_BEGIN
    ZAV_TRACE("dwPermanentProviderID 0x%08X", dwPermanentProviderID);
    return ConfigDialog(lpfnUIDLLCallback, hwndOwner);
    ZAV_PROVIDER_END
}

ZAV_EXPORT LONG TSPIAPI TUISPI_providerInstall(TUISPIDLLCALLBACK lpfnUIDLLCallback, HWND hwndOwner,
                                               DWORD dwPermanentProviderID) {
    ZAV_TRACE("---- TUISPI_providerInstall() is invoked");
    ZAV_TSPI_BEGIN
    ZAV_TRACE("dwPermanentProviderID 0x%08X", dwPermanentProviderID);
    if (ZavIsProviderInstalled()) return LINEERR_NOMULTIPLEINSTANCE;
    CreateZAVRegistryKeys();
    return ConfigDialog(lpfnUIDLLCallback, hwndOwner);
    ZAV_PROVIDER_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_providerInstall(HWND hwndOwner, DWORD dwPermanentProviderID) {
    ZAV_TRACE("---- TSPI_providerInstall() is invoked");
    ZAV_TSPI_BEGIN
    ZAV_TRACE("dwPermanentProviderID 0x%08X", dwPermanentProviderID);
    if (ZavIsProviderInstalled()) return LINEERR_NOMULTIPLEINSTANCE;
    return ConfigDialog(nullptr, hwndOwner);
    ZAV_PROVIDER_END
}

ZAV_FIXED_RESULT(TUISPI_providerRemove, (TUISPIDLLCALLBACK, HWND, DWORD), 0)
ZAV_FIXED_RESULT(TUISPI_providerGenericDialog, (TUISPIDLLCALLBACK, HTAPIDIALOGINSTANCE, LPVOID, DWORD, HANDLE),
                 0)
ZAV_FIXED_RESULT(TUISPI_providerGenericDialogData, (HTAPIDIALOGINSTANCE, LPVOID, DWORD), 0)
ZAV_FIXED_RESULT(TSPI_providerRemove, (HWND, DWORD), 0)
ZAV_FIXED_RESULT(TSPI_providerConfig, (HWND, DWORD), 0)
