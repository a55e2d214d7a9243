// Where TAPI writes its handle for a call the provider announces with
// LINE_NEWCALL. TAPI normally writes it during the event, but may write it
// later from a thread of its own, possibly after the provider gave up
// waiting and deleted the call. A slot therefore outlives its call: a
// released slot is handed out again only after a quarantine far longer
// than any late answer, so a late write lands in memory nobody else uses.
#pragma once

#include "tapi/Tapi.h"

namespace ZavNewCallSlots {

// A slot holding null. Never fails: it allocates when none is free.
HTAPICALL* Acquire();
// The slot goes into quarantine; null is ignored.
void Release(HTAPICALL* slot);
// How long a released slot waits before it is handed out again.
inline constexpr DWORD kQuarantineMs = 10000;

}  // namespace ZavNewCallSlots
