#include "host/SwitchControl.h"

#include "platform/Module.h"

namespace zavhost {

SwitchControl::SwitchControl(const std::string& path) {
    // Never unloaded: the provider's endpoints live in the same library.
    m_module = plat::LoadModule(path.c_str(), &m_error);
    if (!m_module) {
        m_ok = false;
        return;
    }
    Resolve(SetCallModel, "ZavSimSetCallModel");
    Resolve(ExternalCall, "ZavSimExternalCall");
    Resolve(ExternalAnswer, "ZavSimExternalAnswer");
    Resolve(ExternalBusy, "ZavSimExternalBusy");
    Resolve(ExternalHangUp, "ZavSimExternalHangUp");
    Resolve(ExternalDigits, "ZavSimExternalDigits");
    Resolve(LiftHandset, "ZavSimLiftHandset");
    Resolve(DialOnSet, "ZavSimDialOnSet");
    Resolve(HangUpSet, "ZavSimHangUpSet");
    Resolve(InjectShutdown, "ZavSimInjectShutdown");
    Resolve(m_describeCalls, "ZavSimDescribeCalls");
    Resolve(m_readLog, "ZavSimReadLog");
}

template <typename Fn>
void SwitchControl::Resolve(Fn& fn, const char* name) {
    fn = reinterpret_cast<Fn>(plat::GetModuleSymbol(m_module, name));
    if (fn) return;
    m_ok = false;
    m_error += std::string(m_error.empty() ? "" : "; ") + "missing " + name;
}

std::string SwitchControl::Calls() const {
    char buffer[4096] = "";
    if (m_describeCalls) m_describeCalls(buffer, sizeof buffer);
    return buffer;
}

std::string SwitchControl::CommandLog(const char* extension) const {
    char buffer[8192] = "";
    if (m_readLog) m_readLog(extension, buffer, sizeof buffer);
    return buffer;
}

}  // namespace zavhost
