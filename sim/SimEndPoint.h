// One endpoint: the provider's link for one extension. It keeps nothing but
// its port number at the switch; every call is logged there and answered
// by it. The call-control commands go on to the call model; tones, the
// display and the lamp are accepted and only logged.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "zav/EndPoint.h"

namespace zavsim {

class SimCallModel;

class SimEndPoint final : public IEndPoint {
public:
    SimEndPoint();
    virtual ~SimEndPoint();
    SimEndPoint(const SimEndPoint&) = delete;
    SimEndPoint& operator=(const SimEndPoint&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unregister() override;
    HRESULT STDMETHODCALLTYPE OffHook(LONG sal, DWORD callHandle) override;
    HRESULT STDMETHODCALLTYPE OnHook(LONG sal) override;
    HRESULT STDMETHODCALLTYPE Reserved11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Transfer(DWORD callHandle) override;
    HRESULT STDMETHODCALLTYPE CompleteTransfer(LONG sal) override;
    HRESULT STDMETHODCALLTYPE Answer(LONG sal, DWORD callHandle) override;
    HRESULT STDMETHODCALLTYPE Conference(DWORD callHandle) override;
    HRESULT STDMETHODCALLTYPE AddToConf(LONG sal) override;
    HRESULT STDMETHODCALLTYPE RetrieveMsg(IMsgInt** message) override;
    HRESULT STDMETHODCALLTYPE Reserved18() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved19() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConnectToServer(HANDLE* messageEvent) override;
    HRESULT STDMETHODCALLTYPE DisconnectFromServer() override;
    HRESULT STDMETHODCALLTYPE ConfigServerA(BSTR address, LONG port) override;
    HRESULT STDMETHODCALLTYPE DialDigitsA(LONG sal, BSTR digits) override;
    HRESULT STDMETHODCALLTYPE RegisterA(BSTR extension, BSTR password) override;
    HRESULT STDMETHODCALLTYPE Hold(LONG sal) override;
    HRESULT STDMETHODCALLTYPE Unhold(LONG sal, DWORD callHandle) override;
    HRESULT STDMETHODCALLTYPE Park(LONG sal, BSTR digits) override;
    HRESULT STDMETHODCALLTYPE UnPark(LONG sal, BSTR digits) override;
    HRESULT STDMETHODCALLTYPE Reserved29() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryCurrentConfigA(BSTR* address, LONG* port) override;
    HRESULT STDMETHODCALLTYPE Reserved31() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved32() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved33() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved34() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved35() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pickup(LONG sal, BSTR digits, LONG directed) override;
    HRESULT STDMETHODCALLTYPE GenerateTone(LONG sal, WORD toneMode, LONG duration) override;
    HRESULT STDMETHODCALLTYPE SendDigitCollectMsg(LONG sal, LONG start) override;
    HRESULT STDMETHODCALLTYPE Forward(BSTR digits, LONG ringsNoAnswer) override;
    HRESULT STDMETHODCALLTYPE ConfDrop(LONG sal) override;
    HRESULT STDMETHODCALLTYPE SetMWI(LONG state) override;
    HRESULT STDMETHODCALLTYPE SetLCDDisplay(BSTR text) override;
    HRESULT STDMETHODCALLTYPE Redirect(BSTR digits, LONG sal, DWORD callHandle) override;
    HRESULT STDMETHODCALLTYPE AcknowledgeMsg() override;

private:
    // Logs the line and accepts the command.
    HRESULT Accept(const std::string& line);
    // Logs the line and hands the command to the switch's calls.
    HRESULT Direct(const std::string& line,
                   const std::function<HRESULT(SimCallModel&, const std::string& extension)>& apply);

    const uint64_t m_port;
    std::atomic<ULONG> m_refs{1};
};

}  // namespace zavsim
