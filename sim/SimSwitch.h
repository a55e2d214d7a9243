// The one simulated switch of the process, shared by every endpoint the
// library creates. Endpoints forward their calls here by port number; the
// control functions reach it directly. One lock serialises everything but
// the command log, which has its own so that waiting for a line blocks
// nobody else. The call model runs under the same lock, and what it says is
// queued before the lock is released, so every leg hears a call's events in
// the order they happened.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "SimAccounts.h"
#include "SimCallModel.h"
#include "SimCommandLog.h"
#include "SimMessageData.h"
#include "SimPort.h"
#include "ZavSimControl.h"
#include "zav/EndPoint.h"

namespace zavsim {

class SimSwitch {
public:
    static SimSwitch& Instance();
    ~SimSwitch();

    // Endpoint side.
    uint64_t OpenPort();
    void ClosePort(uint64_t port);
    void Log(uint64_t port, const std::string& line);
    // Logs a call-control command and, while the call model is on and the
    // endpoint is registered, applies it for the endpoint's extension.
    using CallCommand = std::function<HRESULT(SimCallModel&, const std::string& extension)>;
    HRESULT Command(uint64_t port, const std::string& line, const CallCommand& apply);
    HRESULT Connect(uint64_t port, HANDLE* event);
    void Disconnect(uint64_t port);
    HRESULT Register(uint64_t port, const std::string& extension, const std::string& password);
    HRESULT Unregister(uint64_t port);
    HRESULT Retrieve(uint64_t port, IMsgInt** message);

    // Control side.
    void PutAccount(const SimAccount& account);
    void Reset();
    bool Inject(const std::string& extension, SimMessageData data);
    bool InjectPhoneQueryReply(const std::string& extension, const char* ownerName);
    void SetFaults(const std::string& extension, const ZavSimFaults* faults);
    void SetSignalMode(int mode);
    int CountEndPoints(const char* extension, bool connectedOnly);
    int CountPending(const char* extension);
    // Switching the call model off forgets every call.
    void SetCallModel(bool on);
    // The operation's result, or -1 while the call model is off.
    int Calls(const std::function<int(SimCallModel&)>& operation);
    // A recall's call id, or -1; with the call model off, its message alone.
    int32_t Recall(const std::string& extension, LONG kind, LONG sal, const std::string& number,
                   const std::string& name);
    SimCommandLog& CommandLog() { return m_log; }

private:
    SimSwitch() = default;
    ZavSimFaults FaultsLocked(const SimPort& port, const std::string& extension) const;
    SimPort* FindLocked(uint64_t port);
    SimPort* NewestConnectedLocked(const std::string& extension);
    SimPort* NewestRegisteredLocked(const std::string& extension);
    void LogLocked(SimPort& port, const std::string& line);
    void RunCallsLocked(const std::function<void()>& operation);
    void LeftLocked(const std::string& extension);
    void QueueLocked(SimPort& port, SimMessageData data);
    void BindLocked(SimPort& port, const std::string& extension);

    std::mutex m_mutex;
    uint64_t m_nextPort = 1;
    uint64_t m_nextBinding = 1;
    std::map<uint64_t, SimPort> m_ports;
    SimAccounts m_accounts;
    std::map<std::string, ZavSimFaults> m_faults;  // "" applies to every port without its own
    int m_signalMode = ZAVSIM_SIGNAL_PACED;
    SimCommandLog m_log;
    bool m_callModel = false;
    SimCallModel m_calls;
};

}  // namespace zavsim
