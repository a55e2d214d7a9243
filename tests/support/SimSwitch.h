// The simulated switch as a test drives it: the stand-in component loaded
// by path (the same library the provider activates by class id, so the same
// switch), registered in the test's registry, and its control functions.
#pragma once

#include <string>

#include "ZavSimControl.h"
#include "platform/Module.h"
#include "platform/WinTypes.h"
#include "support/TempRegistry.h"

namespace zavtest {

class SimSwitch {
public:
    SimSwitch() {
        m_module = plat::LoadModule(NativePath(ZAV_SIM_PATH).c_str(), &m_error);
        if (!m_module) return;
        Resolve(AddAccount, "ZavSimAddAccount");
        Resolve(Reset, "ZavSimReset");
        Resolve(InjectMessage, "ZavSimInjectMessage");
        Resolve(InjectShutdown, "ZavSimInjectShutdown");
        Resolve(InjectPhoneQueryReply, "ZavSimInjectPhoneQueryReply");
        Resolve(SetFaults, "ZavSimSetFaults");
        Resolve(ReadLogRaw, "ZavSimReadLog");
        Resolve(ClearLog, "ZavSimClearLog");
        Resolve(WaitForLog, "ZavSimWaitForLog");
        Resolve(EndPointCount, "ZavSimEndPointCount");
        Resolve(ConnectedCount, "ZavSimConnectedCount");
        Resolve(PendingMessages, "ZavSimPendingMessages");
        Resolve(LiveObjects, "ZavSimLiveObjects");
        Resolve(LiveMessages, "ZavSimLiveMessages");
        Resolve(SetSignalMode, "ZavSimSetSignalMode");
        Resolve(SetCallModel, "ZavSimSetCallModel");
        Resolve(ExternalCall, "ZavSimExternalCall");
        Resolve(ExternalAnswer, "ZavSimExternalAnswer");
        Resolve(ExternalBusy, "ZavSimExternalBusy");
        Resolve(ExternalHangUp, "ZavSimExternalHangUp");
        Resolve(ExternalDigits, "ZavSimExternalDigits");
        Resolve(SetExtensionBusy, "ZavSimSetExtensionBusy");
        Resolve(LiftHandset, "ZavSimLiftHandset");
        Resolve(DialOnSet, "ZavSimDialOnSet");
        Resolve(HangUpSet, "ZavSimHangUpSet");
        Resolve(FireNoAnswer, "ZavSimFireNoAnswer");
        Resolve(DescribeCallsRaw, "ZavSimDescribeCalls");
        Resolve(LegCount, "ZavSimLegCount");
        Resolve(RefuseNext, "ZavSimRefuseNext");
        Resolve(FireRecall, "ZavSimFireRecall");
        Resolve(FireParkTimeout, "ZavSimFireParkTimeout");
        Resolve(FireRedirectTimeout, "ZavSimFireRedirectTimeout");
        Resolve(SetPickupGroup, "ZavSimSetPickupGroup");
        Resolve(SetConferenceLimit, "ZavSimSetConferenceLimit");
        Resolve(m_register, "DllRegisterServer");
    }
    ~SimSwitch() {
        if (Reset) Reset();
        // The provider may still hold the library through its activation;
        // the loader counts references, so this only drops ours.
        plat::UnloadModule(m_module);
    }
    SimSwitch(const SimSwitch&) = delete;
    SimSwitch& operator=(const SimSwitch&) = delete;

    bool Ok() const { return m_module && m_ok && m_register; }
    const std::string& Error() const { return m_error; }

    // Registers the component by class id in the current registry.
    HRESULT Register() const { return m_register ? m_register() : E_FAIL; }

    std::string ReadLog(const char* extension) const {
        char buffer[16384];
        ReadLogRaw(extension, buffer, sizeof buffer);
        return buffer;
    }

    std::string DescribeCalls() const {
        char buffer[4096];
        DescribeCallsRaw(buffer, sizeof buffer);
        return buffer;
    }

    ZavSimAddAccountFn AddAccount = nullptr;
    ZavSimResetFn Reset = nullptr;
    ZavSimInjectMessageFn InjectMessage = nullptr;
    ZavSimInjectShutdownFn InjectShutdown = nullptr;
    ZavSimInjectPhoneQueryReplyFn InjectPhoneQueryReply = nullptr;
    ZavSimSetFaultsFn SetFaults = nullptr;
    ZavSimReadLogFn ReadLogRaw = nullptr;
    ZavSimClearLogFn ClearLog = nullptr;
    ZavSimWaitForLogFn WaitForLog = nullptr;
    ZavSimCountFn EndPointCount = nullptr;
    ZavSimCountFn ConnectedCount = nullptr;
    ZavSimCountFn PendingMessages = nullptr;
    ZavSimLiveFn LiveObjects = nullptr;
    ZavSimLiveFn LiveMessages = nullptr;
    ZavSimSetSignalModeFn SetSignalMode = nullptr;
    ZavSimSetCallModelFn SetCallModel = nullptr;
    ZavSimExternalCallFn ExternalCall = nullptr;
    ZavSimCallTextFn ExternalAnswer = nullptr;
    ZavSimCallFn ExternalBusy = nullptr;
    ZavSimCallFn ExternalHangUp = nullptr;
    ZavSimCallTextFn ExternalDigits = nullptr;
    ZavSimSetExtensionBusyFn SetExtensionBusy = nullptr;
    ZavSimLiftHandsetFn LiftHandset = nullptr;
    ZavSimDialOnSetFn DialOnSet = nullptr;
    ZavSimHangUpSetFn HangUpSet = nullptr;
    ZavSimCallFn FireNoAnswer = nullptr;
    ZavSimDescribeCallsFn DescribeCallsRaw = nullptr;
    ZavSimCountFn LegCount = nullptr;
    ZavSimRefuseNextFn RefuseNext = nullptr;
    ZavSimFireRecallFn FireRecall = nullptr;
    ZavSimFireParkTimeoutFn FireParkTimeout = nullptr;
    ZavSimCallFn FireRedirectTimeout = nullptr;
    ZavSimSetPickupGroupFn SetPickupGroup = nullptr;
    ZavSimSetConferenceLimitFn SetConferenceLimit = nullptr;

private:
    template <typename Fn>
    void Resolve(Fn& fn, const char* name) {
        fn = reinterpret_cast<Fn>(plat::GetModuleSymbol(m_module, name));
        if (!fn) {
            m_ok = false;
            m_error += std::string("missing ") + name + "; ";
        }
    }

    HMODULE m_module = nullptr;
    bool m_ok = true;
    std::string m_error;
    HRESULT(STDMETHODCALLTYPE* m_register)() = nullptr;
};

}  // namespace zavtest
