#include "switchlink/ZavPhone.h"

#include <cstring>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "config/ZavRegistry.h"
#include "switchlink/ZavBstrArg.h"
#include "platform/Bstr.h"
#include "platform/Com.h"
#include "platform/Event.h"
#include "platform/Thread.h"
#include "provider/ZavSession.h"
#include "provider/ZavTspGlobals.h"
#include "trace/ZavTrace.h"

ZavObjectVect<ZavPhone> ZavPhone::m_PhoneVect;
std::atomic<DWORD> ZavPhone::m_dwNumActivePhones{0};
std::atomic<DWORD> ZavPhone::s_dwSyncReplyTimeoutMs{8000};

namespace {

constexpr std::size_t kMsgThreadStackSize = 16 * 1024;
constexpr DWORD kRoutePointLineAppearances = 400;

// Handles are traced as the 32-bit values they are on the provider's home
// platform; on Linux an event handle is a small descriptor anyway.
DWORD HandleBits(const void* h) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h)); }
DWORD Hr(HRESULT hr) { return static_cast<DWORD>(hr); }

}  // namespace

ZavPhone::ZavPhone(DWORD dwId, const char* extension)
    : m_dwId(dwId),
      m_hTapiPhone(nullptr),
      m_pfnCompletionProc(nullptr),
      m_pfnPhoneEvent(nullptr),
      m_bLineDeviceActive(0),
      m_bPhoneDeviceActive(0),
      m_spIEndPoint(nullptr),
      m_spSyncReplyMsg(nullptr),
      m_strExtension(extension ? extension : ""),
      m_strOwnerName("<LAST>, <FIRST>"),
      m_hSyncReplyEvent(nullptr),
      m_hMsgEvent(nullptr),
      m_hMsgThread(nullptr),
      m_hExitEvent(nullptr),
      m_dwMsgThreadId(0),
      m_pCallHub(nullptr),
      m_lVdn(0),
      m_lSerialNumber(0),
      m_lDeviceType(0),
      m_dwMaxNumLineAppearences(MaxNumDefaultLineAppearences) {
    if (ZavSession* ts = gpTS.load(std::memory_order_acquire)) m_pfnCompletionProc = ts->GetCompletionProc();
    m_dwNumActivePhones.fetch_add(1, std::memory_order_acq_rel);
    delete m_PhoneVect.raw(dwId);
    m_PhoneVect.set(dwId, this);
    m_hSyncReplyEvent = plat::MakeEvent(false, false);
    ZAV_TRACE("HHHH ++++ HANDLE 0x%08X", HandleBits(m_hSyncReplyEvent));
    m_hExitEvent = plat::MakeEvent(false, false);
    ZAV_TRACE("HHHH ++++ HANDLE 0x%08X", HandleBits(m_hExitEvent));
}

ZavPhone::~ZavPhone() {
    if (m_hMsgThread) Shutdown();
    // A Shutdown that failed part-way (an unregistration reply that never
    // came, say) leaves the thread and the endpoint behind. The events and
    // the hub the thread uses die with this object, so the thread is ended
    // here unconditionally before anything is freed.
    StopMsgThread();
    ReleaseEndPt();
    if (IMsgInt* pending = TakeSyncReply()) pending->Release();
    ZAV_TRACE("HHHH ---- HANDLE 0x%08X", HandleBits(m_hExitEvent));
    plat::CloseEvent(m_hExitEvent);
    ZAV_TRACE("HHHH ---- HANDLE 0x%08X", HandleBits(m_hSyncReplyEvent));
    plat::CloseEvent(m_hSyncReplyEvent);
    m_PhoneVect.clear(m_dwId, this);
    m_dwNumActivePhones.fetch_sub(1, std::memory_order_acq_rel);
}

HDRVPHONE ZavPhone::ToPhoneHandle() const {
    DWORD h = 0xC0C00000u + (m_dwId & 0xFFFFu);
    ZAV_TRACE("ZavPhone::ToPhoneHandle() converted phone handle is 0x%X", h);
    return reinterpret_cast<HDRVPHONE>(static_cast<uintptr_t>(h));
}

ZavCall* ZavPhone::GetCallPointer(DWORD dwCallId) const {
    return m_pCallHub ? m_pCallHub->CallIdToCallPtr(dwCallId) : nullptr;
}

std::string ZavPhone::GetOwnerName() const {
    std::lock_guard<std::mutex> lock(m_ownerMutex);
    return m_strOwnerName;
}

void ZavPhone::SetOwnerName(const char* name) {
    std::lock_guard<std::mutex> lock(m_ownerMutex);
    ZAV_TRACE("ZavPhone::SetOwnerName() ### %s => %s", m_strOwnerName.c_str(), name ? name : "");
    m_strOwnerName = name ? name : "";
}

void ZavPhone::GetPhoneOwnerName(DWORD dwIndex, char* text, std::size_t size) {
    ZavPhone* phone = m_PhoneVect.at(dwIndex);
    if (!phone || !text || size == 0) return;
    std::string name = phone->GetOwnerName();
    std::strncpy(text, name.c_str(), size - 1);
    text[size - 1] = '\0';
}

// ---- device state ----------------------------------------------------------

void ZavPhone::ActivateLineDevice() { m_bLineDeviceActive.store(1, std::memory_order_release); }

void ZavPhone::ActivatePhoneDevice(HTAPIPHONE htPhone, PHONEEVENT pfnPhoneEvent) {
    SetHTapiPhone(htPhone);
    SetPhoneEvent(pfnPhoneEvent);
    m_bPhoneDeviceActive.store(1, std::memory_order_release);
}

void ZavPhone::DeactivateLineDevice() {
    m_bLineDeviceActive.store(0, std::memory_order_release);
    if (!IsPhoneDeviceActive()) Shutdown();
}

void ZavPhone::DeactivatePhoneDevice() {
    m_bPhoneDeviceActive.store(0, std::memory_order_release);
    if (!IsLineDeviceActive()) Shutdown();
    SetHTapiPhone(nullptr);
    SetPhoneEvent(nullptr);
}

// ---- the link --------------------------------------------------------------

int ZavPhone::CreateEndPt() {
    ZAV_TRACE("ZavPhone::CreateEndPt() invoked, calling CoCreateInstance()");
    IEndPoint* endpoint = nullptr;
    HRESULT hr = plat::ComCreateInstance(CLSID_ZavEndPoint, IID_IZavEndPoint, reinterpret_cast<void**>(&endpoint));
    if (FAILED(hr)) {
        ZAV_TRACE("**** ERROR: Failed at CoCreateInstance(), hr 0x%08X", Hr(hr));
        return -1;
    }
    if (!endpoint) {
        ZAV_TRACE("**** ERROR: m_spIEndPoint is NULL");
        return -1;
    }
    m_spIEndPoint.store(endpoint, std::memory_order_release);
    return 0;
}

void ZavPhone::ReleaseEndPt() {
    IEndPoint* endpoint = m_spIEndPoint.exchange(nullptr, std::memory_order_acq_rel);
    if (!endpoint) return;
    ZAV_TRACE("ZavPhone::ReleaseEndPt() is invoked");
    endpoint->Release();
}

int ZavPhone::Init() {
    ZAV_TRACE("ZavPhone::Init() is invoked");
    HRESULT hr = plat::ComInitialize(true);
    if (FAILED(hr)) ZAV_TRACE("**** ERROR: Failed at CoInitializeEx(), hr 0x%08X", Hr(hr));

    TakeDownLeftoverLink();
    // A reply stored during an earlier link (an eShutdown nobody waited for,
    // or an unregistration answer that came after its waiter gave up) is not
    // an answer to this registration.
    if (IMsgInt* stale = TakeSyncReply()) stale->Release();
    plat::ResetEvent(m_hSyncReplyEvent);
    // An exit signal the old thread never took (it ended on its own) would
    // end the new thread at its first wait.
    plat::ResetEvent(m_hExitEvent);

    if (CreateEndPt() != 0) return -1;
    IEndPoint* endpoint = GetEndPoint();

    HANDLE event = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
    hr = endpoint->ConnectToServer(&event);
    if (FAILED(hr)) {
        ZAV_TRACE("**** ERROR: Failed at ConnectToServer()! hr 0x%08X", Hr(hr));
        return -1;
    }
    if (!event) {
        ZAV_TRACE("**** ERROR: Failed at ConnectToServer()! hEvent is NULL");
        return -1;
    }
    m_hMsgEvent = event;

    char password[kZavPasswordSize] = "";
    GetUserPassword(m_dwId, password);
    {
        ZavBstrArg ext(m_strExtension), pwd(password);
        hr = endpoint->RegisterA(ext, pwd);
    }
    if (FAILED(hr)) {
        ZAV_TRACE("**** ERROR: Failed at m_spIEndPoint->RegisterA()! hr 0x%08X", Hr(hr));
        return -1;
    }

    m_hMsgThread = plat::StartThread(IncomingMsgHandler, this, kMsgThreadStackSize, &m_dwMsgThreadId);
    if (!m_hMsgThread) {
        ZAV_TRACE("**** ERROR: Failed at CreateThread()!");
        Shutdown();
        return -1;
    }
    ZAV_TRACE("HHHH ++++ HANDLE 0x%08X", HandleBits(m_hMsgThread));

    int lRet = WaitForSyncReplyMsg();
    if (lRet != 0) {
        ZAV_TRACE("**** ERROR: Failed at WaitForSyncReplyMsg()! lRet 0x%08X", static_cast<DWORD>(lRet));
        return -1;
    }

    LONG result = 0, vdn = 0, serial = 0, deviceType = 1;
    if (IMsgInt* reply = TakeSyncReply()) {
        reply->GetResult(&result);
        reply->GetVDN(&vdn);
        reply->GetSerialNum(&serial);
        reply->GetDeviceType(&deviceType);
        reply->Release();
    }
    m_lVdn = vdn;
    m_lSerialNumber = serial;
    m_lDeviceType = deviceType;
    if (deviceType == s_RoutePointDeviceType) m_dwMaxNumLineAppearences = kRoutePointLineAppearances;

    if (result != 0) {
        ZAV_TRACE("**** ERROR: Registration is rejected by server!");
        return -1;
    }
    ZAV_TRACE("PHON ++++ x%s Type %d VDN %d", m_strExtension.c_str(), static_cast<int>(deviceType),
              static_cast<int>(vdn));
    return 0;
}

int ZavPhone::WaitForSyncReplyMsg() {
    ZAV_TRACE("ZavPhone::WaitForSyncReplyMsg() is invoked");
    if (plat::WaitForEvent(m_hSyncReplyEvent, s_dwSyncReplyTimeoutMs.load()) != WAIT_OBJECT_0) {
        ZAV_TRACE("**** ERROR: timed out at WaitForSyncReplyMsg()");
        return -1;
    }
    return 0;
}

int ZavPhone::Shutdown() {
    ZAV_TRACE("ZavPhone::Shutdown() is invoked");
    IEndPoint* endpoint = GetEndPoint();
    // Only the message thread can deliver the unregistration reply. An Init
    // that failed before starting it never registered, and waiting for a
    // reply nobody can bring would only hold the close for eight seconds.
    if (endpoint && m_hMsgThread) {
        if (FAILED(endpoint->Unregister())) return -1;
        if (WaitForSyncReplyMsg() != 0) return -1;
    }
    if (IMsgInt* reply = TakeSyncReply()) {
        LONG result = 0;
        reply->GetResult(&result);
        reply->Release();
        if (result != 0) return -1;
    }
    if (endpoint && FAILED(endpoint->DisconnectFromServer())) return -1;
    StopMsgThread();
    ReleaseEndPt();
    ZAV_TRACE("PHON ---- x%s", m_strExtension.c_str());
    return 0;
}

void ZavPhone::TakeDownLeftoverLink() {
    // A close whose Shutdown failed part-way (an unregistration reply that
    // never came, or one with a non-zero result) leaves its thread and
    // endpoint for later. Building on top of them would give two message
    // threads on one exit event, and the next close would wait for ever for
    // the one that did not take the signal.
    if (!m_hMsgThread && !GetEndPoint()) return;
    ZAV_TRACE("**** ZavPhone::Init() found a link left by a failed shutdown, thread 0x%08X endpoint 0x%08X",
              HandleBits(m_hMsgThread), HandleBits(GetEndPoint()));
    if (Shutdown() == 0) return;
    ZAV_TRACE("**** ZavPhone::Init() could not shut the old link down, ending its thread and releasing its endpoint");
    StopMsgThread();
    ReleaseEndPt();
}

void ZavPhone::StopMsgThread() {
    if (!m_hMsgThread) return;
    plat::SetEvent(m_hExitEvent);
    plat::RaiseThreadPriority(m_hMsgThread);
    plat::WaitForThread(m_hMsgThread, INFINITE);
    ZAV_TRACE("HHHH ---- HANDLE 0x%08X", HandleBits(m_hMsgThread));
    plat::CloseThread(m_hMsgThread);
    m_hMsgThread = nullptr;
    m_dwMsgThreadId = 0;
}

void ZavPhone::StoreSyncReply(IMsgInt* pMsg) {
    IMsgInt* replaced;
    {
        std::lock_guard<std::mutex> lock(m_syncReplyMutex);
        replaced = m_spSyncReplyMsg;
        m_spSyncReplyMsg = pMsg;
    }
    if (replaced) replaced->Release();
    plat::SetEvent(m_hSyncReplyEvent);
}

IMsgInt* ZavPhone::TakeSyncReply() {
    std::lock_guard<std::mutex> lock(m_syncReplyMutex);
    IMsgInt* msg = m_spSyncReplyMsg;
    m_spSyncReplyMsg = nullptr;
    return msg;
}
