// The wrappers tests use most, written as a TAPI application's calls read.
#include "host/HandleCodec.h"
#include "host/TapiHost.h"
#include "platform/Text.h"

namespace zavhost {

LONG TapiHost::LineNegotiateTSPIVersion(DWORD deviceId, DWORD* version) {
    DWORD low, high;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        low = m_lowVersion;
        high = m_highVersion;
    }
    DWORD negotiated = 0;
    LONG result = m_caller.lineNegotiateTSPIVersion(deviceId, low, high, &negotiated);
    if (result == 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lineVersions[deviceId] = negotiated;
    }
    if (version) *version = negotiated;
    return result;
}

LONG TapiHost::PhoneNegotiateTSPIVersion(DWORD deviceId, DWORD* version) {
    DWORD low, high;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        low = m_lowVersion;
        high = m_highVersion;
    }
    DWORD negotiated = 0;
    LONG result = m_caller.phoneNegotiateTSPIVersion(deviceId, low, high, &negotiated);
    if (result == 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_phoneVersions[deviceId] = negotiated;
    }
    if (version) *version = negotiated;
    return result;
}

LONG TapiHost::LineOpen(DWORD deviceId, HDRVLINE* hdLine) {
    HTAPILINE htLine;
    std::size_t index;
    DWORD version;
    {
        // The record exists before the call: the provider reports the line
        // in service from inside TSPI_lineOpen.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(LineRecord{deviceId, nullptr, DeviceState::Opening});
        index = m_lines.size() - 1;
        htLine = EncodeHandle<HTAPILINE>(kLineTag, index);
        auto it = m_lineVersions.find(deviceId);
        version = it != m_lineVersions.end() ? it->second : m_tspiVersion;
    }
    HDRVLINE hd = nullptr;
    LINEEVENT eventProc = &TapiHost::LineEventProc;
    LONG result = m_caller.lineOpen(deviceId, htLine, &hd, version, eventProc);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines[index].hd = hd;
        m_lines[index].state = result == 0 ? DeviceState::Open : DeviceState::Closed;
    }
    if (hdLine) *hdLine = hd;
    return result;
}

LONG TapiHost::LineClose(HDRVLINE hdLine) {
    // Whatever the provider answers, TAPI no longer has the line open.
    LONG result = m_caller.lineClose(hdLine);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::size_t index = LineIndexOf(hdLine);
        if (index != kNoCall) {
            m_lines[index].state = DeviceState::Closed;
            for (CallRecord& call : m_calls)
                if (call.line == index) call.closed = true;
        }
    }
    m_requests.LineClosed(hdLine);
    return result;
}

LONG TapiHost::LineSetStatusMessages(HDRVLINE hdLine, DWORD lineStates, DWORD addressStates) {
    return m_caller.lineSetStatusMessages(hdLine, lineStates, addressStates);
}

LONG TapiHost::LineSetDefaultMediaDetection(HDRVLINE hdLine, DWORD mediaModes) {
    return m_caller.lineSetDefaultMediaDetection(hdLine, mediaModes);
}

LONG TapiHost::LineSetMediaMode(HDRVCALL hdCall, DWORD mediaMode) {
    return m_caller.lineSetMediaMode(hdCall, mediaMode);
}

LONG TapiHost::LineDevSpecific(HDRVLINE hdLine, DWORD addressId, HDRVCALL hdCall, void* params, DWORD size) {
    return m_caller.lineDevSpecific(hdLine, addressId, hdCall, params, size);
}

LONG TapiHost::LineSetLineDevStatus(HDRVLINE hdLine, DWORD statusToChange, DWORD status) {
    return m_caller.lineSetLineDevStatus(hdLine, statusToChange, status);
}

LONG TapiHost::LineMakeCall(HDRVLINE hdLine, const char* number, HDRVCALL* hdCall, HTAPICALL* htCall) {
    HTAPICALL ht;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ht = AddCall(nullptr, LineIndexOf(hdLine), CallOrigin::MakeCall, false);
    }
    std::u16string wide = number ? plat::AnsiToWide(number) : std::u16string();
    LPCWSTR dest = number ? plat::WidePtr(wide) : nullptr;
    LPLINECALLPARAMS params = nullptr;
    HDRVCALL hd = nullptr;
    LONG result = m_caller.lineMakeCall(hdLine, ht, &hd, dest, DWORD(0), params);
    if (result < 0 || !hd) {
        // TAPI forgets a call whose request was refused.
        std::lock_guard<std::mutex> lock(m_mutex);
        std::size_t index;
        if (DecodeHandle(ht, kCallTag, &index)) m_calls[index].closed = true;
    }
    if (hdCall) *hdCall = hd;
    if (htCall) *htCall = ht;
    return result;
}

LONG TapiHost::LineAnswer(HDRVCALL hdCall) {
    LPCSTR userUserInfo = nullptr;
    return m_caller.lineAnswer(hdCall, userUserInfo, DWORD(0));
}

LONG TapiHost::LineDrop(HDRVCALL hdCall) {
    LPCSTR userUserInfo = nullptr;
    return m_caller.lineDrop(hdCall, userUserInfo, DWORD(0));
}

LONG TapiHost::LineCloseCall(HDRVCALL hdCall) {
    // The call is the one the handle names now: once the provider has freed
    // it, its message thread may hand the same handle to a new call before
    // the close returns here.
    std::size_t index;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        index = LiveCallIndexOf(hdCall);
    }
    const DRV_REQUESTID lastBefore = m_requests.LastIssued();
    LONG result = m_caller.lineCloseCall(hdCall);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (index != kNoCall) m_calls[index].closed = true;
    }
    m_requests.CallClosed(hdCall, lastBefore);
    return result;
}

void TapiHost::CheckBuffer(const TapiBuffer& buffer, const char* function) {
    if (!buffer.GuardIntact())
        m_faults.Add(FaultKind::WroteBeyondTotalSize, 0,
                     std::string(function) + " with dwTotalSize " + std::to_string(buffer.TotalSize()));
}

LONG TapiHost::LineGetCallInfo(HDRVCALL hdCall, TapiBuffer& callInfo) {
    LONG result = m_caller.lineGetCallInfo(hdCall, callInfo.As<LINECALLINFO>());
    CheckBuffer(callInfo, "TSPI_lineGetCallInfo");
    return result;
}

LONG TapiHost::LineGetCallStatus(HDRVCALL hdCall, TapiBuffer& callStatus) {
    LONG result = m_caller.lineGetCallStatus(hdCall, callStatus.As<LINECALLSTATUS>());
    CheckBuffer(callStatus, "TSPI_lineGetCallStatus");
    return result;
}

LONG TapiHost::PhoneOpen(DWORD deviceId, HDRVPHONE* hdPhone) {
    HTAPIPHONE htPhone;
    std::size_t index;
    DWORD version;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_phones.push_back(PhoneRecord{deviceId, nullptr, DeviceState::Opening});
        index = m_phones.size() - 1;
        htPhone = EncodeHandle<HTAPIPHONE>(kPhoneTag, index);
        auto it = m_phoneVersions.find(deviceId);
        version = it != m_phoneVersions.end() ? it->second : m_tspiVersion;
    }
    HDRVPHONE hd = nullptr;
    PHONEEVENT eventProc = &TapiHost::PhoneEventProc;
    LONG result = m_caller.phoneOpen(deviceId, htPhone, &hd, version, eventProc);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_phones[index].hd = hd;
        m_phones[index].state = result == 0 ? DeviceState::Open : DeviceState::Closed;
    }
    if (hdPhone) *hdPhone = hd;
    return result;
}

LONG TapiHost::PhoneClose(HDRVPHONE hdPhone) {
    LONG result = m_caller.phoneClose(hdPhone);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (std::size_t i = m_phones.size(); i-- > 0;)
            if (m_phones[i].hd == hdPhone && m_phones[i].state != DeviceState::Closed) {
                m_phones[i].state = DeviceState::Closed;
                break;
            }
    }
    m_requests.PhoneClosed(hdPhone);
    return result;
}

}  // namespace zavhost
