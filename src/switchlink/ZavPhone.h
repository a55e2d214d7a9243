// One configured telephone extension and its link to the switch.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "provider/ZavLock.h"
#include "provider/ZavObjectVect.h"
#include "tapi/Tapi.h"
#include "zav/EndPoint.h"

class ZavCallHub;
class ZavCall;

class ZavPhone {
public:
    ZavPhone(DWORD dwId, const char* extension);
    ~ZavPhone();
    ZavPhone(const ZavPhone&) = delete;
    ZavPhone& operator=(const ZavPhone&) = delete;

    // Device state of this telephone's TAPI line and phone devices. The
    // link to the switch goes down when the second of the two closes.
    void ActivateLineDevice();
    void ActivatePhoneDevice(HTAPIPHONE htPhone, PHONEEVENT pfnPhoneEvent);
    void DeactivateLineDevice();
    void DeactivatePhoneDevice();

    // Brings the link to the switch up (endpoint, connection, registration,
    // message thread) or down. 0 or -1.
    int Init();
    int Shutdown();
    int WaitForSyncReplyMsg();

    // Switch commands: 0 when the endpoint accepted the command, else -1.
    int OffHook(LONG sal, ZavCall* pCall);
    int Answer(LONG sal, HDRVCALL hdCall);
    int OnHook(LONG sal);
    int Dial(LONG sal, const char* digits);
    int Transfer(ZavCall* pCall);
    int CompleteTransfer(LONG sal);
    int Conference(ZavCall* pFirst, ZavCall* pSecond);
    int AddToConf(ZavCall* pFirst, ZavCall* pSecond);
    int Hold(LONG sal);
    int Unhold(LONG sal, ZavCall* pCall);
    int Park(LONG sal, const char* digits);
    int UnPark(LONG sal, const char* digits);
    int Pickup(LONG sal, const char* digits, LONG directed);
    int GenerateTone(LONG sal, WORD toneMode, LONG duration);
    int SendDigitCollectMsg(LONG sal, LONG on);
    int Forward(const char* digits, LONG rings);
    int ConfDrop(LONG sal);
    int SetMWIState(LONG state);
    // `text` holds at least 13 bytes; exactly those reach the display.
    int SetLCDDisplay(const char* text);
    int Redirect(const char* digits, LONG sal, ZavCall* pCall);

    // The digits the switch accepts for dialling (0-9 , # * A-D) and for
    // park, pickup and forward codes (0-9 ,), in their order.
    static std::string DialFilter(const char* digits);
    static std::string ParkFilter(const char* digits);

    static void GetPhoneOwnerName(DWORD dwIndex, char* text, std::size_t size);
    void HandleCallTerminated(DWORD /*dwCallId*/) {}

    // How long Init and Shutdown wait for the switch's answer. Tests shorten
    // it; the provider never changes it.
    static std::atomic<DWORD> s_dwSyncReplyTimeoutMs;

    DWORD GetId() const { return m_dwId; }
    HDRVPHONE ToPhoneHandle() const;
    const std::string& GetExtension() const { return m_strExtension; }
    std::string GetOwnerName() const;
    void SetOwnerName(const char* name);

    HTAPIPHONE GetHTapiPhone() const { return m_hTapiPhone.load(std::memory_order_acquire); }
    void SetHTapiPhone(HTAPIPHONE h) { m_hTapiPhone.store(h, std::memory_order_release); }
    PHONEEVENT GetPhoneEvent() const { return m_pfnPhoneEvent.load(std::memory_order_acquire); }
    void SetPhoneEvent(PHONEEVENT p) { m_pfnPhoneEvent.store(p, std::memory_order_release); }
    bool IsLineDeviceActive() const { return m_bLineDeviceActive.load(std::memory_order_acquire) != 0; }
    bool IsPhoneDeviceActive() const { return m_bPhoneDeviceActive.load(std::memory_order_acquire) != 0; }

    ZavCallHub* GetCallHubPointer() const { return m_pCallHub; }
    void SetCallHubPointer(ZavCallHub* pHub) { m_pCallHub = pHub; }
    ZavCall* GetCallPointer(DWORD dwCallId) const;

    LONG GetVdn() const { return m_lVdn; }
    LONG GetSerialNumber() const { return m_lSerialNumber; }
    LONG GetDeviceType() const { return m_lDeviceType; }
    DWORD MaxNumLineAppearences() const { return m_dwMaxNumLineAppearences; }
    IEndPoint* GetEndPoint() const { return m_spIEndPoint.load(std::memory_order_acquire); }
    DWORD GetMsgThreadId() const { return m_dwMsgThreadId; }

    void Lock() { m_Lock.Get(); }
    void Unlock() { m_Lock.Release(); }
    bool TryLock() { return m_Lock.TryGet(); }

    static DWORD NumActivePhones() { return m_dwNumActivePhones.load(std::memory_order_acquire); }

    static ZavObjectVect<ZavPhone> m_PhoneVect;
    static constexpr DWORD s_DefaultRingMode = 1;
    static constexpr DWORD MaxNumDefaultLineAppearences = 18;
    // The device type the switch reports for a route point.
    static constexpr LONG s_RoutePointDeviceType = 3;

private:
    static DWORD IncomingMsgHandler(void* phone);
    int CreateEndPt();
    void ReleaseEndPt();
    // Before a new link is built: whatever an earlier failed Shutdown left
    // is taken down, so there is never more than one message thread.
    void TakeDownLeftoverLink();
    // Ends the message thread whatever state the link is in; the phone must
    // not be freed while the thread may still use it.
    void StopMsgThread();
    // The hand-over of registration replies between the message thread and
    // the one waiter in Init or Shutdown. A stored message that nobody took
    // is released when the next one replaces it.
    void StoreSyncReply(IMsgInt* pMsg);
    IMsgInt* TakeSyncReply();
    // Calls `method` on the endpoint; traces a failure as
    // "**** ERROR: ZavPhone::<command>() failed at m_spIEndPoint-><method>()".
    template <typename Call>
    int Command(const char* command, const char* method, Call&& call);
    void RouteMessage(IMsgInt* pMsg, LONG category, LONG type);
    void RouteCallControl(IMsgInt* pMsg, LONG type);

    DWORD m_dwId;
    std::atomic<HTAPIPHONE> m_hTapiPhone;
    ASYNC_COMPLETION m_pfnCompletionProc;
    std::atomic<PHONEEVENT> m_pfnPhoneEvent;
    std::atomic<int> m_bLineDeviceActive;
    std::atomic<int> m_bPhoneDeviceActive;
    std::atomic<IEndPoint*> m_spIEndPoint;
    IMsgInt* m_spSyncReplyMsg;
    std::mutex m_syncReplyMutex;
    std::string m_strExtension;
    std::string m_strOwnerName;
    mutable std::mutex m_ownerMutex;
    HANDLE m_hSyncReplyEvent;
    HANDLE m_hMsgEvent;
    HANDLE m_hMsgThread;
    HANDLE m_hExitEvent;
    DWORD m_dwMsgThreadId;
    ZavLock m_Lock;
    ZavCallHub* m_pCallHub;
    // Set by registration on the opening thread, read by any TAPI thread that
    // asks for capabilities meanwhile.
    std::atomic<LONG> m_lVdn;
    std::atomic<LONG> m_lSerialNumber;
    std::atomic<LONG> m_lDeviceType;
    DWORD m_dwMaxNumLineAppearences;

    static std::atomic<DWORD> m_dwNumActivePhones;
};
