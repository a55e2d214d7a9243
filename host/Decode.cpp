#include "host/Decode.h"

#include <cstdio>

#include "tapi/TapiNames.h"

namespace zavhost {

namespace {

std::string Decoded(DWORD_PTR value, const std::string& name) {
    return name.empty() ? Hex8(value) : Hex8(value) + "(" + name + ")";
}

std::string LineText(DWORD deviceId) {
    return deviceId == kUnknownDevice ? std::string("?") : std::to_string(deviceId);
}

}  // namespace

std::string BitNames(std::span<const tapi::ConstantName> names, DWORD bits) {
    std::string text;
    DWORD rest = bits;
    for (const tapi::ConstantName& n : names) {
        if (!(bits & n.value)) continue;
        if (!text.empty()) text += '|';
        text += tapi::WithoutPrefix(n.name);
        rest &= ~n.value;
    }
    if (rest) {
        if (!text.empty()) text += '|';
        text += Hex(rest);
    }
    return text;
}

const char* MessageName(DWORD msg) {
    if (const char* name = tapi::FullName(tapi::kLineMessageNames, msg)) return name;
    thread_local char text[24];
    std::snprintf(text, sizeof text, "MSG_%u", static_cast<unsigned>(msg));
    return text;
}

const char* CallStateName(DWORD state) {
    const char* name = tapi::ShortName(tapi::kCallStateNames, state);
    return name ? name : "";
}

std::string LineDevStateNames(DWORD bits) { return BitNames(tapi::kLineDevStateNames, bits); }
std::string AddressStateNames(DWORD bits) { return BitNames(tapi::kAddressStateNames, bits); }
std::string CallInfoStateNames(DWORD bits) { return BitNames(tapi::kCallInfoStateNames, bits); }
std::string PhoneStateNames(DWORD bits) { return BitNames(tapi::kPhoneStateNames, bits); }

const char* LineErrorName(LONG code) {
    const char* name = tapi::ShortName(tapi::kLineErrorNames, static_cast<DWORD>(code));
    return name ? name : "";
}

std::string Hex(DWORD_PTR value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string Hex8(DWORD_PTR value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(value));
    return text;
}

std::string ResultText(LONG result) {
    if (result >= 0) return Hex(static_cast<DWORD>(result));
    return Decoded(static_cast<DWORD>(result), LineErrorName(result));
}

std::string FormatEntry(const JournalEntry& e) {
    std::string call = e.call == kNoCall ? std::string() : " call=" + std::to_string(e.call);
    switch (e.kind) {
        case EntryKind::Completion:
            return "COMPLETION request=" + std::to_string(e.requestId) + " result=" + ResultText(e.result);
        case EntryKind::NewCallAnswered:
            return "LINE_NEWCALL answered line=" + LineText(e.deviceId) + call + " htCall=" +
                   Hex(reinterpret_cast<DWORD_PTR>(e.assignedCall)) + " after " + std::to_string(e.delayMs) + " ms";
        case EntryKind::LineCreated:
            return "TSPI_providerCreateLineDevice(" + Hex(e.p2) + ", " + std::to_string(e.newDeviceId) +
                   ") = " + ResultText(e.hostResult);
        case EntryKind::PhoneCreated:
            return "TSPI_providerCreatePhoneDevice(" + Hex(e.p2) + ", " + std::to_string(e.newDeviceId) +
                   ") = " + ResultText(e.hostResult);
        case EntryKind::LineEvent:
        case EntryKind::PhoneEvent: break;
    }

    std::string p1 = Hex(e.p1), p2 = Hex(e.p2), p3 = Hex(e.p3);
    switch (e.msg) {
        case LINE_CALLSTATE: p1 = Decoded(e.p1, CallStateName(static_cast<DWORD>(e.p1))); break;
        case LINE_LINEDEVSTATE: p1 = Decoded(e.p1, LineDevStateNames(static_cast<DWORD>(e.p1))); break;
        case LINE_ADDRESSSTATE: p2 = Decoded(e.p2, AddressStateNames(static_cast<DWORD>(e.p2))); break;
        case LINE_CALLINFO: p1 = Decoded(e.p1, CallInfoStateNames(static_cast<DWORD>(e.p1))); break;
        case PHONE_STATE: p1 = Decoded(e.p1, PhoneStateNames(static_cast<DWORD>(e.p1))); break;
        case LINE_REPLY:
        case PHONE_REPLY: p2 = ResultText(static_cast<LONG>(e.p2)); break;
        default: break;
    }
    std::string device = e.kind == EntryKind::PhoneEvent ? " phone=" : " line=";
    std::string text = std::string(MessageName(e.msg)) + device + LineText(e.deviceId) +
                       (e.msg == LINE_NEWCALL ? std::string() : call) + " p1=" + p1 + " p2=" + p2 + " p3=" + p3;
    if (e.msg == LINE_NEWCALL)
        text += e.assignedCall ? " -> call=" + std::to_string(e.call) : std::string(" -> not answered");
    return text;
}

}  // namespace zavhost
