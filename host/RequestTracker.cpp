#include "host/RequestTracker.h"

#include <cstdio>

namespace zavhost {

namespace {
std::string Hex(LONG value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}
}  // namespace

const char* RequestStateName(RequestState state) {
    switch (state) {
        case RequestState::InFlight: return "in flight";
        case RequestState::Pending: return "pending";
        case RequestState::Completed: return "completed";
        case RequestState::Refused: return "refused";
        case RequestState::Synchronous: return "synchronous";
        case RequestState::Lost: return "lost";
    }
    return "?";
}

DRV_REQUESTID RequestTracker::Issue(const char* function, HDRVLINE line, HDRVCALL call, HDRVPHONE phone) {
    std::lock_guard<std::mutex> lock(m_mutex);
    DRV_REQUESTID id = m_next++;
    // Request ids are positive LONGs: a provider returns them as its result.
    if (m_next >= 0x7FFFFFFFu) m_next = 1;
    RequestRecord& r = m_requests[id];
    r = RequestRecord{};
    r.id = id;
    r.function = function;
    r.line = line;
    r.call = call;
    r.phone = phone;
    return id;
}

void RequestTracker::Returned(DRV_REQUESTID id, LONG result) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_requests.find(id);
    if (it == m_requests.end()) return;
    RequestRecord& r = it->second;
    r.returned = result;
    if (result == static_cast<LONG>(id)) {
        r.state = r.completions ? RequestState::Completed : RequestState::Pending;
        if (r.state == RequestState::Pending) m_pending.insert(id);
        return;
    }
    if (result > 0) {
        m_faults.Add(FaultKind::WrongRequestIdReturned, id, r.function + " returned " + std::to_string(result));
        r.state = RequestState::Refused;
    } else {
        r.state = result == 0 ? RequestState::Synchronous : RequestState::Refused;
    }
    // A completion that arrived before the function returned was for a
    // request the provider then did not accept.
    if (r.completions)
        m_faults.Add(FaultKind::CompletedNotAccepted, id,
                     r.function + " completed it, then returned " + Hex(result));
}

void RequestTracker::Bind(DRV_REQUESTID id, HDRVCALL call, HDRVLINE line) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_requests.find(id);
    if (it == m_requests.end()) return;
    if (!it->second.call) it->second.call = call;
    if (!it->second.line) it->second.line = line;
}

void RequestTracker::Completed(DRV_REQUESTID id, LONG result) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_requests.find(id);
    if (it == m_requests.end()) {
        m_faults.Add(FaultKind::CompletedUnknownRequest, id, "result " + Hex(result));
        return;
    }
    RequestRecord& r = it->second;
    if (r.completions == 0) r.result = result;
    ++r.completions;
    switch (r.state) {
        case RequestState::InFlight:
            if (r.completions > 1) m_faults.Add(FaultKind::CompletedTwice, id, r.function + " before returning");
            break;
        case RequestState::Pending:
            r.state = RequestState::Completed;
            m_pending.erase(id);
            break;
        case RequestState::Completed:
            m_faults.Add(FaultKind::CompletedTwice, id, r.function + ", again with " + Hex(result));
            break;
        case RequestState::Refused:
        case RequestState::Synchronous:
            m_faults.Add(FaultKind::CompletedNotAccepted, id,
                         r.function + " returned " + Hex(r.returned) + ", then completed it");
            break;
        case RequestState::Lost:
            m_faults.Add(FaultKind::CompletedAfterClose, id, r.function + " with " + Hex(result));
            break;
    }
}

template <class Pred>
void RequestTracker::LoseWhere(Pred pred, const char* why) {
    std::lock_guard<std::mutex> lock(m_mutex);
    // Only the pending requests, not every request ever made: a long run
    // would otherwise spend its time here.
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        RequestRecord& r = m_requests[*it];
        if (!pred(r)) {
            ++it;
            continue;
        }
        r.state = RequestState::Lost;
        m_faults.Add(FaultKind::NeverCompleted, r.id, r.function + ", " + why);
        it = m_pending.erase(it);
    }
}

void RequestTracker::CallClosed(HDRVCALL call, DRV_REQUESTID lastBefore) {
    if (call)
        LoseWhere([call, lastBefore](const RequestRecord& r) { return r.call == call && r.id <= lastBefore; },
                  "its call was closed");
}

void RequestTracker::LineClosed(HDRVLINE line) {
    if (line) LoseWhere([line](const RequestRecord& r) { return r.line == line; }, "its line was closed");
}

void RequestTracker::PhoneClosed(HDRVPHONE phone) {
    if (phone) LoseWhere([phone](const RequestRecord& r) { return r.phone == phone; }, "its phone was closed");
}

void RequestTracker::ProviderShutDown() {
    LoseWhere([](const RequestRecord&) { return true; }, "the provider was shut down");
}

std::vector<RequestRecord> RequestTracker::All() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<RequestRecord> all;
    for (const auto& entry : m_requests) all.push_back(entry.second);
    return all;
}

DRV_REQUESTID RequestTracker::LastIssued() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests.empty() ? 0 : m_next - 1;
}

}  // namespace zavhost
