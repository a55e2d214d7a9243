#include "SimEndPoint.h"

#include "SimGuard.h"
#include "SimLiveObjects.h"
#include "SimServerConfig.h"
#include "SimSwitch.h"
#include "SimText.h"
#include "platform/Bstr.h"

namespace zavsim {

SimEndPoint::SimEndPoint() : m_port(SimSwitch::Instance().OpenPort()) {
    ++g_liveEndPoints;
}

SimEndPoint::~SimEndPoint() {
    SimSwitch::Instance().ClosePort(m_port);
    --g_liveEndPoints;
}

HRESULT SimEndPoint::QueryInterface(REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IZavEndPoint) {
        *ppv = static_cast<IEndPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG SimEndPoint::AddRef() {
    return ++m_refs;
}

ULONG SimEndPoint::Release() {
    ULONG left = --m_refs;
    if (left == 0) delete this;  // the destructor cannot throw: ClosePort only frees
    return left;
}

HRESULT SimEndPoint::Accept(const std::string& line) {
    SimSwitch::Instance().Log(m_port, line);
    return S_OK;
}

HRESULT SimEndPoint::Direct(const std::string& line,
                            const std::function<HRESULT(SimCallModel&, const std::string&)>& apply) {
    return SimSwitch::Instance().Command(m_port, line, apply);
}

HRESULT SimEndPoint::Unregister() {
    return Guarded([&] {
        Accept("Unregister");
        return SimSwitch::Instance().Unregister(m_port);
    });
}

HRESULT SimEndPoint::OffHook(LONG sal, DWORD callHandle) {
    return Guarded([&] {
        return Direct(Format("OffHook sal=0x%08X call=0x%08X", Hex(sal), Hex(callHandle)),
                      [&](SimCallModel& calls, const std::string& ext) {
                          return calls.OffHook(ext, sal, static_cast<LONG>(callHandle));
                      });
    });
}

HRESULT SimEndPoint::OnHook(LONG sal) {
    return Guarded([&] {
        return Direct(Format("OnHook sal=0x%08X", Hex(sal)),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.OnHook(ext, sal);
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::Transfer(DWORD callHandle) {
    return Guarded([&] {
        return Direct(Format("Transfer call=0x%08X", Hex(callHandle)),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.SetUpTransfer(ext, static_cast<LONG>(callHandle));
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::CompleteTransfer(LONG sal) {
    return Guarded([&] {
        return Direct(Format("CompleteTransfer sal=0x%08X", Hex(sal)),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.CompleteTransfer(ext, sal);
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::Answer(LONG sal, DWORD callHandle) {
    return Guarded([&] {
        return Direct(Format("Answer sal=0x%08X call=0x%08X", Hex(sal), Hex(callHandle)),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.Answer(ext, sal, static_cast<LONG>(callHandle));
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::Conference(DWORD callHandle) {
    return Guarded([&] {
        return Direct(Format("Conference call=0x%08X", Hex(callHandle)),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.SetUpConference(ext, static_cast<LONG>(callHandle));
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::AddToConf(LONG sal) {
    return Guarded([&] {
        return Direct(Format("AddToConf sal=0x%08X", Hex(sal)),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.AddToConference(ext, sal);
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::RetrieveMsg(IMsgInt** message) {
    if (!message) return E_POINTER;
    return Guarded([&] { return SimSwitch::Instance().Retrieve(m_port, message); });
}

HRESULT SimEndPoint::ConnectToServer(HANDLE* messageEvent) {
    if (!messageEvent) return E_POINTER;
    return Guarded([&] {
        Accept("ConnectToServer");
        return SimSwitch::Instance().Connect(m_port, messageEvent);
    });
}

HRESULT SimEndPoint::DisconnectFromServer() {
    return Guarded([&] {
        Accept("DisconnectFromServer");
        SimSwitch::Instance().Disconnect(m_port);
        return S_OK;
    });
}

HRESULT SimEndPoint::ConfigServerA(BSTR address, LONG port) {
    return Guarded([&] {
        Accept(Format("ConfigServerA address=%s port=%d", LogText(address).c_str(), static_cast<int>(port)));
        return StoreServerConfig(plat::BstrToString(address), port);
    });
}

HRESULT SimEndPoint::DialDigitsA(LONG sal, BSTR digits) {
    return Guarded([&] {
        return Direct(Format("DialDigitsA sal=0x%08X digits=%s", Hex(sal), LogText(digits).c_str()),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.Dial(ext, sal, plat::BstrToString(digits));
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::RegisterA(BSTR extension, BSTR password) {
    return Guarded([&] {
        Accept(Format("RegisterA ext=%s password=%s", LogText(extension).c_str(), LogText(password).c_str()));
        return SimSwitch::Instance().Register(m_port, plat::BstrToString(extension),
                                              plat::BstrToString(password));
    });
}

HRESULT SimEndPoint::Hold(LONG sal) {
    return Guarded([&] {
        return Direct(Format("Hold sal=0x%08X", Hex(sal)), [&](SimCallModel& calls, const std::string& ext) {
            calls.Hold(ext, sal);
            return S_OK;
        });
    });
}

HRESULT SimEndPoint::Unhold(LONG sal, DWORD callHandle) {
    return Guarded([&] {
        return Direct(Format("Unhold sal=0x%08X call=0x%08X", Hex(sal), Hex(callHandle)),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.Unhold(ext, sal, static_cast<LONG>(callHandle));
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::Park(LONG sal, BSTR digits) {
    return Guarded([&] {
        return Direct(Format("Park sal=0x%08X digits=%s", Hex(sal), LogText(digits).c_str()),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.Park(ext, sal, plat::BstrToString(digits));
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::UnPark(LONG sal, BSTR digits) {
    return Guarded([&] {
        return Direct(Format("UnPark sal=0x%08X digits=%s", Hex(sal), LogText(digits).c_str()),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.Unpark(ext, sal, plat::BstrToString(digits));
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::QueryCurrentConfigA(BSTR* address, LONG* port) {
    if (!address || !port) return E_POINTER;
    *address = nullptr;
    return Guarded([&] {
        std::string text;
        LONG number = 0;
        HRESULT hr = LoadServerConfig(&text, &number);
        if (FAILED(hr)) return hr;
        BSTR copy = plat::AllocBstrBytes(text.data(), static_cast<UINT>(text.size()));
        if (!copy) return E_OUTOFMEMORY;
        *address = copy;
        *port = number;
        return S_OK;
    });
}

HRESULT SimEndPoint::Pickup(LONG sal, BSTR digits, LONG directed) {
    return Guarded([&] {
        return Direct(Format("Pickup sal=0x%08X digits=%s directed=%d", Hex(sal), LogText(digits).c_str(),
                             static_cast<int>(directed)),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.Pickup(ext, sal, plat::BstrToString(digits), directed != 0);
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::GenerateTone(LONG sal, WORD toneMode, LONG duration) {
    return Guarded([&] {
        return Accept(Format("GenerateTone sal=0x%08X mode=%u duration=%d", Hex(sal),
                             static_cast<unsigned>(toneMode), static_cast<int>(duration)));
    });
}

HRESULT SimEndPoint::SendDigitCollectMsg(LONG sal, LONG start) {
    return Guarded([&] {
        return Direct(Format("SendDigitCollectMsg sal=0x%08X start=%d", Hex(sal), static_cast<int>(start)),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.SetDigitCollection(ext, sal, start != 0);
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::Forward(BSTR digits, LONG ringsNoAnswer) {
    return Guarded([&] {
        return Direct(
            Format("Forward digits=%s rings=%d", LogText(digits).c_str(), static_cast<int>(ringsNoAnswer)),
            [&](SimCallModel& calls, const std::string& ext) {
                calls.Forward(ext, plat::BstrToString(digits), ringsNoAnswer);
                return S_OK;
            });
    });
}

HRESULT SimEndPoint::ConfDrop(LONG sal) {
    return Guarded([&] {
        return Direct(Format("ConfDrop sal=0x%08X", Hex(sal)),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.DropFromConference(ext, sal);
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::SetMWI(LONG state) {
    return Guarded([&] { return Accept(Format("SetMWI state=%d", static_cast<int>(state))); });
}

HRESULT SimEndPoint::SetLCDDisplay(BSTR text) {
    return Guarded([&] { return Accept(Format("SetLCDDisplay text=%s", LogText(text).c_str())); });
}

HRESULT SimEndPoint::Redirect(BSTR digits, LONG sal, DWORD callHandle) {
    return Guarded([&] {
        return Direct(Format("Redirect digits=%s sal=0x%08X call=0x%08X", LogText(digits).c_str(), Hex(sal),
                             Hex(callHandle)),
                      [&](SimCallModel& calls, const std::string& ext) {
                          calls.Redirect(ext, sal, plat::BstrToString(digits));
                          return S_OK;
                      });
    });
}

HRESULT SimEndPoint::AcknowledgeMsg() {
    return Guarded([&] { return Accept("AcknowledgeMsg"); });
}

}  // namespace zavsim
