#include <gtest/gtest.h>

#include "tapi/Tapi.h"
#include "trace/ZavTrace.h"

namespace {

// The rules around the names: which families drop their prefix, what an
// unnamed value or message reads as, and where the known messages end.
TEST(TapiValueName, FallbacksAndShortForms) {
    struct Case {
        DWORD message, param;
        const char* name;
    } cases[] = {
        {LINE_CALLSTATE, LINECALLSTATE_ONHOLDPENDTRANSFER, "ONHOLDPENDTRANSFER"},
        {LINE_GATHERDIGITS, LINEGATHERTERM_CANCEL, "CANCEL"},
        {LINE_GATHERDIGITS, 0x20, "NO_DETAIL"},
        {LINE_LINEDEVSTATE, LINEDEVSTATE_REINIT, "LINEDEVSTATE_REINIT"},
        {LINE_LINEDEVSTATE, LINEDEVSTATE_OTHER | LINEDEVSTATE_RINGING, "UNKNOWN"},
        {LINE_CALLINFO, LINECALLINFOSTATE_CALLERID, "LINECALLINFOSTATE_CALLERID"},
        {LINE_CALLINFO, LINECALLINFOSTATE_TRUNK, "UNKNOWN"},
        {LINE_MONITORDIGITS, '7', "7"},
        {PHONE_REMOVE, 0, "NO_DETAIL"},
        {27, 0, "UNKNOWN_LINE_MSG"},
    };
    for (const Case& c : cases) EXPECT_STREQ(ZavTapiValueName(c.message, c.param), c.name) << c.message << " " << c.param;
}

}  // namespace
