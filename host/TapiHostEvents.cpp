// What the host does when the provider calls it back.
#include <atomic>

#include "host/CurrentHost.h"
#include "host/Decode.h"
#include "host/HandleCodec.h"
#include "host/TapiHost.h"
#include "platform/Event.h"
#include "platform/Thread.h"

namespace zavhost {

namespace {

// Messages about one call: they must name a call the host knows.
bool IsCallMessage(DWORD msg) {
    switch (msg) {
        case LINE_CALLSTATE:
        case LINE_CALLINFO:
        case LINE_GENERATE:
        case LINE_GATHERDIGITS:
        case LINE_MONITORDIGITS:
        case LINE_MONITORMEDIA:
        case LINE_MONITORTONE:
        case LINE_CALLDEVSPECIFIC:
        case LINE_CALLDEVSPECIFICFEATURE: return true;
        default: return false;
    }
}

// The provider may poll its variable from another thread while the host
// writes it, so both sides go through an atomic access.
void WriteCallHandle(HTAPICALL* slot, HTAPICALL value) { std::atomic_ref<HTAPICALL>(*slot).store(value); }

}  // namespace

void CALLBACK TapiHost::CompletionProc(DRV_REQUESTID requestId, LONG result) {
    current_host::Use use;
    if (use.Host()) use.Host()->OnCompletion(requestId, result);
}

void CALLBACK TapiHost::LineEventProc(HTAPILINE htLine, HTAPICALL htCall, DWORD msg, DWORD_PTR p1, DWORD_PTR p2,
                                      DWORD_PTR p3) {
    current_host::Use use;
    if (use.Host()) use.Host()->OnLineEvent(htLine, htCall, msg, p1, p2, p3);
}

void CALLBACK TapiHost::PhoneEventProc(HTAPIPHONE htPhone, DWORD msg, DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3) {
    current_host::Use use;
    if (use.Host()) use.Host()->OnPhoneEvent(htPhone, msg, p1, p2, p3);
}

void TapiHost::OnCompletion(DRV_REQUESTID requestId, LONG result) {
    // Faults first: a test that sees the entry must also see what it meant.
    m_requests.Completed(requestId, result);
    {
        // TAPI forgets the calls of a request that fails: their handles are
        // no longer the application's, and nobody closes them.
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_callsOfRequest.find(requestId);
        if (it != m_callsOfRequest.end()) {
            if (result != 0)
                for (std::size_t index : it->second) {
                    m_calls[index].closed = true;
                    m_calls[index].failedRequest = requestId;
                }
            m_callsOfRequest.erase(it);
        }
        if (result != 0) m_failedRequests.insert(requestId);
    }
    JournalEntry entry;
    entry.kind = EntryKind::Completion;
    entry.requestId = requestId;
    entry.result = result;
    m_journal.Append(entry);
}

void TapiHost::OnLineEvent(HTAPILINE htLine, HTAPICALL htCall, DWORD msg, DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3) {
    JournalEntry entry;
    entry.kind = EntryKind::LineEvent;
    entry.htLine = htLine;
    entry.htCall = htCall;
    entry.msg = msg;
    entry.p1 = p1;
    entry.p2 = p2;
    entry.p3 = p3;

    if (msg == LINE_CREATE) {
        OnLineCreate(entry);
        return;
    }

    std::size_t line = kNoCall;
    bool lineKnown = false, callKnown = false;
    std::string callFate = "never issued";
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::size_t index;
        if (DecodeHandle(htLine, kLineTag, &index) && index < m_lines.size()) {
            entry.deviceId = m_lines[index].deviceId;
            lineKnown = m_lines[index].state != DeviceState::Closed;
            line = index;
        }
        if (htCall && DecodeHandle(htCall, kCallTag, &index) && index < m_calls.size()) {
            entry.call = index;
            callKnown = !m_calls[index].closed;
            const DRV_REQUESTID failed = m_calls[index].failedRequest;
            callFate = (failed ? "its request " + std::to_string(failed) + " failed" : std::string("closed")) +
                       ", hdCall " + Hex(reinterpret_cast<DWORD_PTR>(m_calls[index].hd));
        }
    }
    if (!lineKnown)
        m_faults.Add(FaultKind::EventForUnknownLine, 0,
                     std::string(MessageName(msg)) + " htLine " + Hex(reinterpret_cast<DWORD_PTR>(htLine)));
    if (IsCallMessage(msg) && !callKnown)
        m_faults.Add(FaultKind::EventForUnknownCall, 0,
                     std::string(MessageName(msg)) + " htCall " + Hex(reinterpret_cast<DWORD_PTR>(htCall)) + " (" +
                         callFate + ")");

    if (msg == LINE_NEWCALL) {
        OnNewCall(entry, lineKnown ? line : kNoCall);
        return;
    }
    m_journal.Append(entry);
}

void TapiHost::OnNewCall(JournalEntry& entry, std::size_t line) {
    HTAPICALL* slot = reinterpret_cast<HTAPICALL*>(entry.p2);
    if (!slot) {
        m_faults.Add(FaultKind::NewCallWithoutSlot, 0, "hdCall " + Hex(entry.p1));
        m_journal.Append(entry);
        return;
    }
    NewCallAnswer mode;
    DWORD delayMs;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        mode = m_newCallAnswer;
        delayMs = m_newCallDelayMs;
        if (mode != NewCallAnswer::Never) {
            entry.assignedCall = AddCall(reinterpret_cast<HDRVCALL>(entry.p1), line, CallOrigin::NewCall,
                                         mode == NewCallAnswer::Immediately);
            entry.call = m_calls.size() - 1;
        }
    }
    if (mode == NewCallAnswer::Immediately) WriteCallHandle(slot, entry.assignedCall);
    m_journal.Append(entry);
    if (mode != NewCallAnswer::Late) return;

    auto late = std::make_unique<LateAnswer>();
    late->host = this;
    late->slot = slot;
    late->entry = entry;
    late->entry.kind = EntryKind::NewCallAnswered;
    late->entry.delayMs = delayMs;
    LateAnswer* raw = late.get();
    std::lock_guard<std::mutex> lock(m_lateMutex);
    raw->thread = plat::StartThread(&TapiHost::LateAnswerThread, raw, 0, nullptr);
    if (raw->thread) m_lateAnswers.push_back(std::move(late));
}

DWORD TapiHost::LateAnswerThread(void* arg) {
    LateAnswer* late = static_cast<LateAnswer*>(arg);
    TapiHost* host = late->host;
    // The stop event ends the wait early when the host goes away; then the
    // provider's variable is not written.
    if (plat::WaitForEvent(host->m_stopLate, late->entry.delayMs) != WAIT_TIMEOUT) return 0;
    WriteCallHandle(late->slot, late->entry.assignedCall);
    {
        std::lock_guard<std::mutex> lock(host->m_mutex);
        if (late->entry.call < host->m_calls.size()) host->m_calls[late->entry.call].delivered = true;
    }
    host->m_journal.Append(late->entry);
    return 0;
}

void TapiHost::StopLateAnswers() {
    if (m_stopLate) plat::SetEvent(m_stopLate);
    std::vector<std::unique_ptr<LateAnswer>> answers;
    {
        std::lock_guard<std::mutex> lock(m_lateMutex);
        answers.swap(m_lateAnswers);
    }
    for (auto& late : answers) {
        plat::WaitForThread(late->thread, INFINITE);
        plat::CloseThread(late->thread);
    }
}

void TapiHost::OnLineCreate(JournalEntry& entry) {
    if (entry.p1 != reinterpret_cast<DWORD_PTR>(m_hProvider))
        m_faults.Add(FaultKind::WrongProviderHandle, 0, "LINE_CREATE with " + Hex(entry.p1));
    m_journal.Append(entry);

    // TAPI answers with the next free device id; here on the event's own
    // thread, so a provider that holds a lock while announcing shows it.
    DWORD deviceId;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        deviceId = m_lineBase + m_numLines;
    }
    LONG result = m_caller.providerCreateLineDevice(entry.p2, deviceId);
    if (result == 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_numLines;
    }
    JournalEntry created = entry;
    created.kind = EntryKind::LineCreated;
    created.newDeviceId = deviceId;
    created.hostResult = result;
    m_journal.Append(created);
}

void TapiHost::OnPhoneCreate(JournalEntry& entry) {
    if (entry.p1 != reinterpret_cast<DWORD_PTR>(m_hProvider))
        m_faults.Add(FaultKind::WrongProviderHandle, 0, "PHONE_CREATE with " + Hex(entry.p1));
    m_journal.Append(entry);
    DWORD deviceId;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        deviceId = m_phoneBase + m_numPhones;
    }
    LONG result = m_caller.providerCreatePhoneDevice(entry.p2, deviceId);
    if (result == 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_numPhones;
    }
    JournalEntry created = entry;
    created.kind = EntryKind::PhoneCreated;
    created.newDeviceId = deviceId;
    created.hostResult = result;
    m_journal.Append(created);
}

void TapiHost::OnPhoneEvent(HTAPIPHONE htPhone, DWORD msg, DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3) {
    JournalEntry entry;
    entry.kind = EntryKind::PhoneEvent;
    entry.htPhone = htPhone;
    entry.msg = msg;
    entry.p1 = p1;
    entry.p2 = p2;
    entry.p3 = p3;
    if (msg == PHONE_CREATE) {
        OnPhoneCreate(entry);
        return;
    }
    bool known = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::size_t index;
        if (DecodeHandle(htPhone, kPhoneTag, &index) && index < m_phones.size()) {
            entry.deviceId = m_phones[index].deviceId;
            known = m_phones[index].state != DeviceState::Closed;
        }
    }
    if (!known)
        m_faults.Add(FaultKind::EventForUnknownPhone, 0,
                     std::string(MessageName(msg)) + " htPhone " + Hex(reinterpret_cast<DWORD_PTR>(htPhone)));
    m_journal.Append(entry);
}

}  // namespace zavhost
