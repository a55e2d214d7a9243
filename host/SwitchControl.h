// The stand-in switch component's control functions, for the programs that
// play the switch's side: the demo and the console. Loads the component by
// path (the provider's activation by class id then finds the same library,
// and so the same switch) and resolves what it needs by name.
#pragma once

#include <cstdint>
#include <string>

#include "ZavSimControl.h"
#include "platform/WinTypes.h"

namespace zavhost {

class SwitchControl {
public:
    explicit SwitchControl(const std::string& path);
    SwitchControl(const SwitchControl&) = delete;
    SwitchControl& operator=(const SwitchControl&) = delete;

    bool Ok() const { return m_ok; }
    const std::string& Error() const { return m_error; }

    // The calls, one line each; the log of an extension's commands.
    std::string Calls() const;
    std::string CommandLog(const char* extension) const;

    ZavSimSetCallModelFn SetCallModel = nullptr;
    ZavSimExternalCallFn ExternalCall = nullptr;
    ZavSimCallTextFn ExternalAnswer = nullptr;
    ZavSimCallFn ExternalBusy = nullptr;
    ZavSimCallFn ExternalHangUp = nullptr;
    ZavSimCallTextFn ExternalDigits = nullptr;
    ZavSimLiftHandsetFn LiftHandset = nullptr;
    ZavSimDialOnSetFn DialOnSet = nullptr;
    ZavSimHangUpSetFn HangUpSet = nullptr;
    ZavSimInjectShutdownFn InjectShutdown = nullptr;

private:
    template <typename Fn>
    void Resolve(Fn& fn, const char* name);

    HMODULE m_module = nullptr;
    bool m_ok = true;
    std::string m_error;
    ZavSimDescribeCallsFn m_describeCalls = nullptr;
    ZavSimReadLogFn m_readLog = nullptr;
};

}  // namespace zavhost
