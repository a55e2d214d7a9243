#include "host/HostFaults.h"

namespace zavhost {

const char* FaultKindName(FaultKind kind) {
    switch (kind) {
        case FaultKind::CompletedTwice: return "completed twice";
        case FaultKind::CompletedUnknownRequest: return "completed an unknown request";
        case FaultKind::CompletedNotAccepted: return "completed a request not accepted";
        case FaultKind::CompletedAfterClose: return "completed after close";
        case FaultKind::NeverCompleted: return "never completed";
        case FaultKind::WrongRequestIdReturned: return "returned another request id";
        case FaultKind::EventForUnknownLine: return "event for an unknown line";
        case FaultKind::EventForUnknownCall: return "event for an unknown call";
        case FaultKind::EventForUnknownPhone: return "event for an unknown phone";
        case FaultKind::WrongProviderHandle: return "wrong provider handle";
        case FaultKind::NewCallWithoutSlot: return "LINE_NEWCALL without a handle slot";
        case FaultKind::WroteBeyondTotalSize: return "wrote beyond dwTotalSize";
    }
    return "?";
}

std::string Describe(const HostFault& fault) {
    std::string text = FaultKindName(fault.kind);
    if (fault.requestId) text += " (request " + std::to_string(fault.requestId) + ")";
    if (!fault.detail.empty()) text += ": " + fault.detail;
    return text;
}

std::string Describe(const std::vector<HostFault>& faults) {
    std::string text;
    for (const HostFault& fault : faults) text += Describe(fault) + "\n";
    return text;
}

void FaultLog::Add(FaultKind kind, DRV_REQUESTID requestId, std::string detail) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.push_back(HostFault{kind, requestId, std::move(detail)});
}

std::vector<HostFault> FaultLog::All() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_faults;
}

}  // namespace zavhost
