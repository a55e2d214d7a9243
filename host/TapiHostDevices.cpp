// What an application asks about a line device: capabilities, status, the
// devices that belong to it.
#include "host/TapiHost.h"
#include "platform/Text.h"

namespace zavhost {

DWORD TapiHost::LineVersion(DWORD deviceId) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_lineVersions.find(deviceId);
    return it != m_lineVersions.end() ? it->second : m_tspiVersion;
}

LONG TapiHost::LineGetDevCaps(DWORD deviceId, TapiBuffer& devCaps, DWORD extVersion) {
    LONG result = m_caller.lineGetDevCaps(deviceId, LineVersion(deviceId), extVersion, devCaps.As<LINEDEVCAPS>());
    CheckBuffer(devCaps, "TSPI_lineGetDevCaps");
    return result;
}

LONG TapiHost::LineGetAddressCaps(DWORD deviceId, DWORD addressId, TapiBuffer& addressCaps, DWORD extVersion) {
    LONG result = m_caller.lineGetAddressCaps(deviceId, addressId, LineVersion(deviceId), extVersion,
                                              addressCaps.As<LINEADDRESSCAPS>());
    CheckBuffer(addressCaps, "TSPI_lineGetAddressCaps");
    return result;
}

LONG TapiHost::LineGetAddressStatus(HDRVLINE hdLine, DWORD addressId, TapiBuffer& addressStatus) {
    LONG result = m_caller.lineGetAddressStatus(hdLine, addressId, addressStatus.As<LINEADDRESSSTATUS>());
    CheckBuffer(addressStatus, "TSPI_lineGetAddressStatus");
    return result;
}

LONG TapiHost::LineGetLineDevStatus(HDRVLINE hdLine, TapiBuffer& devStatus) {
    LONG result = m_caller.lineGetLineDevStatus(hdLine, devStatus.As<LINEDEVSTATUS>());
    CheckBuffer(devStatus, "TSPI_lineGetLineDevStatus");
    return result;
}

LONG TapiHost::LineGetID(HDRVLINE hdLine, HDRVCALL hdCall, const char* deviceClass, TapiBuffer& deviceId) {
    std::u16string cls = plat::AnsiToWide(deviceClass ? deviceClass : "");
    LONG result = m_caller.lineGetID(hdLine, 0, hdCall, hdCall ? LINECALLSELECT_CALL : LINECALLSELECT_LINE,
                                     deviceId.As<VARSTRING>(), deviceClass ? plat::WidePtr(cls) : nullptr, nullptr);
    CheckBuffer(deviceId, "TSPI_lineGetID");
    return result;
}

LONG TapiHost::LineGetDevConfig(DWORD deviceId, const char* deviceClass, TapiBuffer& config) {
    std::u16string cls = plat::AnsiToWide(deviceClass ? deviceClass : "");
    LONG result =
        m_caller.lineGetDevConfig(deviceId, config.As<VARSTRING>(), deviceClass ? plat::WidePtr(cls) : nullptr);
    CheckBuffer(config, "TSPI_lineGetDevConfig");
    return result;
}

}  // namespace zavhost
