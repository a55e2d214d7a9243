#include "host/Decode.h"

#include <cstdio>

namespace zavhost {

namespace {

struct Name {
    DWORD value;
    const char* name;
};

#define ZAV_NAME(prefix, x) {static_cast<DWORD>(prefix##x), #x}

const Name kMessages[] = {
    {LINE_ADDRESSSTATE, "LINE_ADDRESSSTATE"}, {LINE_CALLINFO, "LINE_CALLINFO"},
    {LINE_CALLSTATE, "LINE_CALLSTATE"},       {LINE_CLOSE, "LINE_CLOSE"},
    {LINE_DEVSPECIFIC, "LINE_DEVSPECIFIC"},   {LINE_DEVSPECIFICFEATURE, "LINE_DEVSPECIFICFEATURE"},
    {LINE_GATHERDIGITS, "LINE_GATHERDIGITS"}, {LINE_GENERATE, "LINE_GENERATE"},
    {LINE_LINEDEVSTATE, "LINE_LINEDEVSTATE"}, {LINE_MONITORDIGITS, "LINE_MONITORDIGITS"},
    {LINE_MONITORMEDIA, "LINE_MONITORMEDIA"}, {LINE_MONITORTONE, "LINE_MONITORTONE"},
    {LINE_REPLY, "LINE_REPLY"},               {LINE_REQUEST, "LINE_REQUEST"},
    {PHONE_BUTTON, "PHONE_BUTTON"},           {PHONE_CLOSE, "PHONE_CLOSE"},
    {PHONE_DEVSPECIFIC, "PHONE_DEVSPECIFIC"}, {PHONE_REPLY, "PHONE_REPLY"},
    {PHONE_STATE, "PHONE_STATE"},             {LINE_CREATE, "LINE_CREATE"},
    {PHONE_CREATE, "PHONE_CREATE"},           {LINE_REMOVE, "LINE_REMOVE"},
    {PHONE_REMOVE, "PHONE_REMOVE"},           {LINE_NEWCALL, "LINE_NEWCALL"},
    {LINE_CALLDEVSPECIFIC, "LINE_CALLDEVSPECIFIC"},
    {LINE_CALLDEVSPECIFICFEATURE, "LINE_CALLDEVSPECIFICFEATURE"},
    {LINE_CREATEDIALOGINSTANCE, "LINE_CREATEDIALOGINSTANCE"},
    {LINE_SENDDIALOGINSTANCEDATA, "LINE_SENDDIALOGINSTANCEDATA"},
};

const Name kCallStates[] = {
    ZAV_NAME(LINECALLSTATE_, IDLE),         ZAV_NAME(LINECALLSTATE_, OFFERING),
    ZAV_NAME(LINECALLSTATE_, ACCEPTED),     ZAV_NAME(LINECALLSTATE_, DIALTONE),
    ZAV_NAME(LINECALLSTATE_, DIALING),      ZAV_NAME(LINECALLSTATE_, RINGBACK),
    ZAV_NAME(LINECALLSTATE_, BUSY),         ZAV_NAME(LINECALLSTATE_, SPECIALINFO),
    ZAV_NAME(LINECALLSTATE_, CONNECTED),    ZAV_NAME(LINECALLSTATE_, PROCEEDING),
    ZAV_NAME(LINECALLSTATE_, ONHOLD),       ZAV_NAME(LINECALLSTATE_, CONFERENCED),
    ZAV_NAME(LINECALLSTATE_, ONHOLDPENDCONF), ZAV_NAME(LINECALLSTATE_, ONHOLDPENDTRANSFER),
    ZAV_NAME(LINECALLSTATE_, DISCONNECTED), ZAV_NAME(LINECALLSTATE_, UNKNOWN),
};

const Name kLineDevStates[] = {
    ZAV_NAME(LINEDEVSTATE_, OTHER),         ZAV_NAME(LINEDEVSTATE_, RINGING),
    ZAV_NAME(LINEDEVSTATE_, CONNECTED),     ZAV_NAME(LINEDEVSTATE_, DISCONNECTED),
    ZAV_NAME(LINEDEVSTATE_, MSGWAITON),     ZAV_NAME(LINEDEVSTATE_, MSGWAITOFF),
    ZAV_NAME(LINEDEVSTATE_, INSERVICE),     ZAV_NAME(LINEDEVSTATE_, OUTOFSERVICE),
    ZAV_NAME(LINEDEVSTATE_, MAINTENANCE),   ZAV_NAME(LINEDEVSTATE_, OPEN),
    ZAV_NAME(LINEDEVSTATE_, CLOSE),         ZAV_NAME(LINEDEVSTATE_, NUMCALLS),
    ZAV_NAME(LINEDEVSTATE_, NUMCOMPLETIONS), ZAV_NAME(LINEDEVSTATE_, TERMINALS),
    ZAV_NAME(LINEDEVSTATE_, ROAMMODE),      ZAV_NAME(LINEDEVSTATE_, BATTERY),
    ZAV_NAME(LINEDEVSTATE_, SIGNAL),        ZAV_NAME(LINEDEVSTATE_, DEVSPECIFIC),
    ZAV_NAME(LINEDEVSTATE_, REINIT),        ZAV_NAME(LINEDEVSTATE_, LOCK),
    ZAV_NAME(LINEDEVSTATE_, CAPSCHANGE),    ZAV_NAME(LINEDEVSTATE_, CONFIGCHANGE),
    ZAV_NAME(LINEDEVSTATE_, TRANSLATECHANGE), ZAV_NAME(LINEDEVSTATE_, COMPLCANCEL),
    ZAV_NAME(LINEDEVSTATE_, REMOVED),
};

const Name kAddressStates[] = {
    ZAV_NAME(LINEADDRESSSTATE_, OTHER),      ZAV_NAME(LINEADDRESSSTATE_, DEVSPECIFIC),
    ZAV_NAME(LINEADDRESSSTATE_, INUSEZERO),  ZAV_NAME(LINEADDRESSSTATE_, INUSEONE),
    ZAV_NAME(LINEADDRESSSTATE_, INUSEMANY),  ZAV_NAME(LINEADDRESSSTATE_, NUMCALLS),
    ZAV_NAME(LINEADDRESSSTATE_, FORWARD),    ZAV_NAME(LINEADDRESSSTATE_, TERMINALS),
    ZAV_NAME(LINEADDRESSSTATE_, CAPSCHANGE),
};

const Name kCallInfoStates[] = {
    ZAV_NAME(LINECALLINFOSTATE_, OTHER),        ZAV_NAME(LINECALLINFOSTATE_, DEVSPECIFIC),
    ZAV_NAME(LINECALLINFOSTATE_, BEARERMODE),   ZAV_NAME(LINECALLINFOSTATE_, RATE),
    ZAV_NAME(LINECALLINFOSTATE_, MEDIAMODE),    ZAV_NAME(LINECALLINFOSTATE_, APPSPECIFIC),
    ZAV_NAME(LINECALLINFOSTATE_, CALLID),       ZAV_NAME(LINECALLINFOSTATE_, RELATEDCALLID),
    ZAV_NAME(LINECALLINFOSTATE_, ORIGIN),       ZAV_NAME(LINECALLINFOSTATE_, REASON),
    ZAV_NAME(LINECALLINFOSTATE_, COMPLETIONID), ZAV_NAME(LINECALLINFOSTATE_, NUMOWNERINCR),
    ZAV_NAME(LINECALLINFOSTATE_, NUMOWNERDECR), ZAV_NAME(LINECALLINFOSTATE_, NUMMONITORS),
    ZAV_NAME(LINECALLINFOSTATE_, TRUNK),        ZAV_NAME(LINECALLINFOSTATE_, CALLERID),
    ZAV_NAME(LINECALLINFOSTATE_, CALLEDID),     ZAV_NAME(LINECALLINFOSTATE_, CONNECTEDID),
    ZAV_NAME(LINECALLINFOSTATE_, REDIRECTIONID), ZAV_NAME(LINECALLINFOSTATE_, REDIRECTINGID),
    ZAV_NAME(LINECALLINFOSTATE_, DISPLAY),      ZAV_NAME(LINECALLINFOSTATE_, USERUSERINFO),
    ZAV_NAME(LINECALLINFOSTATE_, HIGHLEVELCOMP), ZAV_NAME(LINECALLINFOSTATE_, LOWLEVELCOMP),
    ZAV_NAME(LINECALLINFOSTATE_, CHARGINGINFO), ZAV_NAME(LINECALLINFOSTATE_, TERMINAL),
    ZAV_NAME(LINECALLINFOSTATE_, DIALPARAMS),   ZAV_NAME(LINECALLINFOSTATE_, MONITORMODES),
    ZAV_NAME(LINECALLINFOSTATE_, TREATMENT),    ZAV_NAME(LINECALLINFOSTATE_, QOS),
    ZAV_NAME(LINECALLINFOSTATE_, CALLDATA),
};

const Name kPhoneStates[] = {
    ZAV_NAME(PHONESTATE_, OTHER),            ZAV_NAME(PHONESTATE_, CONNECTED),
    ZAV_NAME(PHONESTATE_, DISCONNECTED),     ZAV_NAME(PHONESTATE_, OWNER),
    ZAV_NAME(PHONESTATE_, MONITORS),         ZAV_NAME(PHONESTATE_, DISPLAY),
    ZAV_NAME(PHONESTATE_, LAMP),             ZAV_NAME(PHONESTATE_, RINGMODE),
    ZAV_NAME(PHONESTATE_, RINGVOLUME),       ZAV_NAME(PHONESTATE_, HANDSETHOOKSWITCH),
    ZAV_NAME(PHONESTATE_, HANDSETVOLUME),    ZAV_NAME(PHONESTATE_, HANDSETGAIN),
    ZAV_NAME(PHONESTATE_, SPEAKERHOOKSWITCH), ZAV_NAME(PHONESTATE_, SPEAKERVOLUME),
    ZAV_NAME(PHONESTATE_, SPEAKERGAIN),      ZAV_NAME(PHONESTATE_, HEADSETHOOKSWITCH),
    ZAV_NAME(PHONESTATE_, HEADSETVOLUME),    ZAV_NAME(PHONESTATE_, HEADSETGAIN),
    ZAV_NAME(PHONESTATE_, SUSPEND),          ZAV_NAME(PHONESTATE_, RESUME),
    ZAV_NAME(PHONESTATE_, DEVSPECIFIC),      ZAV_NAME(PHONESTATE_, REINIT),
    ZAV_NAME(PHONESTATE_, CAPSCHANGE),       ZAV_NAME(PHONESTATE_, REMOVED),
};

const Name kLineErrors[] = {
    ZAV_NAME(LINEERR_, ALLOCATED),          ZAV_NAME(LINEERR_, BADDEVICEID),
    ZAV_NAME(LINEERR_, BEARERMODEUNAVAIL),  ZAV_NAME(LINEERR_, CALLUNAVAIL),
    ZAV_NAME(LINEERR_, COMPLETIONOVERRUN),  ZAV_NAME(LINEERR_, CONFERENCEFULL),
    ZAV_NAME(LINEERR_, DIALBILLING),        ZAV_NAME(LINEERR_, DIALDIALTONE),
    ZAV_NAME(LINEERR_, DIALPROMPT),         ZAV_NAME(LINEERR_, DIALQUIET),
    ZAV_NAME(LINEERR_, INCOMPATIBLEAPIVERSION), ZAV_NAME(LINEERR_, INCOMPATIBLEEXTVERSION),
    ZAV_NAME(LINEERR_, INUSE),              ZAV_NAME(LINEERR_, INVALADDRESS),
    ZAV_NAME(LINEERR_, INVALADDRESSID),     ZAV_NAME(LINEERR_, INVALADDRESSMODE),
    ZAV_NAME(LINEERR_, INVALADDRESSSTATE),  ZAV_NAME(LINEERR_, INVALBEARERMODE),
    ZAV_NAME(LINEERR_, INVALCALLCOMPLMODE), ZAV_NAME(LINEERR_, INVALCALLHANDLE),
    ZAV_NAME(LINEERR_, INVALCALLPARAMS),    ZAV_NAME(LINEERR_, INVALCALLPRIVILEGE),
    ZAV_NAME(LINEERR_, INVALCALLSELECT),    ZAV_NAME(LINEERR_, INVALCALLSTATE),
    ZAV_NAME(LINEERR_, INVALCALLSTATELIST), ZAV_NAME(LINEERR_, INVALCOMPLETIONID),
    ZAV_NAME(LINEERR_, INVALCONFCALLHANDLE), ZAV_NAME(LINEERR_, INVALCONSULTCALLHANDLE),
    ZAV_NAME(LINEERR_, INVALCOUNTRYCODE),   ZAV_NAME(LINEERR_, INVALDEVICECLASS),
    ZAV_NAME(LINEERR_, INVALDIGITLIST),     ZAV_NAME(LINEERR_, INVALDIGITMODE),
    ZAV_NAME(LINEERR_, INVALDIGITS),        ZAV_NAME(LINEERR_, INVALEXTVERSION),
    ZAV_NAME(LINEERR_, INVALGROUPID),       ZAV_NAME(LINEERR_, INVALLINEHANDLE),
    ZAV_NAME(LINEERR_, INVALLINESTATE),     ZAV_NAME(LINEERR_, INVALMEDIALIST),
    ZAV_NAME(LINEERR_, INVALMEDIAMODE),     ZAV_NAME(LINEERR_, INVALMESSAGEID),
    ZAV_NAME(LINEERR_, INVALPARAM),         ZAV_NAME(LINEERR_, INVALPARKID),
    ZAV_NAME(LINEERR_, INVALPARKMODE),      ZAV_NAME(LINEERR_, INVALPOINTER),
    ZAV_NAME(LINEERR_, INVALPRIVSELECT),    ZAV_NAME(LINEERR_, INVALRATE),
    ZAV_NAME(LINEERR_, INVALREQUESTMODE),   ZAV_NAME(LINEERR_, INVALTERMINALID),
    ZAV_NAME(LINEERR_, INVALTERMINALMODE),  ZAV_NAME(LINEERR_, INVALTIMEOUT),
    ZAV_NAME(LINEERR_, INVALTONE),          ZAV_NAME(LINEERR_, INVALTONELIST),
    ZAV_NAME(LINEERR_, INVALTONEMODE),      ZAV_NAME(LINEERR_, INVALTRANSFERMODE),
    ZAV_NAME(LINEERR_, NOCONFERENCE),       ZAV_NAME(LINEERR_, NODEVICE),
    ZAV_NAME(LINEERR_, NODRIVER),           ZAV_NAME(LINEERR_, NOMEM),
    ZAV_NAME(LINEERR_, NOREQUEST),          ZAV_NAME(LINEERR_, NOTOWNER),
    ZAV_NAME(LINEERR_, NOTREGISTERED),      ZAV_NAME(LINEERR_, OPERATIONFAILED),
    ZAV_NAME(LINEERR_, OPERATIONUNAVAIL),   ZAV_NAME(LINEERR_, RATEUNAVAIL),
    ZAV_NAME(LINEERR_, RESOURCEUNAVAIL),    ZAV_NAME(LINEERR_, REQUESTOVERRUN),
    ZAV_NAME(LINEERR_, STRUCTURETOOSMALL),  ZAV_NAME(LINEERR_, TARGETNOTFOUND),
    ZAV_NAME(LINEERR_, TARGETSELF),         ZAV_NAME(LINEERR_, UNINITIALIZED),
    ZAV_NAME(LINEERR_, USERUSERINFOTOOBIG), ZAV_NAME(LINEERR_, REINIT),
};

#undef ZAV_NAME

template <std::size_t N>
const char* Find(const Name (&names)[N], DWORD value) {
    for (const Name& n : names)
        if (n.value == value) return n.name;
    return nullptr;
}

template <std::size_t N>
std::string Bits(const Name (&names)[N], DWORD bits) {
    std::string text;
    DWORD rest = bits;
    for (const Name& n : names) {
        if (!(bits & n.value)) continue;
        if (!text.empty()) text += '|';
        text += n.name;
        rest &= ~n.value;
    }
    if (rest) {
        if (!text.empty()) text += '|';
        text += Hex(rest);
    }
    return text;
}

std::string Decoded(DWORD_PTR value, const std::string& name) {
    return name.empty() ? Hex8(value) : Hex8(value) + "(" + name + ")";
}

std::string LineText(DWORD deviceId) {
    return deviceId == kUnknownDevice ? std::string("?") : std::to_string(deviceId);
}

}  // namespace

const char* MessageName(DWORD msg) {
    if (const char* name = Find(kMessages, msg)) return name;
    thread_local char text[24];
    std::snprintf(text, sizeof text, "MSG_%u", static_cast<unsigned>(msg));
    return text;
}

const char* CallStateName(DWORD state) {
    const char* name = Find(kCallStates, state);
    return name ? name : "";
}

std::string LineDevStateNames(DWORD bits) { return Bits(kLineDevStates, bits); }
std::string AddressStateNames(DWORD bits) { return Bits(kAddressStates, bits); }
std::string CallInfoStateNames(DWORD bits) { return Bits(kCallInfoStates, bits); }
std::string PhoneStateNames(DWORD bits) { return Bits(kPhoneStates, bits); }

const char* LineErrorName(LONG code) {
    const char* name = Find(kLineErrors, static_cast<DWORD>(code));
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
