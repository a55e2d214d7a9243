#include "platform/Event.h"

namespace plat {

HANDLE MakeEvent(bool manualReset, bool initiallySet) {
    return ::CreateEventW(nullptr, manualReset ? TRUE : FALSE, initiallySet ? TRUE : FALSE, nullptr);
}

bool SetEvent(HANDLE event) { return event && ::SetEvent(event) != 0; }

bool ResetEvent(HANDLE event) { return event && ::ResetEvent(event) != 0; }

void CloseEvent(HANDLE event) {
    if (event) ::CloseHandle(event);
}

DWORD WaitForEvent(HANDLE event, DWORD timeoutMs) {
    if (!event) return WAIT_FAILED;
    return ::WaitForSingleObject(event, timeoutMs);
}

DWORD WaitForTwoEvents(HANDLE first, HANDLE second, DWORD timeoutMs) {
    if (!first || !second) return WAIT_FAILED;
    HANDLE both[2] = {first, second};
    return ::WaitForMultipleObjects(2, both, FALSE, timeoutMs);
}

}  // namespace plat
