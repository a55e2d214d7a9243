// Everything the provider did to the host through its callbacks, in the
// order the host saw it, with the thread and the time of each call. Any
// thread may append; tests wait on it with a predicate and a time-out.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "tapi/Tapi.h"

namespace zavhost {

enum class EntryKind {
    Completion,       // ASYNC_COMPLETION (requestId, result)
    LineEvent,        // LINEEVENT (htLine, htCall, msg, p1, p2, p3)
    PhoneEvent,       // PHONEEVENT (htPhone, msg, p1, p2, p3)
    NewCallAnswered,  // the host wrote a LINE_NEWCALL's handle after the event returned
    LineCreated,      // the host's TSPI_providerCreateLineDevice for a LINE_CREATE
    PhoneCreated,     // the host's TSPI_providerCreatePhoneDevice for a PHONE_CREATE
};

inline constexpr DWORD kUnknownDevice = 0xFFFFFFFFu;
inline constexpr std::size_t kNoCall = static_cast<std::size_t>(-1);

struct JournalEntry {
    std::uint64_t seq = 0;  // position, from 0, assigned on append
    EntryKind kind = EntryKind::LineEvent;
    DWORD threadId = 0;  // the thread that made the call
    DWORD tick = 0;      // plat::GetTickCount when it was recorded

    // What the provider passed.
    DRV_REQUESTID requestId = 0;
    LONG result = 0;
    HTAPILINE htLine = nullptr;
    HTAPIPHONE htPhone = nullptr;
    HTAPICALL htCall = nullptr;
    DWORD msg = 0;
    DWORD_PTR p1 = 0, p2 = 0, p3 = 0;

    // What the host made of it.
    DWORD deviceId = kUnknownDevice;  // of the line or phone the handle names
    std::size_t call = kNoCall;       // host's call index: htCall's, or the new one
    HTAPICALL assignedCall = nullptr; // LINE_NEWCALL: the handle given (now or later)
    DWORD delayMs = 0;                // NewCallAnswered: how late
    LONG hostResult = 0;              // Line/PhoneCreated: the provider's answer
    DWORD newDeviceId = 0;            // Line/PhoneCreated: the id offered
};

class Journal {
public:
    using Listener = std::function<void(const JournalEntry&)>;

    // Stamps the entry with its sequence number, the current thread and
    // tick, under the lock, so sequence and tick order agree.
    std::uint64_t Append(JournalEntry entry);

    std::vector<JournalEntry> Snapshot() const;
    std::size_t Size() const;

    // True once `done` holds for the whole journal; false when `timeoutMs`
    // passes first. `done` runs under the journal's lock: it must not touch
    // the journal or call into the host.
    bool WaitUntil(const std::function<bool(const std::vector<JournalEntry>&)>& done, DWORD timeoutMs) const;

    // The first entry at position `from` or later that matches.
    std::optional<JournalEntry> WaitFor(const std::function<bool(const JournalEntry&)>& match, DWORD timeoutMs,
                                        std::size_t from = 0) const;
    bool WaitForSize(std::size_t size, DWORD timeoutMs) const;

    // Called with each new entry, in journal order, under the journal's lock
    // (the same rules as for `done`). Empty to remove.
    void SetListener(Listener listener);

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<JournalEntry> m_entries;
    Listener m_listener;
};

}  // namespace zavhost
