// The consultation call of a conference: it brings the third party in and
// refers to the conference's primary call.
#pragma once

#include "callctrl/ZavOutCall.h"

class ZavConfOutCall : public ZavOutCall {
public:
    ZavConfOutCall(HTAPICALL htConsultCall, ZavCall* primaryCall);

    long Drop() override;
    long GenerateDigits() override;
    void NotifyDialTone() override;

    long Conference();
    long AddToConf();
    void NotifyConfComplete();
    void NotifyConfStatus(LONG result);
    // The primary call while it lives. TAPI may close it before this call,
    // so the pointer is used only while the hub still holds that very call
    // (its slot, its serial).
    ZavCall* GetPrimaryCall() const;

private:
    ZavCall* m_pPrimaryCall;
    DWORD m_dwPrimaryId;
    unsigned long long m_qwPrimarySerial;
};
