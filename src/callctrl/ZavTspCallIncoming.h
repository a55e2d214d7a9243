// A call that rings at the extension: it can be accepted and answered, and
// it carries the caller the switch reports.
#pragma once

#include <string>

#include "callctrl/ZavCall.h"

class ZavInCall : public ZavCall {
public:
    explicit ZavInCall(HTAPICALL htCall);
    ~ZavInCall() override;

    void SetCallerName(const char* name) override { SetOtherName(name); }
    DWORD GetCallFeatures() override;
    long NotifyNewCall() override;
    void NotifyNewCallInfo() override;
    void UpdateCallerId(const char* number, const char* name) override;
    void SetCallerAddr(const char* number) override { SetOtherAddr(number); }
    const std::string& GetCallerAddr() const override { return GetOtherAddr(); }
    void HandleHuntGrpCallerID(const char* text, long secondary) override;

    void Accept();
    // Asks the switch to answer; the state follows the switch's report.
    long Answer(HDRVCALL hdCall, LONG sal);
    bool IsAccepted() const { return GetCallState() == LINECALLSTATE_ACCEPTED; }
    const std::string& GetCallerName() const { return GetOtherName(); }
};
