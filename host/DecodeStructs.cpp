#include "host/DecodeStructs.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <span>

#include "host/Decode.h"
#include "platform/Text.h"
#include "tapi/TapiNames.h"

namespace zavhost {

namespace {

using Names = std::span<const tapi::ConstantName>;

enum class Kind {
    Count,       // decimal
    Hex,         // an id or a value without names
    Bits,        // a set of flags
    Value,       // exactly one of the names
    Text,        // size and offset of UTF-16 text
    TextList,    // size and offset of NUL-separated UTF-16 texts
    Bytes,       // size and offset of binary data
    DialParams,  // LINEDIALPARAMS
    StateMode,   // dwCallStateMode, whose names depend on dwCallState
    Time,        // SYSTEMTIME
};

struct Field {
    const char* name;
    std::size_t offset;
    std::size_t width;   // bytes from `offset` that the field covers
    Kind kind;
    Names names;         // Bits and Value
    std::size_t second;  // the offset word of a size/offset pair; dwCallState for StateMode
};

#define ZAV_FIELD(S, f, kind) Field{#f, offsetof(S, f), sizeof(S::f), kind, {}, 0}
#define ZAV_NAMED(S, f, kind, table) Field{#f, offsetof(S, f), sizeof(S::f), kind, tapi::table, 0}
// dwXxxSize followed by dwXxxOffset, shown as one field "dwXxx".
#define ZAV_VAR(S, stem, kind)                                                                   \
    Field{"dw" #stem, offsetof(S, dw##stem##Size),                                               \
          offsetof(S, dw##stem##Offset) + sizeof(DWORD) - offsetof(S, dw##stem##Size), kind, {}, \
          offsetof(S, dw##stem##Offset)}

using K = Kind;

constexpr Field kDevCapsFields[] = {
    ZAV_FIELD(LINEDEVCAPS, dwTotalSize, K::Count),
    ZAV_FIELD(LINEDEVCAPS, dwNeededSize, K::Count),
    ZAV_FIELD(LINEDEVCAPS, dwUsedSize, K::Count),
    ZAV_VAR(LINEDEVCAPS, ProviderInfo, K::Text),
    ZAV_VAR(LINEDEVCAPS, SwitchInfo, K::Text),
    ZAV_FIELD(LINEDEVCAPS, dwPermanentLineID, K::Hex),
    ZAV_VAR(LINEDEVCAPS, LineName, K::Text),
    ZAV_NAMED(LINEDEVCAPS, dwStringFormat, K::Value, kStringFormatNames),
    ZAV_NAMED(LINEDEVCAPS, dwAddressModes, K::Bits, kAddressModeNames),
    ZAV_FIELD(LINEDEVCAPS, dwNumAddresses, K::Count),
    ZAV_NAMED(LINEDEVCAPS, dwBearerModes, K::Bits, kBearerModeNames),
    ZAV_FIELD(LINEDEVCAPS, dwMaxRate, K::Count),
    ZAV_NAMED(LINEDEVCAPS, dwMediaModes, K::Bits, kMediaModeNames),
    ZAV_NAMED(LINEDEVCAPS, dwGenerateToneModes, K::Bits, kToneModeNames),
    ZAV_FIELD(LINEDEVCAPS, dwGenerateToneMaxNumFreq, K::Count),
    ZAV_NAMED(LINEDEVCAPS, dwGenerateDigitModes, K::Bits, kDigitModeNames),
    ZAV_FIELD(LINEDEVCAPS, dwMonitorToneMaxNumFreq, K::Count),
    ZAV_FIELD(LINEDEVCAPS, dwMonitorToneMaxNumEntries, K::Count),
    ZAV_NAMED(LINEDEVCAPS, dwMonitorDigitModes, K::Bits, kDigitModeNames),
    ZAV_FIELD(LINEDEVCAPS, dwGatherDigitsMinTimeout, K::Count),
    ZAV_FIELD(LINEDEVCAPS, dwGatherDigitsMaxTimeout, K::Count),
    ZAV_FIELD(LINEDEVCAPS, dwMedCtlDigitMaxListSize, K::Count),
    ZAV_FIELD(LINEDEVCAPS, dwMedCtlMediaMaxListSize, K::Count),
    ZAV_FIELD(LINEDEVCAPS, dwMedCtlToneMaxListSize, K::Count),
    ZAV_FIELD(LINEDEVCAPS, dwMedCtlCallStateMaxListSize, K::Count),
    ZAV_NAMED(LINEDEVCAPS, dwDevCapFlags, K::Bits, kDevCapFlagNames),
    ZAV_FIELD(LINEDEVCAPS, dwMaxNumActiveCalls, K::Count),
    ZAV_NAMED(LINEDEVCAPS, dwAnswerMode, K::Bits, kAnswerModeNames),
    ZAV_FIELD(LINEDEVCAPS, dwRingModes, K::Count),
    ZAV_NAMED(LINEDEVCAPS, dwLineStates, K::Bits, kLineDevStateNames),
    ZAV_FIELD(LINEDEVCAPS, dwUUIAcceptSize, K::Count),
    ZAV_FIELD(LINEDEVCAPS, dwUUIAnswerSize, K::Count),
    ZAV_FIELD(LINEDEVCAPS, dwUUIMakeCallSize, K::Count),
    ZAV_FIELD(LINEDEVCAPS, dwUUIDropSize, K::Count),
    ZAV_FIELD(LINEDEVCAPS, dwUUISendUserUserInfoSize, K::Count),
    ZAV_FIELD(LINEDEVCAPS, dwUUICallInfoSize, K::Count),
    ZAV_FIELD(LINEDEVCAPS, MinDialParams, K::DialParams),
    ZAV_FIELD(LINEDEVCAPS, MaxDialParams, K::DialParams),
    ZAV_FIELD(LINEDEVCAPS, DefaultDialParams, K::DialParams),
    ZAV_FIELD(LINEDEVCAPS, dwNumTerminals, K::Count),
    ZAV_VAR(LINEDEVCAPS, TerminalCaps, K::Bytes),
    ZAV_FIELD(LINEDEVCAPS, dwTerminalTextEntrySize, K::Count),
    ZAV_VAR(LINEDEVCAPS, TerminalText, K::TextList),
    ZAV_VAR(LINEDEVCAPS, DevSpecific, K::Bytes),
    ZAV_NAMED(LINEDEVCAPS, dwLineFeatures, K::Bits, kLineFeatureNames),
    ZAV_NAMED(LINEDEVCAPS, dwSettableDevStatus, K::Bits, kDevStatusFlagNames),
    ZAV_VAR(LINEDEVCAPS, DeviceClasses, K::TextList),
};

constexpr Field kAddressCapsFields[] = {
    ZAV_FIELD(LINEADDRESSCAPS, dwTotalSize, K::Count),
    ZAV_FIELD(LINEADDRESSCAPS, dwNeededSize, K::Count),
    ZAV_FIELD(LINEADDRESSCAPS, dwUsedSize, K::Count),
    ZAV_FIELD(LINEADDRESSCAPS, dwLineDeviceID, K::Count),
    ZAV_VAR(LINEADDRESSCAPS, Address, K::Text),
    ZAV_VAR(LINEADDRESSCAPS, DevSpecific, K::Bytes),
    ZAV_NAMED(LINEADDRESSCAPS, dwAddressSharing, K::Bits, kAddressSharingNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwAddressStates, K::Bits, kAddressStateNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwCallInfoStates, K::Bits, kCallInfoStateNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwCallerIDFlags, K::Bits, kCallPartyIdNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwCalledIDFlags, K::Bits, kCallPartyIdNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwConnectedIDFlags, K::Bits, kCallPartyIdNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwRedirectionIDFlags, K::Bits, kCallPartyIdNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwRedirectingIDFlags, K::Bits, kCallPartyIdNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwCallStates, K::Bits, kCallStateNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwDialToneModes, K::Bits, kDialToneModeNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwBusyModes, K::Bits, kBusyModeNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwSpecialInfo, K::Bits, kSpecialInfoNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwDisconnectModes, K::Bits, kDisconnectModeNames),
    ZAV_FIELD(LINEADDRESSCAPS, dwMaxNumActiveCalls, K::Count),
    ZAV_FIELD(LINEADDRESSCAPS, dwMaxNumOnHoldCalls, K::Count),
    ZAV_FIELD(LINEADDRESSCAPS, dwMaxNumOnHoldPendingCalls, K::Count),
    ZAV_FIELD(LINEADDRESSCAPS, dwMaxNumConference, K::Count),
    ZAV_FIELD(LINEADDRESSCAPS, dwMaxNumTransConf, K::Count),
    ZAV_NAMED(LINEADDRESSCAPS, dwAddrCapFlags, K::Bits, kAddrCapFlagNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwCallFeatures, K::Bits, kCallFeatureNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwRemoveFromConfCaps, K::Value, kRemoveFromConfNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwRemoveFromConfState, K::Bits, kCallStateNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwTransferModes, K::Bits, kTransferModeNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwParkModes, K::Bits, kParkModeNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwForwardModes, K::Bits, kForwardModeNames),
    ZAV_FIELD(LINEADDRESSCAPS, dwMaxForwardEntries, K::Count),
    ZAV_FIELD(LINEADDRESSCAPS, dwMaxSpecificEntries, K::Count),
    ZAV_FIELD(LINEADDRESSCAPS, dwMinFwdNumRings, K::Count),
    ZAV_FIELD(LINEADDRESSCAPS, dwMaxFwdNumRings, K::Count),
    ZAV_FIELD(LINEADDRESSCAPS, dwMaxCallCompletions, K::Count),
    ZAV_NAMED(LINEADDRESSCAPS, dwCallCompletionConds, K::Bits, kCallComplCondNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwCallCompletionModes, K::Bits, kCallComplModeNames),
    ZAV_FIELD(LINEADDRESSCAPS, dwNumCompletionMessages, K::Count),
    ZAV_FIELD(LINEADDRESSCAPS, dwCompletionMsgTextEntrySize, K::Count),
    ZAV_VAR(LINEADDRESSCAPS, CompletionMsgText, K::TextList),
    ZAV_NAMED(LINEADDRESSCAPS, dwAddressFeatures, K::Bits, kAddrFeatureNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwPredictiveAutoTransferStates, K::Bits, kCallStateNames),
    ZAV_FIELD(LINEADDRESSCAPS, dwNumCallTreatments, K::Count),
    ZAV_VAR(LINEADDRESSCAPS, CallTreatmentList, K::Bytes),
    ZAV_VAR(LINEADDRESSCAPS, DeviceClasses, K::TextList),
    ZAV_FIELD(LINEADDRESSCAPS, dwMaxCallDataSize, K::Count),
    ZAV_NAMED(LINEADDRESSCAPS, dwCallFeatures2, K::Bits, kCallFeature2Names),
    ZAV_FIELD(LINEADDRESSCAPS, dwMaxNoAnswerTimeout, K::Count),
    ZAV_NAMED(LINEADDRESSCAPS, dwConnectedModes, K::Bits, kConnectedModeNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwOfferingModes, K::Bits, kOfferingModeNames),
    ZAV_NAMED(LINEADDRESSCAPS, dwAvailableMediaModes, K::Bits, kMediaModeNames),
};

constexpr Field kCallInfoFields[] = {
    ZAV_FIELD(LINECALLINFO, dwTotalSize, K::Count),
    ZAV_FIELD(LINECALLINFO, dwNeededSize, K::Count),
    ZAV_FIELD(LINECALLINFO, dwUsedSize, K::Count),
    ZAV_FIELD(LINECALLINFO, hLine, K::Hex),
    ZAV_FIELD(LINECALLINFO, dwLineDeviceID, K::Count),
    ZAV_FIELD(LINECALLINFO, dwAddressID, K::Count),
    ZAV_NAMED(LINECALLINFO, dwBearerMode, K::Bits, kBearerModeNames),
    ZAV_FIELD(LINECALLINFO, dwRate, K::Count),
    ZAV_NAMED(LINECALLINFO, dwMediaMode, K::Bits, kMediaModeNames),
    ZAV_FIELD(LINECALLINFO, dwAppSpecific, K::Hex),
    ZAV_FIELD(LINECALLINFO, dwCallID, K::Hex),
    ZAV_FIELD(LINECALLINFO, dwRelatedCallID, K::Hex),
    ZAV_NAMED(LINECALLINFO, dwCallParamFlags, K::Bits, kCallParamFlagNames),
    ZAV_NAMED(LINECALLINFO, dwCallStates, K::Bits, kCallStateNames),
    ZAV_NAMED(LINECALLINFO, dwMonitorDigitModes, K::Bits, kDigitModeNames),
    ZAV_NAMED(LINECALLINFO, dwMonitorMediaModes, K::Bits, kMediaModeNames),
    ZAV_FIELD(LINECALLINFO, DialParams, K::DialParams),
    ZAV_NAMED(LINECALLINFO, dwOrigin, K::Bits, kCallOriginNames),
    ZAV_NAMED(LINECALLINFO, dwReason, K::Bits, kCallReasonNames),
    ZAV_FIELD(LINECALLINFO, dwCompletionID, K::Hex),
    ZAV_FIELD(LINECALLINFO, dwNumOwners, K::Count),
    ZAV_FIELD(LINECALLINFO, dwNumMonitors, K::Count),
    ZAV_FIELD(LINECALLINFO, dwCountryCode, K::Count),
    ZAV_FIELD(LINECALLINFO, dwTrunk, K::Hex),
    ZAV_NAMED(LINECALLINFO, dwCallerIDFlags, K::Bits, kCallPartyIdNames),
    ZAV_VAR(LINECALLINFO, CallerID, K::Text),
    ZAV_VAR(LINECALLINFO, CallerIDName, K::Text),
    ZAV_NAMED(LINECALLINFO, dwCalledIDFlags, K::Bits, kCallPartyIdNames),
    ZAV_VAR(LINECALLINFO, CalledID, K::Text),
    ZAV_VAR(LINECALLINFO, CalledIDName, K::Text),
    ZAV_NAMED(LINECALLINFO, dwConnectedIDFlags, K::Bits, kCallPartyIdNames),
    ZAV_VAR(LINECALLINFO, ConnectedID, K::Text),
    ZAV_VAR(LINECALLINFO, ConnectedIDName, K::Text),
    ZAV_NAMED(LINECALLINFO, dwRedirectionIDFlags, K::Bits, kCallPartyIdNames),
    ZAV_VAR(LINECALLINFO, RedirectionID, K::Text),
    ZAV_VAR(LINECALLINFO, RedirectionIDName, K::Text),
    ZAV_NAMED(LINECALLINFO, dwRedirectingIDFlags, K::Bits, kCallPartyIdNames),
    ZAV_VAR(LINECALLINFO, RedirectingID, K::Text),
    ZAV_VAR(LINECALLINFO, RedirectingIDName, K::Text),
    ZAV_VAR(LINECALLINFO, AppName, K::Text),
    ZAV_VAR(LINECALLINFO, DisplayableAddress, K::Text),
    ZAV_VAR(LINECALLINFO, CalledParty, K::Text),
    ZAV_VAR(LINECALLINFO, Comment, K::Text),
    ZAV_VAR(LINECALLINFO, Display, K::Text),
    ZAV_VAR(LINECALLINFO, UserUserInfo, K::Bytes),
    ZAV_VAR(LINECALLINFO, HighLevelComp, K::Bytes),
    ZAV_VAR(LINECALLINFO, LowLevelComp, K::Bytes),
    ZAV_VAR(LINECALLINFO, ChargingInfo, K::Bytes),
    ZAV_VAR(LINECALLINFO, TerminalModes, K::Bytes),
    ZAV_VAR(LINECALLINFO, DevSpecific, K::Bytes),
    ZAV_FIELD(LINECALLINFO, dwCallTreatment, K::Hex),
    ZAV_VAR(LINECALLINFO, CallData, K::Bytes),
    ZAV_VAR(LINECALLINFO, SendingFlowspec, K::Bytes),
    ZAV_VAR(LINECALLINFO, ReceivingFlowspec, K::Bytes),
};

constexpr Field kCallStatusFields[] = {
    ZAV_FIELD(LINECALLSTATUS, dwTotalSize, K::Count),
    ZAV_FIELD(LINECALLSTATUS, dwNeededSize, K::Count),
    ZAV_FIELD(LINECALLSTATUS, dwUsedSize, K::Count),
    ZAV_NAMED(LINECALLSTATUS, dwCallState, K::Value, kCallStateNames),
    Field{"dwCallStateMode", offsetof(LINECALLSTATUS, dwCallStateMode), sizeof(DWORD), K::StateMode, {},
          offsetof(LINECALLSTATUS, dwCallState)},
    ZAV_NAMED(LINECALLSTATUS, dwCallPrivilege, K::Bits, kCallPrivilegeNames),
    ZAV_NAMED(LINECALLSTATUS, dwCallFeatures, K::Bits, kCallFeatureNames),
    ZAV_VAR(LINECALLSTATUS, DevSpecific, K::Bytes),
    ZAV_NAMED(LINECALLSTATUS, dwCallFeatures2, K::Bits, kCallFeature2Names),
    ZAV_FIELD(LINECALLSTATUS, tStateEntryTime, K::Time),
};

#undef ZAV_FIELD
#undef ZAV_NAMED
#undef ZAV_VAR

// Each table must cover its fixed part field after field, without a gap:
// a field left out or listed twice does not compile.
template <std::size_t N>
constexpr bool CoversFixedPart(const Field (&fields)[N], DWORD fixedSize) {
    std::size_t end = 0;
    for (const Field& f : fields) {
        if (f.offset != end) return false;
        end = f.offset + f.width;
    }
    return end == fixedSize;
}
static_assert(CoversFixedPart(kDevCapsFields, tapi::kLineDevCapsSize20));
static_assert(CoversFixedPart(kAddressCapsFields, tapi::kLineAddressCapsSize20));
static_assert(CoversFixedPart(kCallInfoFields, tapi::kLineCallInfoSize20));
static_assert(CoversFixedPart(kCallStatusFields, tapi::kLineCallStatusSize20));

const char* ValueName(Names names, DWORD value) {
    for (const tapi::ConstantName& n : names)
        if (n.value == value) return tapi::WithoutPrefix(n.name);
    return nullptr;
}

// What a call state's dwCallStateMode holds; empty for states without modes.
Names StateModeNames(DWORD state) {
    switch (state) {
        case LINECALLSTATE_OFFERING: return tapi::kOfferingModeNames;
        case LINECALLSTATE_DIALTONE: return tapi::kDialToneModeNames;
        case LINECALLSTATE_BUSY: return tapi::kBusyModeNames;
        case LINECALLSTATE_SPECIALINFO: return tapi::kSpecialInfoNames;
        case LINECALLSTATE_CONNECTED: return tapi::kConnectedModeNames;
        case LINECALLSTATE_DISCONNECTED: return tapi::kDisconnectModeNames;
        default: return {};
    }
}

std::string WithNames(DWORD value, const std::string& names) {
    return names.empty() ? Hex(value) : Hex(value) + " (" + names + ")";
}

std::string Ansi(const std::u16string& text) {
    if (text.empty()) return {};
    return plat::WideToAnsi(plat::WidePtr(text), static_cast<int>(text.size()));
}

class StructReader {
public:
    explicit StructReader(const TapiBuffer& buffer) : m_buffer(buffer), m_totalSize(buffer.Word(0)) {}

    DWORD TotalSize() const { return m_totalSize; }

    std::string Value(const Field& f) const {
        const DWORD word = m_buffer.Word(f.offset);
        switch (f.kind) {
            case Kind::Count: return std::to_string(word);
            case Kind::Hex: return Hex(word);
            case Kind::Bits: return WithNames(word, BitNames(f.names, word));
            case Kind::Value: {
                const char* name = ValueName(f.names, word);
                return WithNames(word, name ? name : "");
            }
            case Kind::StateMode:
                return WithNames(word, BitNames(StateModeNames(m_buffer.Word(f.second)), word));
            case Kind::Text:
            case Kind::TextList:
            case Kind::Bytes: return Variable(f.kind, word, m_buffer.Word(f.second));
            case Kind::DialParams: {
                const std::size_t at = f.offset;
                return "dwDialPause " + std::to_string(m_buffer.Word(at)) + ", dwDialSpeed " +
                       std::to_string(m_buffer.Word(at + 4)) + ", dwDigitDuration " +
                       std::to_string(m_buffer.Word(at + 8)) + ", dwWaitForDialtone " +
                       std::to_string(m_buffer.Word(at + 12));
            }
            case Kind::Time: {
                SYSTEMTIME t;
                std::memcpy(&t, m_buffer.Data() + f.offset, sizeof t);
                char text[64];
                std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", unsigned{t.wYear},
                              unsigned{t.wMonth}, unsigned{t.wDay}, unsigned{t.wHour}, unsigned{t.wMinute},
                              unsigned{t.wSecond}, unsigned{t.wMilliseconds});
                return text;
            }
        }
        return Hex(word);
    }

private:
    std::string Variable(Kind kind, DWORD size, DWORD offset) const {
        const std::string where = " [size " + std::to_string(size) + ", offset " + Hex(offset) + "]";
        if (size == 0) return (kind == Kind::Bytes ? "none" : "\"\"") + where;
        const std::size_t limit = std::min<std::size_t>(m_totalSize, m_buffer.TotalSize());
        if (static_cast<std::size_t>(offset) + size > limit) return "(past dwTotalSize)" + where;
        if (kind == Kind::Bytes) return Bytes(offset, size) + where;
        const std::u16string text = m_buffer.WideAt(offset, size);
        if (kind == Kind::Text) return "\"" + Ansi(text) + "\"" + where;
        std::string list;
        for (std::size_t start = 0; start < text.size();) {
            std::size_t end = std::min(text.find(u'\0', start), text.size());
            if (end > start) {
                if (!list.empty()) list += ", ";
                list += "\"" + Ansi(text.substr(start, end - start)) + "\"";
            }
            start = end + 1;
        }
        return list + where;
    }

    // The first bytes in hex: enough to recognise the data, not to read it.
    std::string Bytes(DWORD offset, DWORD size) const {
        constexpr DWORD kShown = 16;
        std::string text;
        for (DWORD i = 0; i < std::min(size, kShown); ++i) {
            char byte[4];
            std::snprintf(byte, sizeof byte, "%02X", unsigned{m_buffer.Data()[offset + i]});
            if (!text.empty()) text += ' ';
            text += byte;
        }
        return size > kShown ? text + " ..." : text;
    }

    const TapiBuffer& m_buffer;
    const DWORD m_totalSize;  // as the structure states it
};

template <std::size_t N>
std::vector<std::string> Decode(const TapiBuffer& buffer, const Field (&fields)[N], DWORD fixedSize) {
    const StructReader reader(buffer);
    // A structure sized for an older version ends early; a provider that
    // wrote a larger dwTotalSize than it was given must not make us read
    // past the buffer.
    const std::size_t end = std::min<std::size_t>({reader.TotalSize(), buffer.TotalSize(), fixedSize});
    std::vector<std::string> lines;
    for (const Field& f : fields) {
        if (f.offset + f.width > end) break;
        lines.push_back("  " + std::string(f.name) + " = " + reader.Value(f));
    }
    if (lines.size() < N)
        lines.push_back("  (" + std::to_string(N - lines.size()) + " more fields lie past dwTotalSize " +
                        std::to_string(reader.TotalSize()) + ")");
    return lines;
}

}  // namespace

std::vector<std::string> DecodeLineDevCaps(const TapiBuffer& devCaps) {
    return Decode(devCaps, kDevCapsFields, tapi::kLineDevCapsSize20);
}

std::vector<std::string> DecodeLineAddressCaps(const TapiBuffer& addressCaps) {
    return Decode(addressCaps, kAddressCapsFields, tapi::kLineAddressCapsSize20);
}

std::vector<std::string> DecodeLineCallInfo(const TapiBuffer& callInfo) {
    return Decode(callInfo, kCallInfoFields, tapi::kLineCallInfoSize20);
}

std::vector<std::string> DecodeLineCallStatus(const TapiBuffer& callStatus) {
    return Decode(callStatus, kCallStatusFields, tapi::kLineCallStatusSize20);
}

}  // namespace zavhost
