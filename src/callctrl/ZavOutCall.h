// A call the extension places: it goes off-hook, receives dial tone, dials,
// and follows ring-back, busy and connect.
#pragma once

#include <string>

#include "callctrl/ZavCall.h"

class ZavOutCall : public ZavCall {
public:
    explicit ZavOutCall(HTAPICALL htCall);

    void SetCallerName(const char* name) override { SetOtherName(name); }
    DWORD GetCallFeatures() override;
    long Drop() override;
    long NotifyNewCall() override;
    long NotifyDisconnected(DWORD dwDisconnectMode) override;
    void NotifyConnected() override;
    void NotifyDialTone() override;
    void UpdateCallerId(const char* number, const char* name) override;
    void SetCallerAddr(const char* number) override { SetOtherAddr(number); }
    const std::string& GetCallerAddr() const override { return GetOtherAddr(); }
    void NotifyRingBack() override;
    void NotifyDialing() override;
    const char* GetOutdialNumber() const override { return m_strOutdialNumber.c_str(); }

    // Takes the extension off-hook with a SAL of the provider's choosing;
    // the switch's reply gives the call its leg and dial tone.
    long MakeCall();
    long Dial();
    void NotifyBusy() { NotifyBusy(*this); }
    // What busy does to any call the switch reports busy.
    static void NotifyBusy(ZavCall& call);
    void NotifySpecialInfo(DWORD /*value*/) {}
    void SetOutdialNumber(const char* digits);
    void SetCalledName(const char* name) { m_strCalledName = name ? name : ""; }
    const std::string& GetCalledName() const { return m_strCalledName; }
    void SetCalledAddr(const char* number) { m_strCalledAddr = number ? number : ""; }
    const std::string& GetCalledAddr() const { return m_strCalledAddr; }
    const std::string& GetCallerName() const { return GetOtherName(); }
    void SetHumanInitiated(int value) { m_bHumanInitiated = value; }
    bool IsHumanInitiated() const { return m_bHumanInitiated != 0; }
    bool IsDialtone() const { return GetCallState() == LINECALLSTATE_DIALTONE; }
    bool IsDialing() const { return GetCallState() == LINECALLSTATE_DIALING; }
    bool IsRingBack() const { return GetCallState() == LINECALLSTATE_RINGBACK; }
    bool IsProceeding() const { return GetCallState() == LINECALLSTATE_PROCEEDING; }
    bool IsBusy() const { return GetCallState() == LINECALLSTATE_BUSY; }

    // The first SAL the provider proposes for an outgoing leg.
    static constexpr DWORD s_FirstOutgoingSal = 0x41;

protected:
    // Set when TAPI dropped a consultation call: its own progress is no
    // longer reported.
    int m_bDropped;

private:
    std::string m_strCalledName;
    std::string m_strCalledAddr;
    int m_bProceedingPending;
    std::string m_strOutdialNumber;
    int m_bHumanInitiated;
};
