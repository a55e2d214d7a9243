#include "provider/ZavSession.h"

#include <new>
#include <string>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "config/ZavRegistry.h"
#include "platform/Com.h"
#include "platform/Event.h"
#include "platform/Thread.h"
#include "provider/ZavTspGlobals.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavLine.h"

HANDLE ZavSession::m_hEndThreadEvent = nullptr;

namespace {

DWORD HandleBits(HANDLE h) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h)); }
DWORD HandleBits(const void* h) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h)); }

}  // namespace

ZavSession::ZavSession(DWORD dwTSPIVersion, DWORD dwPermanentProviderID, DWORD dwLineDeviceIDBase,
                       DWORD dwPhoneDeviceIDBase, DWORD dwNumLines, DWORD dwNumPhones,
                       ASYNC_COMPLETION pfnCompletionProc)
    : m_bInitialized(false),
      m_bBuiltAny(false),
      m_dwTSPIVersion(dwTSPIVersion),
      m_dwPermanentProviderID(dwPermanentProviderID),
      m_dwLineDeviceIDBase(dwLineDeviceIDBase),
      m_dwPhoneDeviceIDBase(dwPhoneDeviceIDBase),
      m_dwNumLines(dwNumLines),
      m_dwNumPhones(dwNumPhones),
      m_pfnCompletionProc(pfnCompletionProc),
      m_hCoInitThread(nullptr),
      m_dwCoInitThreadId(0) {
    m_hEndThreadEvent = plat::MakeEvent(true, false);
    ZAV_TRACE("HHHH ++++ HANDLE 0x%08X", HandleBits(m_hEndThreadEvent));
    m_hCoInitThread = plat::StartThread(CoInitThread, this, 0, &m_dwCoInitThreadId);
    if (m_hCoInitThread) plat::RaiseThreadPriority(m_hCoInitThread);
    ZAV_TRACE("HHHH ++++ HANDLE 0x%08X", HandleBits(m_hCoInitThread));
}

ZavSession::~ZavSession() {
    ZAV_TRACE("ZavSession::~ZavSession() is invoked");
    Shutdown();
    // An Init that failed part-way leaves the telephones it built in the
    // registries, and Shutdown only takes down an initialised session. With
    // no later session to replace them they would never be freed.
    if (!m_bInitialized && m_bBuiltAny) DeleteExtensions();
    // A session whose Init failed is not shut down, but its COM thread and
    // end event must not outlive it: TAPI may initialise again and again.
    StopCoInitThread();
}

void ZavSession::StopCoInitThread() {
    if (m_hCoInitThread) {
        plat::SetEvent(m_hEndThreadEvent);
        plat::RaiseThreadPriority(m_hCoInitThread);
        plat::WaitForThread(m_hCoInitThread, INFINITE);
        ZAV_TRACE("HHHH ---- HANDLE 0x%08X", HandleBits(m_hCoInitThread));
        plat::CloseThread(m_hCoInitThread);
        m_hCoInitThread = nullptr;
    }
    if (m_hEndThreadEvent) {
        ZAV_TRACE("HHHH ---- HANDLE 0x%08X", HandleBits(m_hEndThreadEvent));
        plat::CloseEvent(m_hEndThreadEvent);
        m_hEndThreadEvent = nullptr;
    }
}

DWORD ZavSession::CoInitThread(void*) {
    ZAV_TRACE("ZavSession::CoInitThread() is invoked");
    HRESULT hr = plat::ComInitialize(true);
    ZAV_TRACE("CoInitializeEx(), hr 0x%08X", static_cast<DWORD>(hr));
    if (FAILED(hr)) {
        ZAV_TRACE("**** ERROR: Failed at CoInitializeEx(), hr 0x%08X", static_cast<DWORD>(hr));
        return static_cast<DWORD>(-1);
    }
    ZAV_TRACE("ZavSession::CoInitThread(), Waiting forever...");
    plat::WaitForEvent(m_hEndThreadEvent, INFINITE);
    ZAV_TRACE("ZavSession::CoInitThread(), I am being shut down...");
    plat::ComFreeUnusedLibraries();
    plat::ComUninitialize();
    ZAV_TRACE("ZavSession::CoInitThread(), I am going down...");
    return 0;
}

bool ZavSession::BuildExtension(DWORD index, const char* extension) {
    ZavLine* line = new (std::nothrow) ZavLine(this, index);
    ZavAddress* addr = line ? new (std::nothrow) ZavAddress(TRUE, 0, extension) : nullptr;
    ZavCallHub* hub = addr ? new (std::nothrow) ZavCallHub : nullptr;
    ZavPhone* phone = hub ? new (std::nothrow) ZavPhone(index, extension) : nullptr;
    if (!phone) {
        delete hub;
        delete addr;
        delete line;
        return false;
    }
    addr->AssociateWith(line);
    hub->AssociateWith(addr);
    hub->AssociateWith(phone);
    m_bBuiltAny = true;
    return true;
}

void ZavSession::DeleteExtensions() {
    std::size_t count = ZavLine::m_LineVect.size();
    if (ZavPhone::m_PhoneVect.size() > count) count = ZavPhone::m_PhoneVect.size();
    for (std::size_t i = 0; i < count; ++i) {
        ZavLine* line = ZavLine::m_LineVect.raw(i);
        ZavAddress* addr = line ? line->GetAddrPointer(0) : nullptr;
        ZavCallHub* hub = addr ? addr->GetCallHubPointer() : nullptr;
        ZavPhone* phone = hub ? hub->GetPhonePointer() : nullptr;
        if (!phone) phone = ZavPhone::m_PhoneVect.raw(i);
        // The phone first, as in Shutdown: it ends the thread feeding the hub.
        delete phone;
        delete hub;
        delete addr;
        delete line;
    }
}

long ZavSession::Init() {
    DWORD numLines = GetNumLines(), numPhones = GetNumPhones();
    if (numLines == 0) return LINEERR_OPERATIONFAILED;
    if (m_bInitialized) return 0;
    ZavLine::m_LineVect.resize(numLines);
    ZavPhone::m_PhoneVect.resize(numPhones);
    for (DWORD i = 0; i < numPhones; ++i) {
        char extension[kZavExtensionSize] = "";
        GetPhoneExtension(i, extension);
        if (!BuildExtension(i, extension)) return LINEERR_NOMEM;
        ZAV_TRACE("ZavSession::Init() ### x%s device %d initialized", extension, static_cast<int>(ToDeviceId(i)));
    }
    m_bInitialized = true;
    return 0;
}

long ZavSession::Shutdown() {
    if (!m_bInitialized) return 0;
    DWORD numPhones = GetNumPhones();
    for (DWORD i = 0; i < numPhones; ++i) {
        // By the stored object, not the visible size: should TAPI have given
        // fewer lines than phones, the surplus telephones were built all the
        // same and must go too.
        ZavLine* line = ZavLine::m_LineVect.raw(i);
        if (!line) {
            ZAV_TRACE("ZavSession::Shutdown() theLine is NULL");
            break;
        }
        ZavAddress* addr = line->GetAddrPointer(0);
        if (!addr) {
            ZAV_TRACE("ZavSession::Shutdown() theAddr is NULL");
            break;
        }
        ZavCallHub* hub = addr->GetCallHubPointer();
        if (!hub) {
            ZAV_TRACE("ZavSession::Shutdown() theCHub is NULL");
            break;
        }
        ZavPhone* phone = hub->GetPhonePointer();
        if (!phone) {
            ZAV_TRACE("ZavSession::Shutdown() thePhone is NULL");
            break;
        }
        // The phone first: its destructor ends the message thread that
        // feeds the hub.
        delete phone;
        delete hub;
        delete addr;
        delete line;
    }
    // The walk stops at the first telephone without objects, which a failed
    // AddNewLine leaves behind; telephones added after it still need freeing.
    DeleteExtensions();
    StopCoInitThread();
    m_bInitialized = false;
    return 0;
}

bool ZavSession::IsValidLineDeviceId(DWORD deviceId) const {
    return deviceId >= m_dwLineDeviceIDBase && deviceId - m_dwLineDeviceIDBase < GetNumLines();
}

bool ZavSession::IsValidPhoneDeviceId(DWORD deviceId) const {
    return deviceId >= m_dwPhoneDeviceIDBase && deviceId - m_dwPhoneDeviceIDBase < GetNumPhones();
}

ZavLine* ZavSession::ToLinePointer(HDRVLINE hdLine) const {
    DWORD h = HandleBits(hdLine);
    if ((h >> 16) != 0xE0E0u || (h & 0xFFFu) >= GetNumLines()) return nullptr;
    return ZavLine::m_LineVect.at(h & 0xFFFu);
}

ZavPhone* ZavSession::ToPhonePointer(HDRVPHONE hdPhone) const {
    DWORD h = HandleBits(hdPhone);
    if ((h >> 16) != 0xC0C0u || (h & 0xFFFFu) >= GetNumPhones()) return nullptr;
    return ZavPhone::m_PhoneVect.at(h & 0xFFFFu);
}

bool ZavSession::CallHandleToPointers(HDRVCALL hdCall, ZavLine** ppLine, ZavAddress** ppAddr,
                                      ZavCall** ppCall) const {
    ZavLine* line = nullptr;
    ZavAddress* addr = nullptr;
    ZavCall* call = nullptr;
    auto report = [&](bool ok) {
        if (ppLine) *ppLine = line;
        if (ppAddr) *ppAddr = addr;
        if (ppCall) *ppCall = call;
        return ok;
    };
    DWORD h = HandleBits(hdCall);
    DWORD lineIndex = (h >> 16) & 0xFFFu;
    if ((h >> 28) != 0xEu || lineIndex >= GetNumLines()) return report(false);
    line = ZavLine::m_LineVect.at(lineIndex);
    if (!line) return report(false);
    DWORD addrId = (h >> 12) & 0xFu;
    if (!ZavLine::IsValidAddrId(addrId)) return report(false);
    addr = line->GetAddrPointer(addrId);
    if (!addr) return report(false);
    DWORD callId = h & 0xFFFu;
    if (!addr->IsValidCallId(callId)) return report(false);
    ZavCallHub* hub = addr->GetCallHubPointer();
    call = hub ? hub->CallIdToCallPtr(callId) : nullptr;
    if (!call) return report(false);
    return report(call->GetHTapiCall() != nullptr);
}

ZavCall* ZavSession::ToCallPointer(HDRVCALL hdCall) const {
    ZavCall* call = nullptr;
    return CallHandleToPointers(hdCall, nullptr, nullptr, &call) ? call : nullptr;
}

ZavCall* ZavSession::ToDeleteCallPointer(HDRVCALL hdCall) const {
    DWORD h = HandleBits(hdCall);
    DWORD lineIndex = (h >> 16) & 0xFFFu;
    if ((h >> 28) != 0xEu || lineIndex >= GetNumLines()) return nullptr;
    ZavLine* line = ZavLine::m_LineVect.at(lineIndex);
    if (!line) return nullptr;
    DWORD addrId = (h >> 12) & 0xFu;
    if (!ZavLine::IsValidAddrId(addrId)) return nullptr;
    ZavAddress* addr = line->GetAddrPointer(addrId);
    if (!addr) return nullptr;
    DWORD callId = h & 0xFFFu;
    if (!addr->IsValidCallId(callId)) return nullptr;
    ZavCallHub* hub = addr->GetCallHubPointer();
    if (!hub) return nullptr;
    ZavCall* call = hub->CallIdToDeleteCallPtr(callId);
    if (!call) call = hub->CallIdToCallPtr(callId);
    return call && call->GetHTapiCall() ? call : nullptr;
}

void ZavSession::SendCompletionStatus(DWORD dwRequestID, LONG lResult) const {
    ZAV_TRACE("++++ STATUS ---- 0x%08X ++++ 0x%08X", dwRequestID, static_cast<DWORD>(lResult));
    if (dwRequestID != 0 && m_pfnCompletionProc) m_pfnCompletionProc(dwRequestID, lResult);
}

long ZavSession::NotifyLineCreate() const {
    ZAV_TRACE("ZavSession::NotifyLineCreate() is invoked");
    DWORD numPhones = GetNumPhones();
    if (numPhones == 0) return -1;
    for (DWORD i = 0; i < numPhones; ++i) {
        ZavLine* line = ZavLine::m_LineVect.at(i);
        if (!line || !line->IsActive()) continue;
        LINEEVENT proc = line->GetLineEvent();
        if (!proc) return 0;
        proc(nullptr, nullptr, LINE_CREATE, reinterpret_cast<DWORD_PTR>(ghProvider.load()), GetTempId(), 0);
        return 0;
    }
    return -1;
}

bool ZavSession::IsValidTempId(DWORD_PTR id) const {
    ZAV_TRACE("ZavSession::IsValidTempId() is invoked");
    return id == static_cast<DWORD_PTR>(GetNumPhones()) + m_dwPhoneDeviceIDBase + 1;
}

long ZavSession::AddNewLine() {
    SetNumPhones(GetNumPhones() + 1);
    SetNumLines(GetNumLines() + 1);
    DWORD index = GetNumPhones() - 1;
    ZavLine::m_LineVect.resize(GetNumLines());
    ZavPhone::m_PhoneVect.resize(GetNumPhones());
    char extension[kZavExtensionSize] = "";
    GetPhoneExtension(index, extension);
    if (!BuildExtension(index, extension)) return LINEERR_NOMEM;
    ZAV_TRACE("ZavSession::AddNewLine() ### x%s line %d initialized", extension, static_cast<int>(ToDeviceId(index)));
    return 0;
}
