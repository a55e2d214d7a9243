// The conference call itself: most operations go to the conference's
// primary call.
#pragma once

#include <string>

#include "callctrl/ZavCall.h"

class ZavConfOutCall;

class ZavConfCall : public ZavCall {
public:
    ZavConfCall(HTAPICALL htConfCall, ZavCall* primaryCall, ZavConfOutCall* consultCall);

    void SetParkNumber(const char* number) override;
    long Drop() override;
    void Hold() override;
    void Unhold() override;
    long Park() override;
    long GenerateDigits() override;
    void NotifyPrimaryCallDisconnected() override;

    ZavCall* GetPrimaryCallPointer() const { return GetPrimaryRefCallPointer(); }
    const ZavConfOutCall* GetConsultCallPointer() const { return m_pConsultCall; }
    // The primary call's park number; the conference call keeps none.
    const std::string& GetParkNumber() const;
    long ConfDrop();
    void NotifyNewConfCall();

private:
    ZavConfOutCall* m_pConsultCall;
};
