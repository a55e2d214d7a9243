// Events: manual-reset and auto-reset, waitable singly or two at once.
//
// The switch's endpoint component creates its message event in its own
// library and hands it to us, so an event must be an OS object that any
// library can use without sharing our code. On Windows it is an event
// HANDLE. Elsewhere a HANDLE of an event is an eventfd descriptor carried as
// (intptr_t)fd: setting it writes 1; an auto-reset wait polls and then
// consumes with a read; a manual-reset wait only polls. Events that this
// process did not create as manual-reset are waited on as auto-reset.
#pragma once

#include "platform/WinTypes.h"

namespace plat {

// Null on failure.
HANDLE MakeEvent(bool manualReset, bool initiallySet);
bool SetEvent(HANDLE event);
bool ResetEvent(HANDLE event);
void CloseEvent(HANDLE event);

// WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED. INFINITE waits for ever.
DWORD WaitForEvent(HANDLE event, DWORD timeoutMs);

// Waits until either event is set: WAIT_OBJECT_0 for `first`,
// WAIT_OBJECT_0 + 1 for `second` (the first when both are set; only the
// reported one is consumed), WAIT_TIMEOUT or WAIT_FAILED.
DWORD WaitForTwoEvents(HANDLE first, HANDLE second, DWORD timeoutMs);

}  // namespace plat
