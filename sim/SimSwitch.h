// The one simulated switch of the process, shared by every endpoint the
// library creates. Endpoints forward their calls here by port number; the
// control functions reach it directly. One lock serialises everything but
// the command log, which has its own so that waiting for a line blocks
// nobody else.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "SimAccounts.h"
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
    SimCommandLog& CommandLog() { return m_log; }

private:
    SimSwitch() = default;
    ZavSimFaults FaultsLocked(const SimPort& port, const std::string& extension) const;
    SimPort* FindLocked(uint64_t port);
    SimPort* NewestConnectedLocked(const std::string& extension);
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
};

}  // namespace zavsim
