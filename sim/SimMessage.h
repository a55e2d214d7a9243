// One message handed out by RetrieveMsg: an immutable record behind the
// message interface. Text getters always give the caller a BSTR of its own,
// empty when the message does not carry the text, so that callers need not
// tell a null text from an empty one.
#pragma once

#include <atomic>

#include "SimMessageData.h"
#include "zav/EndPoint.h"

namespace zavsim {

class SimMessage final : public IMsgInt {
public:
    explicit SimMessage(SimMessageData data);
    virtual ~SimMessage();
    SimMessage(const SimMessage&) = delete;
    SimMessage& operator=(const SimMessage&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMsgType(LONG* value) override { return Number(m_data.type, value); }
    HRESULT STDMETHODCALLTYPE GetCategory(LONG* value) override { return Number(m_data.category, value); }
    HRESULT STDMETHODCALLTYPE Reserved9() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetResult(LONG* value) override { return Number(m_data.result, value); }
    HRESULT STDMETHODCALLTYPE GetSAL1(LONG* value) override { return Number(m_data.sal1, value); }
    HRESULT STDMETHODCALLTYPE GetSAL2(LONG* value) override { return Number(m_data.sal2, value); }
    HRESULT STDMETHODCALLTYPE Reserved13() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved14() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetReason(LONG* value) override { return Number(m_data.reason, value); }
    HRESULT STDMETHODCALLTYPE GetDigit(LONG* value) override { return Number(m_data.digit, value); }
    HRESULT STDMETHODCALLTYPE Reserved17() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved18() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved19() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved20() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved21() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRequestId(LONG* value) override { return Number(m_data.requestId, value); }
    HRESULT STDMETHODCALLTYPE GetExtension(BSTR* text) override { return Text(m_data.extension, text); }
    HRESULT STDMETHODCALLTYPE GetCallerName(BSTR* text) override { return Text(m_data.callerName, text); }
    HRESULT STDMETHODCALLTYPE GetCallerNum(BSTR* text) override { return Text(m_data.callerNum, text); }
    HRESULT STDMETHODCALLTYPE HasQueryItem6(LONG* present) override {
        return Number(m_data.hasQueryItem6 ? 1 : 0, present);
    }
    HRESULT STDMETHODCALLTYPE GetQueryItem6(BSTR* text) override { return Text(m_data.queryItem6, text); }
    HRESULT STDMETHODCALLTYPE Reserved28() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved29() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDialedNum(BSTR* text) override { return Text(m_data.dialedNum, text); }
    HRESULT STDMETHODCALLTYPE GetVDN(LONG* value) override { return Number(m_data.vdn, value); }
    HRESULT STDMETHODCALLTYPE Reserved32() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTrunk(BSTR* text) override { return Text(m_data.trunk, text); }
    HRESULT STDMETHODCALLTYPE GetSerialNum(LONG* value) override {
        return Number(m_data.serialNumber, value);
    }
    HRESULT STDMETHODCALLTYPE Reserved35() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGlobalCallId(LONG* value) override {
        return Number(m_data.globalCallId, value);
    }
    HRESULT STDMETHODCALLTYPE GetDeviceType(LONG* value) override { return Number(m_data.deviceType, value); }
    HRESULT STDMETHODCALLTYPE Reserved38() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRedirectingNum(BSTR* text) override {
        return Text(m_data.redirectingNum, text);
    }
    HRESULT STDMETHODCALLTYPE Reserved40() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRedirectionNum(BSTR* text) override {
        return Text(m_data.redirectionNum, text);
    }

private:
    static HRESULT Number(LONG value, LONG* out);
    static HRESULT Text(const std::string& value, BSTR* out);

    const SimMessageData m_data;
    std::atomic<ULONG> m_refs{1};
};

}  // namespace zavsim
