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
    ZavCall* GetPrimaryCall() const { return m_pPrimaryCall; }

private:
    ZavCall* m_pPrimaryCall;
};
