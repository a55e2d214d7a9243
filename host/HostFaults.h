// Things a provider did that the telephony service would not accept. The
// host records them instead of failing, so a test can assert the list is
// empty and print it when it is not.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "tapi/Tapi.h"

namespace zavhost {

enum class FaultKind {
    CompletedTwice,           // a request completed more than once
    CompletedUnknownRequest,  // a completion for an id the host never issued
    CompletedNotAccepted,     // completed although the function refused it or answered synchronously
    CompletedAfterClose,      // completed after its call or line was closed and it was reported lost
    NeverCompleted,           // still pending when its call or line closed or the provider shut down
    WrongRequestIdReturned,   // a positive result that is not the request's own id
    EventForUnknownLine,      // a line event with a handle the host never gave or already took back
    EventForUnknownCall,      // a call event with a call handle the host does not know
    EventForUnknownPhone,     // a phone event with a handle the host never gave or already took back
    WrongProviderHandle,      // LINE_CREATE or PHONE_CREATE with a provider handle not the host's
    NewCallWithoutSlot,       // LINE_NEWCALL without a place to write the call handle
    WroteBeyondTotalSize,     // a structure written past the dwTotalSize the host gave
};

const char* FaultKindName(FaultKind kind);

struct HostFault {
    FaultKind kind;
    DRV_REQUESTID requestId = 0;  // 0 when the fault is not about a request
    std::string detail;
};

std::string Describe(const HostFault& fault);
std::string Describe(const std::vector<HostFault>& faults);

class FaultLog {
public:
    void Add(FaultKind kind, DRV_REQUESTID requestId, std::string detail);
    std::vector<HostFault> All() const;

private:
    mutable std::mutex m_mutex;
    std::vector<HostFault> m_faults;
};

}  // namespace zavhost
