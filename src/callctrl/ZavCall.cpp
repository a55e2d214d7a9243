// A call's life: construction, destruction and its hand-back to the hub,
// handles, the hub it lives in, and its own lock.
#include "callctrl/ZavCall.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "callctrl/ZavCallHub.h"
#include "callctrl/ZavNewCallSlots.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavLine.h"

namespace {

unsigned long long NextSerial() {
    static std::atomic<unsigned long long> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

ZavCall::ZavCall(HTAPICALL htCall, DWORD dwOrigin)
    : m_bPrimaryInConference(0),
      m_bNotifyTimedOut(0),
      m_hTapiCall(htCall),
      m_dwId(s_InitialId),
      m_dwSAL(0),
      m_dwCallState(0),
      m_dwCallStateMode(0),
      m_dwPrimaryRefCallId(s_NoId),
      m_TimerEventId(eTimerNone),
      m_dwTimerTimes(0),
      m_dwTimerTimeout(0),
      m_bInterDigitTimerActive(0),
      m_bFirstDigitTimerActive(0),
      m_dwTrunkNum(0),
      m_lSecondaryCallerIDNum(0),
      m_dwGlobalCallId(0),
      m_dwMonitorDigitModes(0),
      m_dwGatherDigitModes(0),
      m_bDigitGatheringOn(0),
      m_TimerEvents(s_NumTimerEvents),
      m_pCallParams(nullptr),
      m_dwMediaMode(s_DefaultMediaMode),
      m_dwOrigin(dwOrigin),
      m_dwCountryCode(0),
      m_dwTickcount(0),
      m_dwCallReason(0),
      m_dwAppSpecific(0),
      m_dwCallObjectType(eCallObjectCall),
      m_dwFirstDigitTimeout(0),
      m_dwInterDigitTimeout(0),
      m_dwNumDigits(0),
      m_dwEndToEndID(0),
      m_bDontNotifyYet(0),
      m_lpsDigits(nullptr),
      m_ReqIds(s_NumReqIds),
      m_pCallHub(nullptr),
      m_dwDeferredCallInfoBits(0),
      m_bOnceUnparked(0),
      m_pAnnouncedTapiCall(nullptr),
      m_qwSerial(NextSerial()) {
    for (auto& event : m_TimerEvents) event.store(nullptr);
    for (auto& id : m_ReqIds) id.store(0);
    ZAV_TRACE("ZavCall::ZavCall() is invoked");
}

ZavCall::~ZavCall() {
    ZAV_TRACE("ZavCall::~ZavCall(), closing %s", CallObjectTypeName(m_dwCallObjectType));
    m_pOwnedCallParams.reset();
    m_pCallParams = nullptr;
    if (m_dwMonitorDigitModes.load() != 0) MonitorDigits(0);
    if (IsDigitGatheringOn()) StopGatheringDigits();
    // No timer thread outlives the call it acts on.
    JoinTimerThreads();

    // The hub's lookups read the request table and the state of every call
    // in its slots, so the call leaves the hub before any of that goes.
    if (ZavCallHub* hub = m_pCallHub) {
        if (hub->CallIdToDeleteCallPtr(m_dwId) != this && hub->CallIdToCallPtr(m_dwId) != this) {
            m_dwId = s_NoId;
            m_pCallHub = nullptr;
        }
        HandleCallTermination();
    }

    ZavNewCallSlots::Release(m_pAnnouncedTapiCall);
    m_TimerEvents.clear();
    m_ReqIds.clear();
    for (std::string* s :
         {&m_strOtherName, &m_strOtherAddr, &m_strPreviousName, &m_strPreviousAddr, &m_strDialedNum,
          &m_strGenerateDigits, &m_strDivertedNumber, &m_strDivertedName, &m_strDivertingPartyDialedNumber,
          &m_strDivertingPartyDialedName, &m_strTerminationDigits, &m_strGatheredDigits, &m_strParkNumber,
          &m_strPickupNumber})
        s->clear();
    m_dwId = s_NoId;
    m_pCallHub = nullptr;
    m_dwDeferredCallInfoBits.store(0);
    m_bDontNotifyYet.store(0);
}

const char* ZavCall::CallObjectTypeName(DWORD type) {
    switch (type) {
        case eCallObjectCall:
            return "call";
        case eCallObjectInCall:
            return "incoming call";
        case eCallObjectOutCall:
            return "outgoing call";
        case eCallObjectOutCallAuto:
            return "outgoing auto-dialed call";
        case eCallObjectXferOutCall:
            return "transfer consultation call";
        case eCallObjectXferOutCallAuto:
            return "transient blind transfer call";
        case eCallObjectConfCall:
            return "conference call";
        case eCallObjectConfOutCall:
            return "conference consultation call";
        default:
            return "unknown type";
    }
}

HDRVCALL ZavCall::ToCallHandle() const {
    DWORD lineId = 0, addrId = 0;
    if (ZavLine* line = GetLinePointer()) lineId = line->GetId();
    if (ZavAddress* addr = GetAddrPointer()) addrId = addr->GetId();
    // Byte by byte, each byte wrapping on its own: ids below 256 and lines
    // below 4096 give 0xE, the line, the address and the call id.
    DWORD b0 = m_dwId & 0xFF;
    DWORD b1 = (((addrId & 0xF) * 16) + (m_dwId >> 8)) & 0xFF;
    DWORD b2 = lineId & 0xFF;
    DWORD b3 = ((lineId >> 8) + 0xE0) & 0xFF;
    DWORD h = (b3 << 24) | (b2 << 16) | (b1 << 8) | b0;
    ZAV_TRACE("ZavCall::ToCallHandle() converted call handle is 0x%08X", h);
    return reinterpret_cast<HDRVCALL>(static_cast<uintptr_t>(h));
}

long ZavCall::CallHandleToId(HDRVCALL hdCall) {
    DWORD h = static_cast<DWORD>(reinterpret_cast<uintptr_t>(hdCall));
    return (h >> 28) == 0xE ? static_cast<long>(h & 0xFFFu) : -1;
}

ZavLine* ZavCall::GetLinePointer() const {
    return m_pCallHub ? m_pCallHub->GetLinePointer() : nullptr;
}

ZavAddress* ZavCall::GetAddrPointer() const {
    return m_pCallHub ? m_pCallHub->GetAddrPointer() : nullptr;
}

ZavPhone* ZavCall::GetPhonePointer() const {
    return m_pCallHub ? m_pCallHub->GetPhonePointer() : nullptr;
}

ZavCall* ZavCall::GetPrimaryRefCallPointer() const {
    ZavCallHub* hub = m_pCallHub;
    DWORD id = m_dwPrimaryRefCallId.load();
    if (!hub || id > hub->MaxNumCalls() - 1) return nullptr;
    return hub->CallIdToCallPtr(id);
}

void ZavCall::SetCallParams(const LINECALLPARAMS* params) {
    if (!params) return;
    // The structure's own size covers its variable part. The block is never
    // smaller than the fixed part, so the copy's fields can always be read;
    // what TAPI did not give stays zero. The old copy goes only after the
    // new one is made, in case it is the one given.
    std::size_t size =
        params->dwTotalSize > sizeof(LINECALLPARAMS) ? params->dwTotalSize : sizeof(LINECALLPARAMS);
    auto copy = std::make_unique<unsigned char[]>(size);
    std::memcpy(copy.get(), params, params->dwTotalSize);
    m_pOwnedCallParams = std::move(copy);
    m_pCallParams = reinterpret_cast<LINECALLPARAMS*>(m_pOwnedCallParams.get());
}

void ZavCall::Lock() {
    ZAV_TRACE("ZavCall::Lock() is invoked");
    m_Lock.Get();
}

void ZavCall::Unlock() {
    ZAV_TRACE("ZavCall::Unlock() is invoked");
    m_Lock.Release();
}

void ZavCall::HandleCallTermination() {
    ZavCallHub* hub = m_pCallHub;
    if (hub && m_dwId <= hub->MaxNumCalls() - 1) hub->HandleCallTermination(m_dwId, this);
}
