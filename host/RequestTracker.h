// The asynchronous request ids the host handed to the provider and what
// became of each: the provider must return the id and complete it exactly
// once, or refuse it and never complete it.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "host/HostFaults.h"
#include "tapi/Tapi.h"

namespace zavhost {

enum class RequestState {
    InFlight,     // the TSPI function has not returned yet
    Pending,      // accepted (the id returned), completion awaited
    Completed,    // accepted and completed
    Refused,      // a negative result, or a positive one not its own id
    Synchronous,  // 0 returned: done on return, no completion may follow
    Lost,         // still pending when its call, line or phone closed
};

const char* RequestStateName(RequestState state);

struct RequestRecord {
    DRV_REQUESTID id = 0;
    std::string function;
    HDRVLINE line = nullptr;
    HDRVCALL call = nullptr;
    HDRVPHONE phone = nullptr;
    RequestState state = RequestState::InFlight;
    LONG returned = 0;
    int completions = 0;
    LONG result = 0;  // of the first completion
};

class RequestTracker {
public:
    explicit RequestTracker(FaultLog& faults) : m_faults(faults) {}

    // A new id, never 0 and never reused.
    DRV_REQUESTID Issue(const char* function, HDRVLINE line, HDRVCALL call, HDRVPHONE phone);
    void Returned(DRV_REQUESTID id, LONG result);
    // The call the request turned out to be about (one the function created).
    void Bind(DRV_REQUESTID id, HDRVCALL call, HDRVLINE line);
    // From the completion callback, on any thread.
    void Completed(DRV_REQUESTID id, LONG result);

    // Every accepted request still pending on the closed object is a fault.
    // Requests issued up to `lastBefore` (LastIssued before the close): a
    // call the provider makes while the close runs may get the same handle.
    void CallClosed(HDRVCALL call, DRV_REQUESTID lastBefore);
    void LineClosed(HDRVLINE line);
    void PhoneClosed(HDRVPHONE phone);
    void ProviderShutDown();

    std::vector<RequestRecord> All() const;
    DRV_REQUESTID LastIssued() const;

private:
    template <class Pred>
    void LoseWhere(Pred pred, const char* why);

    FaultLog& m_faults;
    mutable std::mutex m_mutex;
    std::map<DRV_REQUESTID, RequestRecord> m_requests;
    std::set<DRV_REQUESTID> m_pending;
    DRV_REQUESTID m_next = 1;
};

}  // namespace zavhost
