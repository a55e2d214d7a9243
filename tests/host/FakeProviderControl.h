// How the host tests steer the fake provider: commands travel in the
// parameter block of TSPI_lineDevSpecific, observations come back through
// the library's FakeTsp_Probe export.
#pragma once

#include <cstdint>

#include "tapi/Tapi.h"

namespace fakeprovider {

enum Command : DWORD {
    kNewCall = 1,        // LINE_NEWCALL on line arg0 into slot arg1, on the caller's thread
    kCallState = 2,      // LINE_CALLSTATE OFFERING on line arg0 for the handle in slot arg1
    kLineCreate = 3,     // LINE_CREATE, temporary id arg0; arg1: wrong provider handle; arg2: from a thread of its own
    kLineStateBurst = 4, // arg0 LINE_LINEDEVSTATE events (p2 = 0, 1, ...) on line arg1 from a thread of its own
    kComplete = 5,       // completion (id arg0, result arg1) on the caller's thread
    kForeignLine = 6,    // LINE_LINEDEVSTATE with a line handle the host never gave
    kPhoneState = 7,     // PHONE_STATE on the open phone
    kCallInfoOverrun = 8,  // TSPI_lineGetCallInfo writes arg0 bytes past dwTotalSize
    kTruncatedLine = 9,  // LINE_LINEDEVSTATE on line arg0 with its handle cut to 32 bits
};

struct CommandBlock {
    DWORD reserved = 0;
    DWORD command = 0;
    DWORD arg[4] = {};
};

enum Probe : int {
    kSlotNow = 1,            // slot index's value now
    kSlotAfterEvent = 2,     // slot index's value when the LINE_NEWCALL event returned
    kCreateLineThread = 3,   // thread of the last TSPI_providerCreateLineDevice
    kCreateLineTempId = 4,
    kCreateLineDeviceId = 5,
    kSenderThread = 6,       // the fake's own thread of the last threaded command
    kCloseCallCount = 7,
};

typedef std::uintptr_t (*ProbeFn)(int what, int index);

// Numbers whose TSPI_lineMakeCall misbehaves in the named way.
inline constexpr const char* kCompleteBeforeReturn = "ok";
inline constexpr const char* kCompleteFromThread = "later";
inline constexpr const char* kCompleteTwice = "twice";
inline constexpr const char* kCompleteUnknownId = "unknown";
inline constexpr const char* kRefuse = "refuse";
inline constexpr const char* kRefuseAfterCompleting = "refuse-completed";
inline constexpr const char* kSynchronous = "sync";
inline constexpr const char* kSynchronousAfterCompleting = "sync-completed";
inline constexpr const char* kNeverComplete = "pending";
inline constexpr const char* kReturnOtherId = "other-id";
inline constexpr const char* kCompleteOnClose = "on-close";

}  // namespace fakeprovider
