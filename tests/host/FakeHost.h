// A host that has loaded the fake provider, initialised it and opened its
// line, with helpers to steer the fake.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "host/FakeProviderControl.h"
#include "host/TapiHost.h"
#include "support/TempRegistry.h"

namespace hosttest {

inline constexpr DWORD kLineBase = 10;
// Long enough never to expire on a loaded machine; waits return as soon as
// their condition holds.
inline constexpr DWORD kWaitMs = 10000;

class FakeHost {
public:
    // Loads, starts and opens line kLineBase; check Ready().
    FakeHost() {
        m_ready = m_host.Load(zavtest::NativePath(ZAV_FAKE_TSP_PATH)) &&
                  (m_probe = m_host.Module().Get<fakeprovider::ProbeFn>("FakeTsp_Probe")) != nullptr &&
                  m_host.Start(kLineBase, 0) == 0 && m_host.LineOpen(kLineBase, &m_hdLine) == 0;
    }
    bool Ready() const { return m_ready; }

    zavhost::TapiHost& Host() { return m_host; }
    HDRVLINE Line() const { return m_hdLine; }

    LONG Command(DWORD command, DWORD a0 = 0, DWORD a1 = 0, DWORD a2 = 0) {
        fakeprovider::CommandBlock block;
        block.command = command;
        block.arg[0] = a0;
        block.arg[1] = a1;
        block.arg[2] = a2;
        return m_host.LineDevSpecific(m_hdLine, 0, nullptr, &block, sizeof block);
    }
    std::uintptr_t Probe(fakeprovider::Probe what, int index = 0) { return m_probe(what, index); }

    std::vector<zavhost::FaultKind> FaultKinds() const {
        std::vector<zavhost::FaultKind> kinds;
        for (const zavhost::HostFault& fault : m_host.Faults()) kinds.push_back(fault.kind);
        return kinds;
    }

private:
    zavhost::TapiHost m_host;
    fakeprovider::ProbeFn m_probe = nullptr;
    HDRVLINE m_hdLine = nullptr;
    bool m_ready = false;
};

inline auto IsMessage(DWORD msg) {
    return [msg](const zavhost::JournalEntry& e) { return e.kind == zavhost::EntryKind::LineEvent && e.msg == msg; };
}

inline auto IsKind(zavhost::EntryKind kind) {
    return [kind](const zavhost::JournalEntry& e) { return e.kind == kind; };
}

}  // namespace hosttest
