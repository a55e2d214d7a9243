// How the host tests steer the fake provider: commands travel in the
// parameter block of TSPI_lineDevSpecific, observations come back through
// the library's FakeTsp_Probe export.
#pragma once

#include <cstdint>

#include "tapi/Tapi.h"

namespace fakeprovider {

enum Command : DWORD {
    kNewCall = 1,          // LINE_NEWCALL on the first line into slot arg0
    kCallState = 2,        // LINE_CALLSTATE OFFERING for the handle in slot arg0
    kLineCreate = 3,       // LINE_CREATE, temporary id arg0; arg1: wrong provider handle; arg2: from a thread of its own
    kComplete = 4,         // completion (id arg0, result 0)
    kBadLineHandle = 5,    // LINE_LINEDEVSTATE with a handle never given (arg0 0) or the first line's cut to 32 bits
    kCallInfoOverrun = 6,  // TSPI_lineGetCallInfo writes arg0 bytes past dwTotalSize
};

struct CommandBlock {
    DWORD reserved = 0;
    DWORD command = 0;
    DWORD arg[4] = {};
};

enum Probe : int {
    kSlotNow = 1,         // slot index's value now
    kSlotAfterEvent = 2,  // slot index's value when the LINE_NEWCALL event returned
    kCreateLineThread = 3,  // of the last TSPI_providerCreateLineDevice, and its arguments
    kCreateLineTempId = 4,
    kCreateLineDeviceId = 5,
};

typedef std::uintptr_t (*ProbeFn)(int what, int index);

// Numbers whose TSPI_lineMakeCall treats its request in the named way.
inline constexpr const char* kCompleteBeforeReturn = "ok";
inline constexpr const char* kCompleteTwice = "twice";
inline constexpr const char* kCompleteUnknownId = "unknown";
inline constexpr const char* kSynchronousAfterCompleting = "sync-completed";
inline constexpr const char* kReturnOtherId = "other-id";
inline constexpr const char* kNeverComplete = "pending";

}  // namespace fakeprovider
