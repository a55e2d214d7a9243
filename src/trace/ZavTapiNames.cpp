// Names of TAPI values for trace texts.
#include "tapi/TapiNames.h"
#include "trace/ZavTrace.h"

namespace {

// The trace has only ever named the call-info changes about who is on the
// call; the other bits stay UNKNOWN so that its lines read as they did.
constexpr DWORD kTracedCallInfo = LINECALLINFOSTATE_OTHER | LINECALLINFOSTATE_CALLID |
                                  LINECALLINFOSTATE_RELATEDCALLID | LINECALLINFOSTATE_ORIGIN |
                                  LINECALLINFOSTATE_REASON | LINECALLINFOSTATE_CALLERID |
                                  LINECALLINFOSTATE_CALLEDID | LINECALLINFOSTATE_CONNECTEDID |
                                  LINECALLINFOSTATE_REDIRECTIONID | LINECALLINFOSTATE_REDIRECTINGID;

const char* Or(const char* name, const char* otherwise) { return name ? name : otherwise; }

const char* DigitName(DWORD digit) {
    static const char* const kDigits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    if (digit == '#') return "#";
    if (digit == '*') return "*";
    if (digit >= '0' && digit <= '9') return kDigits[digit - '0'];
    return "NO_DETAIL";
}

}  // namespace

const char* ZavTapiValueName(DWORD lineMessage, DWORD param) {
    switch (lineMessage) {
        case LINE_ADDRESSSTATE: return Or(tapi::FullName(tapi::kAddressStateNames, param), "UNKNOWN");
        case LINE_CALLINFO:
            if (param & ~kTracedCallInfo) return "UNKNOWN";
            return Or(tapi::FullName(tapi::kCallInfoStateNames, param), "UNKNOWN");
        case LINE_CALLSTATE: return Or(tapi::ShortName(tapi::kCallStateNames, param), "UNKNOWN");
        case LINE_GATHERDIGITS: return Or(tapi::ShortName(tapi::kGatherTermNames, param), "NO_DETAIL");
        case LINE_LINEDEVSTATE: return Or(tapi::FullName(tapi::kLineDevStateNames, param), "UNKNOWN");
        case LINE_MONITORDIGITS: return DigitName(param);
        // The messages after PHONE_REMOVE came with later TAPI versions or
        // are the provider-only ones; the trace has never told them apart.
        default: return lineMessage > PHONE_REMOVE ? "UNKNOWN_LINE_MSG" : "NO_DETAIL";
    }
}
