// The TSPI_line* functions that park and retrieve calls, pick up calls
// ringing elsewhere, send an offered call on, and forward the extension.
// Unpark and pickup work through a new call: off-hook first, and the
// command only once the switch has given the new leg its SAL.
#include <memory>
#include <new>
#include <string>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "callctrl/ZavOutCall.h"
#include "platform/Text.h"
#include "platform/Thread.h"
#include "provider/ZavExport.h"
#include "provider/ZavSession.h"
#include "provider/ZavTspGlobals.h"
#include "provider/ZavTspGuard.h"
#include "switchlink/ZavPhone.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavCallUse.h"
#include "tsp/ZavLine.h"
#include "tsp/ZavTspCallSupport.h"
#include "tsp/ZavTspLineLock.h"

#define ZAV_PARK_BEGIN ZAV_TSPI_BEGIN
#define ZAV_PARK_END ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)

namespace {

constexpr DWORD kSalWaitMs = 1000;
// The forward modes the switch offers; the same set the address reports.
constexpr DWORD kForwardModes =
    LINEFORWARDMODE_UNCONDINTERNAL | LINEFORWARDMODE_UNCONDEXTERNAL | LINEFORWARDMODE_BUSY | LINEFORWARDMODE_NOANSW;
// A TAPI 2.x LINEFORWARD ends after dwDestAddressOffset.
constexpr DWORD kForwardEntrySize20 = 6 * sizeof(DWORD);
constexpr DWORD kForwardListHeader = 2 * sizeof(DWORD);

// The new call of an unpark or pickup, from its creation until the switch
// has answered its off-hook.
class NewLegCall {
public:
    NewLegCall(ZavPhone* phone, ZavCallHub* hub) : m_phone(phone), m_hub(hub) {}
    // Destroys a call that did not get through, under the extension's lock
    // as every destruction of a call.
    ~NewLegCall() {
        if (!m_call) return;
        ZavCallUse use(m_phone);
        if (m_hub->CallIdToCallPtr(m_id) == m_call) delete m_call;
    }

    // Creates, stores and takes off-hook the call; 0 or the refusal.
    LONG Start(HTAPICALL htCall, const ZavAddress& addr, const char* parkNumber, LPHDRVCALL lphdCall) {
        ZavCallUse use(m_phone);
        std::unique_ptr<ZavOutCall> call(new (std::nothrow) ZavOutCall(htCall));
        if (!call) return LINEERR_NOMEM;
        if (m_hub->SaveCall(call.get()) < 0) {
            ZAV_TRACE("**** ERROR: Failed at theCHub->SaveCall()!");
            return LINEERR_RESOURCEUNAVAIL;
        }
        ZavApplyCallParams(*call, nullptr, addr);
        if (lphdCall) *lphdCall = call->ToCallHandle();
        if (parkNumber) call->SetParkNumber(parkNumber);
        m_id = call->GetId();
        if (call->MakeCall() != 0) {
            ZAV_TRACE("**** ERROR: Failed at theCall->MakeCall()!");
            return LINEERR_RESOURCEUNAVAIL;
        }
        m_call = call.release();
        return 0;
    }

    // Polls until the switch has given the leg its SAL (and, when asked,
    // dial tone), for at most a second. The message thread sets both under
    // the extension's lock, so each look takes it and lets go again: held
    // throughout, it would keep the answer out. The call may end meanwhile;
    // it is then no longer this hub's, and the wait fails.
    bool WaitForSal(bool dialTone) {
        const DWORD start = plat::GetTickCount();
        for (;;) {
            {
                ZavCallUse use(m_phone);
                if (!Held()) {
                    m_call = nullptr;
                    return false;
                }
                if (m_call->GetSAL() != 0 &&
                    (!dialTone || m_call->GetCallState() == LINECALLSTATE_DIALTONE))
                    return true;
            }
            if (plat::GetTickCount() - start >= kSalWaitMs) return false;
            plat::Sleep(0);
        }
    }

    // Under the extension's lock: the call is still the hub's. Asked by the
    // id kept from its creation, never through the call, which may be gone.
    bool Held() const { return m_call && m_hub->CallIdToCallPtr(m_id) == m_call; }
    // The call, for use under the extension's lock once Held said so.
    ZavCall* Get() const { return m_call; }
    ZavCall* Release() {
        ZavCall* call = m_call;
        m_call = nullptr;
        return call;
    }

private:
    ZavPhone* m_phone;
    ZavCallHub* m_hub;
    ZavCall* m_call = nullptr;
    DWORD m_id = 0;
};

// The extension behind a line: its address 0, that address's hub, the
// hub's phone.
struct Extension {
    ZavAddress* addr = nullptr;
    ZavCallHub* hub = nullptr;
    ZavPhone* phone = nullptr;
    explicit Extension(ZavLine* line) : phone(ZavPhoneOfLine(line)) {
        if (!phone) return;
        addr = line->GetAddrPointer(0);
        hub = addr->GetCallHubPointer();
    }
    bool Complete() const { return phone != nullptr; }
};

}  // namespace

// Each function below that acts on an existing call holds the extension's
// message lock (ZavCallUse) from the translation of the handle to its last
// use: the call cannot end under it, and the switch's answer cannot be
// handled before the request it completes has been stored.

ZAV_EXPORT LONG TSPIAPI TSPI_linePark(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, DWORD dwParkMode,
                                      LPCWSTR lpszDirAddress, LPVARSTRING /*lpNonDirAddress*/) {
    ZAV_PARK_BEGIN
    ZAV_TRACE("---- TSPI_linePark() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavCall* call = session->ToCallPointer(hdCall);
    if (!call) return LINEERR_INVALCALLHANDLE;
    // A park still waiting for the switch: a second would take its place
    // in the call's request table, and the first would never be completed.
    if (call->GetCallState() != LINECALLSTATE_CONNECTED || call->GetRequestId(eReqPark) != 0)
        return LINEERR_INVALCALLSTATE;
    // Only directed park: the switch chooses no park place.
    if (dwParkMode == LINEPARKMODE_NONDIRECTED) return LINEERR_OPERATIONUNAVAIL;
    if (!lpszDirAddress) return LINEERR_INVALADDRESS;
    const std::string number = ZavToAnsi(lpszDirAddress);
    call->SetParkNumber(number.c_str());
    if (call->Park() != 0) return LINEERR_OPERATIONFAILED;
    call->SetRequestId(eReqPark, static_cast<DWORD>(dwRequestID));
    return ZavAccepted(dwRequestID);
    ZAV_PARK_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineUnpark(DRV_REQUESTID dwRequestID, HDRVLINE hdLine, DWORD /*dwAddressID*/,
                                        HTAPICALL htCall, LPHDRVCALL lphdCall, LPCWSTR lpszDestAddress) {
    ZAV_PARK_BEGIN
    ZAV_TRACE("---- TSPI_lineUnpark() is invoked");
    ZavLockHolder hold(s_TspLineLock);
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    if (!lpszDestAddress || !*lpszDestAddress) return LINEERR_INVALADDRESS;
    ZavLine* line = session->ToLinePointer(hdLine);
    if (!line) return LINEERR_INVALLINEHANDLE;
    if (!lphdCall) return LINEERR_INVALPOINTER;
    Extension ext(line);
    if (!ext.Complete()) return LINEERR_INVALLINEHANDLE;
    const std::string number = ZavToAnsi(lpszDestAddress);
    NewLegCall call(ext.phone, ext.hub);
    if (LONG refused = call.Start(htCall, *ext.addr, number.c_str(), lphdCall)) return refused;
    if (!call.WaitForSal(true)) {
        ZAV_TRACE("**** ERROR: Failed at !theCall->GetSAL() before UnPark");
        return LINEERR_RESOURCEUNAVAIL;
    }
    ZavCallUse use(ext.phone);
    const bool held = call.Held();
    ZavCall* unparking = call.Release();
    if (!held) return LINEERR_RESOURCEUNAVAIL;
    if (unparking->UnPark() != 0) return LINEERR_OPERATIONFAILED;
    unparking->SetRequestId(eReqUnpark, static_cast<DWORD>(dwRequestID));
    return ZavAccepted(dwRequestID);
    ZAV_PARK_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_linePickup(DRV_REQUESTID dwRequestID, HDRVLINE hdLine, DWORD /*dwAddressID*/,
                                        HTAPICALL htCall, LPHDRVCALL lphdCall, LPCWSTR lpszDestAddress,
                                        LPCWSTR lpszGroupID) {
    ZAV_PARK_BEGIN
    ZAV_TRACE("---- TSPI_linePickup() is invoked");
    ZavLockHolder hold(s_TspLineLock);
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    if (lpszDestAddress && !*lpszDestAddress) return LINEERR_INVALADDRESS;
    if (lpszGroupID && !*lpszGroupID) return LINEERR_INVALGROUPID;
    ZavLine* line = session->ToLinePointer(hdLine);
    if (!line) return LINEERR_INVALLINEHANDLE;
    if (!lphdCall) return LINEERR_INVALPOINTER;
    Extension ext(line);
    if (!ext.Complete()) return LINEERR_INVALLINEHANDLE;
    // A named extension is a directed pickup; else the group's, else the
    // extension's own group.
    const bool directed = lpszDestAddress != nullptr;
    const std::string number = ZavToAnsi(directed ? lpszDestAddress : lpszGroupID);
    NewLegCall call(ext.phone, ext.hub);
    if (LONG refused = call.Start(htCall, *ext.addr, nullptr, lphdCall)) return refused;
    {
        ZavCallUse use(ext.phone);
        if (call.Held()) call.Get()->SetPickupNumber(number.c_str());
    }
    if (!call.WaitForSal(false)) {
        ZAV_TRACE("**** ERROR: Failed at !theCall->GetSAL() before Pickup");
        return LINEERR_RESOURCEUNAVAIL;
    }
    ZavCallUse use(ext.phone);
    const bool held = call.Held();
    ZavCall* picking = call.Release();
    if (!held) return LINEERR_RESOURCEUNAVAIL;
    picking->Pickup(directed ? 1 : 0);
    // The function answers TAPI itself; the event names the request it
    // answered, so that an application that waits for a reply gets one.
    picking->NotifyLineReply(static_cast<DWORD_PTR>(dwRequestID));
    return 0;
    ZAV_PARK_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineRedirect(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, LPCWSTR lpszDestAddress,
                                          DWORD /*dwCountryCode*/) {
    ZAV_PARK_BEGIN
    ZAV_TRACE("---- TSPI_lineRedirect() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavCall* call = session->ToCallPointer(hdCall);
    if (!call) return LINEERR_INVALCALLHANDLE;
    // So is a redirect.
    if (!call->IsOffering() || call->GetRequestId(eReqRedirect) != 0) return LINEERR_INVALCALLSTATE;
    if (lpszDestAddress && !*lpszDestAddress) return LINEERR_INVALADDRESS;
    const std::string dest = ZavToAnsi(lpszDestAddress);
    if (ZavPhone* phone = call->GetPhonePointer())
        phone->Redirect(lpszDestAddress ? dest.c_str() : nullptr, static_cast<LONG>(call->GetSAL()), call);
    call->SetRequestId(eReqRedirect, static_cast<DWORD>(dwRequestID));
    return ZavAccepted(dwRequestID);
    ZAV_PARK_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineForward(DRV_REQUESTID /*dwRequestID*/, HDRVLINE hdLine, DWORD /*bAllAddresses*/,
                                         DWORD dwAddressID, LPLINEFORWARDLIST const lpForwardList,
                                         DWORD dwNumRingsNoAnswer, HTAPICALL /*htConsultCall*/,
                                         LPHDRVCALL /*lphdConsultCall*/, LPLINECALLPARAMS const /*lpCallParams*/) {
    ZAV_PARK_BEGIN
    ZAV_TRACE("---- TSPI_lineForward() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavLine* line = session->ToLinePointer(hdLine);
    if (!line) return LINEERR_INVALLINEHANDLE;
    if (!ZavLine::IsValidAddrId(dwAddressID)) return LINEERR_INVALADDRESSID;
    // Cancelling goes through one entry with an empty destination.
    if (!lpForwardList || lpForwardList->dwNumEntries != 1) return LINEERR_OPERATIONUNAVAIL;
    const DWORD total = lpForwardList->dwTotalSize;
    if (total < kForwardListHeader + kForwardEntrySize20) return LINEERR_STRUCTURETOOSMALL;
    const LINEFORWARD& entry = lpForwardList->ForwardList[0];
    if (entry.dwForwardMode & ~kForwardModes) return LINEERR_INVALPARAM;
    // The destination must lie inside the list TAPI passed.
    const DWORD size = entry.dwDestAddressSize, offset = entry.dwDestAddressOffset;
    if (size != 0 && (offset > total || size > total - offset)) return LINEERR_INVALPARAM;
    std::string dest;
    if (size != 0) {
        const auto* text = reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(lpForwardList) + offset);
        int length = 0;
        while (length < static_cast<int>(size / sizeof(WCHAR)) && text[length]) ++length;
        dest = plat::WideToAnsi(text, length);
    }
    Extension ext(line);
    if (!ext.Complete()) return LINEERR_OPERATIONFAILED;
    return ext.phone->Forward(dest.c_str(), static_cast<LONG>(dwNumRingsNoAnswer)) == -1
               ? static_cast<LONG>(LINEERR_OPERATIONFAILED)
               : 0;
    ZAV_PARK_END
}
