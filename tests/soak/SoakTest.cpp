// Call cycles by the thousand across fifty extensions: several of the
// service's threads make, answer, hold, swap, transfer, drop and close
// calls at random, outside parties call in and hang up, lines close with
// calls up and open again. Then every call is ended and closed, and
//   - every request was completed exactly once (the host's audit),
//   - neither the provider nor the switch holds a call,
//   - every endpoint and message was released,
//   - resident memory stayed flat after warm-up.
// The run is cut into epochs, each with a freshly started service (the
// host's journal keeps every event, so one host for the whole run would
// only measure the journal).
//
//   ZAV_SOAK_CYCLES      calls to place in all (default 3000; 100000 for the long run)
//   ZAV_SOAK_EPOCHS      epochs to cut them into (default 6; the first two warm up)
//   ZAV_SOAK_REENTRANT   1: the threads call the provider at once, although it asks
//                        TAPI to serialise its functions (LINETSPIOPTION_NONREENTRANT)
//   ZAV_SOAK_TRANSFERS   0: no transfers (default 1)
//   ZAV_SOAK_SEED        the random seed (default: the time; printed)
//   ZAV_SOAK_LOG_DIR     the provider's install path: its trace goes to Logs/ there
//                        (default: no trace, as without an installation)
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "host/TapiHost.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "support/PhoneConfig.h"
#include "support/SimSwitch.h"
#include "support/TempRegistry.h"

namespace {

using zavhost::JournalEntry;
using Clock = std::chrono::steady_clock;

constexpr int kExtensions = 50;
constexpr int kWorkers = 4;
constexpr int kWarmUpEpochs = 2;
constexpr DWORD kLineBase = 0;
// A call waits this long at most for its next state while the run winds
// down; a call still not idle then is given up (closed as it is).
constexpr auto kStuckAfter = std::chrono::seconds(3);
constexpr auto kRetryAfter = std::chrono::milliseconds(500);

int EnvInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

std::string Extension(int i) { return std::to_string(301 + i); }

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// What the heap has handed out and not had back: unlike the resident size,
// blind to pages the allocator keeps for later.
long HeapInUseKiB() { return static_cast<long>(mallinfo2().uordblks / 1024); }

bool UnderSanitizer() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    return true;
#endif
#endif
    return false;
}

struct Event {
    std::uint64_t seq;
    DWORD msg;
    DWORD device;
    HTAPICALL ht;
    HDRVCALL hd;
    DWORD state;
};

struct Call {
    HDRVCALL hd = nullptr;
    int line = 0;
    DWORD state = 0;
    HTAPICALL transferOf = nullptr;  // a consultation call: the call it transfers
    bool dialled = false;
    DWORD finishedIn = 0;  // winding down: the state the finishing step was taken in
    Clock::time_point finishedAt{};
};

// What every thread shares: the service of the epoch and its lines.
struct Service {
    zavhost::TapiHost* host = nullptr;
    zavtest::SimSwitch* sim = nullptr;
    std::vector<HDRVLINE> lines;          // by line index; guarded by its owner
    std::vector<std::uint64_t> openedAt;  // journal size when the line was opened last
    std::mutex tspi;                      // TAPI's serialisation of a non-reentrant provider
    bool reentrant = false;
    bool transfers = true;
    std::atomic<int> toPlace{0};
    std::mutex statsMutex;
    std::map<std::string, int> stats;  // "operation result" -> count

    template <class F>
    LONG Call(const char* op, F f) {
        LONG r;
        if (reentrant) {
            r = f();
        } else {
            std::lock_guard<std::mutex> lock(tspi);
            r = f();
        }
        std::lock_guard<std::mutex> lock(statsMutex);
        char key[64];
        std::snprintf(key, sizeof key, "%-14s %s", op, r > 0 ? "accepted" : r == 0 ? "ok" : "");
        std::string k = key;
        if (r < 0) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(r));
            k += code;
        }
        ++stats[k];
        return r;
    }
};

class Worker {
public:
    Worker(Service& service, std::vector<int> lines, unsigned seed) : m_s(service), m_lines(std::move(lines)), m_rng(seed) {}

    void Post(const Event& e) {
        {
            std::lock_guard<std::mutex> lock(m_inboxMutex);
            m_inbox.push_back(e);
        }
        m_inboxChanged.notify_one();
    }

    void Run() {
        while (m_s.toPlace.load() > 0) {
            Drain();
            if (m_calls.size() < 2 * m_lines.size() && (m_calls.empty() || Chance(0.3))) {
                Start();
            } else if (!m_calls.empty()) {
                auto it = m_calls.begin();
                std::advance(it, Pick(m_calls.size()));
                Act(it->first, it->second);
            }
            if (Chance(0.01) && !m_outside.empty()) m_s.sim->ExternalHangUp(m_outside[Pick(m_outside.size())]);
        }
        WindDown();
    }

    std::vector<std::string> GivenUp() const { return m_givenUp; }

private:
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(m_rng) < p; }
    std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_rng); }
    zavhost::TapiHost& Host() { return *m_s.host; }

    // Takes in what TAPI heard since the last look; false when nothing came
    // within `wait`.
    bool Drain(std::chrono::milliseconds wait = std::chrono::milliseconds(0)) {
        std::deque<Event> events;
        {
            std::unique_lock<std::mutex> lock(m_inboxMutex);
            if (wait.count() > 0) m_inboxChanged.wait_for(lock, wait, [&] { return !m_inbox.empty(); });
            events.swap(m_inbox);
        }
        for (const Event& e : events) {
            const int line = static_cast<int>(e.device - kLineBase);
            if (e.seq < m_s.openedAt[line]) continue;  // about a line closed since
            if (e.msg == LINE_NEWCALL) {
                m_calls[e.ht] = Call{e.hd, line, LINECALLSTATE_OFFERING};
            } else if (auto it = m_calls.find(e.ht); it != m_calls.end()) {
                it->second.state = e.state;
            }
        }
        return !events.empty();
    }

    void Start() {
        if (m_s.toPlace.fetch_sub(1) <= 0) return;
        const int line = m_lines[Pick(m_lines.size())];
        if (Chance(0.2)) {
            const int32_t id = m_s.sim->ExternalCall(Extension(line).c_str(), "0612345678", "Soak", 0);
            if (id > 0) m_outside.push_back(id);
            if (id > 0) m_everOutside.push_back(id);
            if (m_outside.size() > 64) m_outside.erase(m_outside.begin());
            return;
        }
        // A telephone talks on one call at a time (dwMaxNumActiveCalls 1):
        // as applications do, no call is made while another is active.
        if (Talking(line, nullptr)) {
            m_s.toPlace.fetch_add(1);
            return;
        }
        const std::string number = Chance(0.15) ? "0698765432" : Extension(static_cast<int>(Pick(kExtensions)));
        HDRVCALL hd = nullptr;
        HTAPICALL ht = nullptr;
        const LONG r = m_s.Call("make", [&] { return Host().LineMakeCall(m_s.lines[line], number.c_str(), &hd, &ht); });
        if (r > 0 && hd) m_calls[ht] = Call{hd, line, 0};
    }

    // Whether another call of the line is active: talking, or on its way.
    bool Talking(int line, HTAPICALL self) const {
        for (const auto& [ht, c] : m_calls) {
            if (ht == self || c.line != line) continue;
            switch (c.state) {
                case 0:
                case LINECALLSTATE_DIALTONE:
                case LINECALLSTATE_DIALING:
                case LINECALLSTATE_PROCEEDING:
                case LINECALLSTATE_RINGBACK:
                case LINECALLSTATE_BUSY:
                case LINECALLSTATE_CONNECTED:
                    return true;
                default:
                    break;
            }
        }
        return false;
    }

    // Another call of the same line in `state`, if any.
    Call* Other(HTAPICALL self, int line, DWORD state) {
        for (auto& [ht, c] : m_calls)
            if (ht != self && c.line == line && c.state == state) return &c;
        return nullptr;
    }

    void Act(HTAPICALL ht, Call& c) {
        auto& tspi = Host().Tspi();
        switch (c.state) {
            case LINECALLSTATE_OFFERING:
            case LINECALLSTATE_ACCEPTED:
                if (Talking(c.line, ht)) {
                    if (Chance(0.1)) m_s.Call("drop offered", [&] { return Host().LineDrop(c.hd); });
                } else if (Chance(0.9))
                    m_s.Call("answer", [&] { return Host().LineAnswer(c.hd); });
                else
                    m_s.Call("drop offered", [&] { return Host().LineDrop(c.hd); });
                return;
            case LINECALLSTATE_CONNECTED: {
                const double r = std::uniform_real_distribution<double>(0, 1)(m_rng);
                if (r < 0.3) {
                    m_s.Call("hold", [&] { return tspi.lineHold(c.hd); });
                } else if (r < 0.45) {
                    if (Call* held = Other(ht, c.line, LINECALLSTATE_ONHOLD))
                        m_s.Call("swap", [&] { return tspi.lineSwapHold(c.hd, held->hd); });
                } else if (r < 0.6 && !c.transferOf && m_s.transfers) {
                    HDRVCALL consult = nullptr;
                    HTAPICALL consultHt = Host().NewTapiCall(m_s.lines[c.line]);
                    const LONG setup = m_s.Call("setup transfer", [&] {
                        return tspi.lineSetupTransfer(c.hd, consultHt, &consult, static_cast<LPLINECALLPARAMS>(nullptr));
                    });
                    if (setup > 0 && consult) m_calls[consultHt] = Call{consult, c.line, 0, ht};
                } else if (r < 0.61) {
                    CloseLine(c.line);
                } else {
                    m_s.Call("drop", [&] { return Host().LineDrop(c.hd); });
                }
                return;
            }
            case LINECALLSTATE_ONHOLD:
                if (Call* active = Other(ht, c.line, LINECALLSTATE_CONNECTED); active && Chance(0.5))
                    m_s.Call("swap", [&] { return tspi.lineSwapHold(active->hd, c.hd); });
                else if (!Talking(c.line, ht))
                    m_s.Call("unhold", [&] { return tspi.lineUnhold(c.hd); });
                return;
            case LINECALLSTATE_DIALTONE:
                if (c.transferOf && !c.dialled) {
                    const std::u16string number = plat::AnsiToWide(Extension(static_cast<int>(Pick(kExtensions))).c_str());
                    c.dialled = true;
                    m_s.Call("dial", [&] { return tspi.lineDial(c.hd, plat::WidePtr(number), DWORD{0}); });
                } else {
                    m_s.Call("drop", [&] { return Host().LineDrop(c.hd); });
                }
                return;
            case LINECALLSTATE_RINGBACK:
            case LINECALLSTATE_PROCEEDING:
            case LINECALLSTATE_DIALING:
                if (c.transferOf && Chance(0.5)) {
                    auto first = m_calls.find(c.transferOf);
                    if (first != m_calls.end() && first->second.state == LINECALLSTATE_ONHOLDPENDTRANSFER)
                        m_s.Call("complete xfer", [&] {
                            return tspi.lineCompleteTransfer(first->second.hd, c.hd, static_cast<HTAPICALL>(nullptr),
                                                             static_cast<LPHDRVCALL>(nullptr),
                                                             DWORD{LINETRANSFERMODE_TRANSFER});
                        });
                } else if (Chance(0.2)) {
                    m_s.Call("drop", [&] { return Host().LineDrop(c.hd); });
                }
                return;
            case LINECALLSTATE_ONHOLDPENDTRANSFER:
                // The consultation call moves it on; without one it is
                // taken back.
                if (!Consulting(ht) && !Talking(c.line, ht)) m_s.Call("unhold", [&] { return tspi.lineUnhold(c.hd); });
                return;
            case LINECALLSTATE_IDLE:
                Close(ht);
                return;
            case 0:
                ForgetIfRefused(ht);
                return;
            default:
                m_s.Call("drop", [&] { return Host().LineDrop(c.hd); });
                return;
        }
    }

    bool Consulting(HTAPICALL first) const {
        for (const auto& [ht, c] : m_calls)
            if (c.transferOf == first) return true;
        return false;
    }

    // A call whose creating request failed later is forgotten by TAPI; it
    // will hear nothing more.
    bool ForgetIfRefused(HTAPICALL ht) {
        auto view = Host().CallByTapi(ht);
        if (view && !view->closed) return false;
        m_calls.erase(ht);
        return true;
    }

    void Close(HTAPICALL ht) {
        const HDRVCALL hd = m_calls[ht].hd;
        m_s.Call("close call", [&] { return Host().LineCloseCall(hd); });
        m_calls.erase(ht);
    }

    // TAPI closes a line with its calls up (the last application closing
    // it) and opens it again.
    void CloseLine(int line) {
        m_s.Call("close line", [&] { return Host().LineClose(m_s.lines[line]); });
        for (auto it = m_calls.begin(); it != m_calls.end();) it = it->second.line == line ? m_calls.erase(it) : ++it;
        m_s.openedAt[line] = Host().GetJournal().Size();
        m_s.Call("open line", [&] { return Host().LineOpen(kLineBase + line, &m_s.lines[line]); });
    }

    // Ends every call still up: one finishing step per state it reaches.
    // Then the parties outside hang up: the provider drops a call offered
    // on the SAL of an ended call TAPI has not closed yet (it takes it for
    // news of that call), and such a call rings until its caller gives up.
    void WindDown() {
        EndCalls();
        for (int32_t id : m_everOutside) m_s.sim->ExternalHangUp(id);
    }

    void EndCalls() {
        auto lastProgress = Clock::now();
        while (!m_calls.empty()) {
            if (Drain(std::chrono::milliseconds(20))) lastProgress = Clock::now();
            std::vector<HTAPICALL> keys;
            for (auto& [ht, c] : m_calls) keys.push_back(ht);
            for (HTAPICALL ht : keys) {
                auto it = m_calls.find(ht);
                if (it == m_calls.end()) continue;
                Call& c = it->second;
                if (c.state == LINECALLSTATE_IDLE) {
                    Close(ht);
                    lastProgress = Clock::now();
                    continue;
                }
                if (c.state == 0 && ForgetIfRefused(ht)) continue;
                // One finishing step per state, taken again only when the
                // first did not move the call on (it was refused meanwhile).
                if (c.state == 0 || (c.finishedIn == c.state && Clock::now() - c.finishedAt < kRetryAfter)) continue;
                if (c.state == LINECALLSTATE_ONHOLDPENDTRANSFER && Consulting(ht)) continue;
                // Held calls come back one at a time, once nothing else talks.
                if ((c.state == LINECALLSTATE_ONHOLD || c.state == LINECALLSTATE_ONHOLDPENDTRANSFER) &&
                    Talking(c.line, ht))
                    continue;
                c.finishedIn = c.state;
                c.finishedAt = Clock::now();
                if (c.state == LINECALLSTATE_ONHOLD || c.state == LINECALLSTATE_ONHOLDPENDTRANSFER)
                    m_s.Call("unhold", [&] { return Host().Tspi().lineUnhold(c.hd); });
                else if (c.state == LINECALLSTATE_OFFERING || c.state == LINECALLSTATE_ACCEPTED)
                    m_s.Call("answer", [&] { return Host().LineAnswer(c.hd); });  // an offered call cannot be dropped
                else
                    m_s.Call("drop", [&] { return Host().LineDrop(c.hd); });
            }
            if (Clock::now() - lastProgress > kStuckAfter) {
                for (auto& [ht, c] : m_calls) {
                    char text[96];
                    std::snprintf(text, sizeof text, "call 0x%08X on line %d in state 0x%X",
                                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(c.hd)), c.line,
                                  static_cast<unsigned>(c.state));
                    m_givenUp.push_back(text);
                    m_s.Call("close call", [&] { return Host().LineCloseCall(c.hd); });
                }
                m_calls.clear();
            }
        }
    }

    Service& m_s;
    std::vector<int> m_lines;
    std::mt19937 m_rng;
    std::map<HTAPICALL, Call> m_calls;
    std::vector<int32_t> m_outside;
    std::vector<int32_t> m_everOutside;
    std::vector<std::string> m_givenUp;
    std::mutex m_inboxMutex;
    std::condition_variable m_inboxChanged;
    std::deque<Event> m_inbox;
};

class Soak : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.Ok()) << m_sim.Error();
        ASSERT_EQ(m_sim.Register(), S_OK);
        m_sim.Reset();
        std::vector<std::string> extensions;
        for (int i = 0; i < kExtensions; ++i) extensions.push_back(Extension(i));
        zavtest::ConfigurePhones(extensions, -1, std::vector<std::string>(kExtensions, "pw"));
        for (const std::string& ext : extensions) {
            ZavSimAccount a{ext.c_str(), "pw", 1, 4001, 1, "Soak"};
            ASSERT_EQ(m_sim.AddAccount(&a), 0);
        }
        ASSERT_EQ(m_sim.SetCallModel(1), 0);
        if (const char* dir = std::getenv("ZAV_SOAK_LOG_DIR")) {
            HKEY key;
            ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, zavtest::kProviderKey, KEY_ALL_ACCESS, &key, nullptr), 0);
            plat::SetRegString(key, "InstallPath", dir);
            plat::CloseRegKey(key);
        }
    }

    // One epoch: a service started, `cycles` calls placed, everything
    // ended and checked, the service gone.
    void RunEpoch(int epoch, int cycles, unsigned seed, bool reentrant) {
        zavhost::TapiHost host;
        ASSERT_TRUE(host.Load(zavtest::NativePath(ZAV_PROVIDER_PATH))) << host.LastError();
        ASSERT_EQ(host.Start(kLineBase, 0), 0);
        ASSERT_EQ(host.NumLines(), static_cast<DWORD>(kExtensions));
        Service s;
        s.host = &host;
        s.sim = &m_sim;
        s.reentrant = reentrant;
        s.transfers = EnvInt("ZAV_SOAK_TRANSFERS", 1) != 0;
        s.toPlace = cycles;
        s.lines.resize(kExtensions);
        s.openedAt.assign(kExtensions, 0);
        for (int i = 0; i < kExtensions; ++i) ASSERT_EQ(host.LineOpen(kLineBase + i, &s.lines[i]), 0) << i;

        std::vector<std::unique_ptr<Worker>> workers;
        std::vector<int> owner(kExtensions);
        for (int w = 0; w < kWorkers; ++w) {
            std::vector<int> lines;
            for (int i = w; i < kExtensions; i += kWorkers) {
                lines.push_back(i);
                owner[i] = w;
            }
            workers.push_back(std::make_unique<Worker>(s, lines, seed + 7919u * (epoch * kWorkers + w)));
        }
        host.GetJournal().SetListener([&](const JournalEntry& e) {
            if (e.kind != zavhost::EntryKind::LineEvent || e.deviceId < kLineBase ||
                e.deviceId >= kLineBase + kExtensions)
                return;
            if (e.msg == LINE_NEWCALL || e.msg == LINE_CALLSTATE)
                workers[owner[e.deviceId - kLineBase]]->Post(Event{
                    e.seq, e.msg, e.deviceId, e.msg == LINE_NEWCALL ? e.assignedCall : e.htCall,
                    reinterpret_cast<HDRVCALL>(e.p1), static_cast<DWORD>(e.p1)});
        });
        std::vector<std::thread> threads;
        for (auto& w : workers) threads.emplace_back([&w] { w->Run(); });
        for (std::thread& t : threads) t.join();
        host.GetJournal().SetListener({});

        // A call the application cannot end is given up: the switch and the
        // provider can see a call differently for a moment (a transfer
        // set-up names no leg, so the switch takes the leg it has talking,
        // which a hold on its way may have changed), and an application
        // acting in that moment can leave a call neither will move. Such
        // calls must stay rare; each is printed.
        for (auto& w : workers)
            for (const std::string& call : w->GivenUp()) {
                std::printf("soak: epoch %d: gave up %s\n", epoch, call.c_str());
                ++m_givenUp;
            }
        for (HDRVLINE line : s.lines) EXPECT_EQ(host.LineClose(line), 0);
        // Closing the lines ends what was left (the provider's count is no
        // judge before: a transfer set-up the switch refused without a leg
        // keeps its consultation call, counted as active, until then).
        for (int i = 0; i < kExtensions; ++i)
            EXPECT_EQ(m_sim.LegCount(Extension(i).c_str()), 0) << "epoch " << epoch << "\n" << m_sim.DescribeCalls();
        EXPECT_EQ(host.ProviderShutdown(), 0);
        EXPECT_TRUE(host.Faults().empty()) << "epoch " << epoch << "\n" << host.FaultReport();
        int unfinished = 0;
        for (const zavhost::RequestRecord& r : host.Requests())
            if (r.state != zavhost::RequestState::Completed && r.state != zavhost::RequestState::Refused &&
                r.state != zavhost::RequestState::Synchronous && ++unfinished <= 5)
                ADD_FAILURE() << "epoch " << epoch << ": " << r.function << " request " << r.id << " left "
                              << zavhost::RequestStateName(r.state);
        EXPECT_EQ(m_sim.EndPointCount(nullptr), 0);
        EXPECT_EQ(m_sim.LiveObjects(), 0);
        m_requests += host.Requests().size();
        m_sim.ClearLog(nullptr);  // the switch logs every command; that is not the provider's memory
        for (auto& [k, v] : s.stats) m_stats[k] += v;
    }

    zavtest::TempRegistry m_registry;
    zavtest::SimSwitch m_sim;
    std::size_t m_requests = 0;
    int m_givenUp = 0;
    std::map<std::string, int> m_stats;
};

TEST_F(Soak, CallCyclesAcrossFiftyExtensionsLeaveNothingBehind) {
    const int cycles = EnvInt("ZAV_SOAK_CYCLES", 3000);
    const int epochs = std::max(EnvInt("ZAV_SOAK_EPOCHS", 6), kWarmUpEpochs + 1);
    const bool reentrant = EnvInt("ZAV_SOAK_REENTRANT", 0) != 0;
    const unsigned seed = static_cast<unsigned>(EnvInt("ZAV_SOAK_SEED", static_cast<int>(std::time(nullptr))));
    std::printf("soak: %d cycles in %d epochs, %s, %s, seed %u\n", cycles, epochs,
                reentrant ? "reentrant" : "serialised",
                EnvInt("ZAV_SOAK_TRANSFERS", 1) ? "with transfers" : "no transfers", seed);
    // One arena: with one per thread, the service's threads coming and going
    // every epoch spread the same memory over more and more arenas, and the
    // resident size would measure that spread, not what is kept.
    mallopt(M_ARENA_MAX, 1);
    const auto start = Clock::now();
    std::vector<long> resident, heap;
    for (int epoch = 0; epoch < epochs; ++epoch) {
        RunEpoch(epoch, cycles / epochs, seed, reentrant);
        if (HasFatalFailure()) return;
        malloc_trim(0);  // pages the allocator merely keeps are not the provider's
        resident.push_back(ResidentKiB());
        heap.push_back(HeapInUseKiB());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("soak: %.1f s, %.0f cycles/s, %zu requests, %d calls given up\n", seconds, cycles / seconds, m_requests,
                m_givenUp);
    EXPECT_LE(m_givenUp, std::max(1, cycles / 100)) << "calls the application could not end";
    std::printf("soak: resident KiB after each epoch:");
    for (long kib : resident) std::printf(" %ld", kib);
    std::printf("\nsoak: heap in use KiB after each epoch:");
    for (long kib : heap) std::printf(" %ld", kib);
    std::printf("\n");
    for (auto& [k, v] : m_stats) std::printf("soak:   %-40s %d\n", k.c_str(), v);
    if (UnderSanitizer()) return;  // their shadow memory and quarantine grow by design
    const long settled = resident[kWarmUpEpochs - 1];
    const long peak = *std::max_element(resident.begin() + kWarmUpEpochs, resident.end());
    EXPECT_LE(peak - settled, 1024) << "resident memory grew after warm-up";
}

}  // namespace
