// One printed line per journal entry, as the console shows them.
#include <gtest/gtest.h>

#include "host/Decode.h"

namespace {

using zavhost::EntryKind;
using zavhost::JournalEntry;

JournalEntry Line(DWORD msg, DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3, DWORD device = 0) {
    JournalEntry e;
    e.kind = EntryKind::LineEvent;
    e.msg = msg;
    e.p1 = p1;
    e.p2 = p2;
    e.p3 = p3;
    e.deviceId = device;
    return e;
}

TEST(Decode, EntriesPrintWithTheirNamesAndDecodedParameters) {
    JournalEntry completion;
    completion.kind = EntryKind::Completion;
    completion.requestId = 5;
    completion.result = LINEERR_OPERATIONFAILED;

    JournalEntry callState = Line(LINE_CALLSTATE, LINECALLSTATE_OFFERING, 1, 0);
    callState.call = 2;

    JournalEntry phone;
    phone.kind = EntryKind::PhoneEvent;
    phone.msg = PHONE_STATE;
    phone.p1 = PHONESTATE_DISPLAY;
    phone.deviceId = 4;

    JournalEntry created = Line(LINE_CREATE, 0x7A500001, 7, 0, zavhost::kUnknownDevice);
    created.kind = EntryKind::LineCreated;
    created.newDeviceId = 12;
    created.hostResult = LINEERR_BADDEVICEID;

    struct Case {
        JournalEntry entry;
        const char* text;
    } cases[] = {
        {Line(LINE_LINEDEVSTATE, LINEDEVSTATE_REINIT, 0, 0x80), "LINE_LINEDEVSTATE line=0 p1=0x00040000(REINIT) p2=0x0 p3=0x80"},
        {Line(LINE_LINEDEVSTATE, LINEDEVSTATE_RINGING | 0x80000000u, 1, 0),
         "LINE_LINEDEVSTATE line=0 p1=0x80000002(RINGING|0x80000000) p2=0x1 p3=0x0"},
        {callState, "LINE_CALLSTATE line=0 call=2 p1=0x00000002(OFFERING) p2=0x1 p3=0x0"},
        {Line(LINE_ADDRESSSTATE, 0, LINEADDRESSSTATE_NUMCALLS, 0), "LINE_ADDRESSSTATE line=0 p1=0x0 p2=0x00000020(NUMCALLS) p3=0x0"},
        {Line(777, 1, 2, 3, zavhost::kUnknownDevice), "MSG_777 line=? p1=0x1 p2=0x2 p3=0x3"},
        {completion, "COMPLETION request=5 result=0x80000048(OPERATIONFAILED)"},
        {phone, "PHONE_STATE phone=4 p1=0x00000020(DISPLAY) p2=0x0 p3=0x0"},
        {created, "TSPI_providerCreateLineDevice(0x7, 12) = 0x80000002(BADDEVICEID)"},
    };
    for (const Case& c : cases) EXPECT_EQ(zavhost::FormatEntry(c.entry), c.text);
}

}  // namespace
