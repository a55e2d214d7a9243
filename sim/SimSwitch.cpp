#include "SimSwitch.h"

#include <utility>

#include "SimDialPlan.h"
#include "SimMessage.h"
#include "platform/Event.h"

namespace zavsim {

SimSwitch& SimSwitch::Instance() {
    static SimSwitch s_switch;
    return s_switch;
}

SimSwitch::~SimSwitch() {
    // Only endpoints that someone leaked are left; their queues go with the
    // library.
    for (auto& entry : m_ports) {
        for (SimMessage* message : entry.second.queue) message->Release();
        plat::CloseEvent(entry.second.event);
    }
}

uint64_t SimSwitch::OpenPort() {
    std::lock_guard<std::mutex> lock(m_mutex);
    uint64_t id = m_nextPort++;
    SimPort& port = m_ports[id];
    port.event = plat::MakeEvent(false, false);
    return id;
}

void SimSwitch::ClosePort(uint64_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    SimPort* port = FindLocked(id);
    if (!port) return;
    for (SimMessage* message : port->queue) message->Release();
    port->queue.clear();
    plat::CloseEvent(port->event);
    if (!port->bound) m_log.Append("", port->unboundLog);
    std::string extension = port->registered ? port->extension : std::string();
    m_ports.erase(id);
    LeftLocked(extension);
}

void SimSwitch::Log(uint64_t id, const std::string& line) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (SimPort* port = FindLocked(id)) LogLocked(*port, line);
}

HRESULT SimSwitch::Command(uint64_t id, const std::string& line, const CallCommand& apply) {
    std::lock_guard<std::mutex> lock(m_mutex);
    SimPort* port = FindLocked(id);
    if (!port) return S_OK;
    LogLocked(*port, line);
    if (!m_callModel || !port->registered || !port->connected) return S_OK;
    std::string extension = port->extension;
    HRESULT hr = S_OK;
    RunCallsLocked([&] { hr = apply(m_calls, extension); });
    return hr;
}

HRESULT SimSwitch::Connect(uint64_t id, HANDLE* event) {
    std::lock_guard<std::mutex> lock(m_mutex);
    *event = nullptr;
    SimPort* port = FindLocked(id);
    if (!port) return E_UNEXPECTED;
    ZavSimFaults faults = FaultsLocked(*port, port->extension);
    if (FAILED(faults.connectResult)) return faults.connectResult;
    if (!port->event) return E_OUTOFMEMORY;
    if (faults.connectNullEvent) return S_OK;
    port->connected = true;
    *event = port->event;
    return S_OK;
}

void SimSwitch::Disconnect(uint64_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    SimPort* port = FindLocked(id);
    if (!port) return;
    port->connected = false;
    if (port->registered) LeftLocked(port->extension);
}

HRESULT SimSwitch::Register(uint64_t id, const std::string& extension, const std::string& password) {
    std::lock_guard<std::mutex> lock(m_mutex);
    SimPort* port = FindLocked(id);
    if (!port) return E_UNEXPECTED;
    BindLocked(*port, extension);
    ZavSimFaults faults = FaultsLocked(*port, extension);
    if (FAILED(faults.registerResult)) return faults.registerResult;
    if (faults.registerNoReply) return S_OK;
    SimMessageData reply;
    reply.category = ZAVSIM_CATEGORY_REGISTRATION;
    reply.type = ZAVSIM_MSG_REGISTER_REPLY;
    reply.extension = extension;
    const SimAccount* account = m_accounts.Find(extension);
    if (!account) {
        reply.result = ZAVSIM_REJECT_UNKNOWN_EXTENSION;
    } else if (account->password != password) {
        reply.result = ZAVSIM_REJECT_BAD_PASSWORD;
    } else {
        port->registered = true;
        reply.vdn = account->vdn;
        reply.serialNumber = account->serialNumber;
        reply.deviceType = account->deviceType;
    }
    QueueLocked(*port, std::move(reply));
    return S_OK;
}

HRESULT SimSwitch::Unregister(uint64_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    SimPort* port = FindLocked(id);
    if (!port) return E_UNEXPECTED;
    ZavSimFaults faults = FaultsLocked(*port, port->extension);
    if (FAILED(faults.unregisterResult)) return faults.unregisterResult;
    if (port->registered) {
        port->registered = false;
        LeftLocked(port->extension);
    }
    if (faults.unregisterNoReply) return S_OK;
    SimMessageData reply;
    reply.category = ZAVSIM_CATEGORY_REGISTRATION;
    reply.type = ZAVSIM_MSG_UNREGISTER_REPLY;
    reply.extension = port->extension;
    QueueLocked(*port, std::move(reply));
    return S_OK;
}

HRESULT SimSwitch::Retrieve(uint64_t id, IMsgInt** message) {
    std::lock_guard<std::mutex> lock(m_mutex);
    *message = nullptr;
    SimPort* port = FindLocked(id);
    if (!port) return E_UNEXPECTED;
    if (port->queue.empty()) return HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS);
    *message = port->queue.front();  // the queue's reference goes to the caller
    port->queue.pop_front();
    if (m_signalMode == ZAVSIM_SIGNAL_PACED && !port->queue.empty())
        plat::SetEvent(port->event);  // the next message's signal
    return S_OK;
}

void SimSwitch::PutAccount(const SimAccount& account) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_accounts.Put(account);
}

void SimSwitch::Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_accounts.Clear();
    m_faults.clear();
    m_signalMode = ZAVSIM_SIGNAL_PACED;
    for (auto& entry : m_ports) entry.second.unboundLog.clear();
    m_log.ClearAll();
    m_callModel = false;
    m_calls.Clear();
}

bool SimSwitch::Inject(const std::string& extension, SimMessageData data) {
    std::lock_guard<std::mutex> lock(m_mutex);
    SimPort* port = NewestConnectedLocked(extension);
    if (!port) return false;
    QueueLocked(*port, std::move(data));
    return true;
}

bool SimSwitch::InjectPhoneQueryReply(const std::string& extension, const char* ownerName) {
    std::lock_guard<std::mutex> lock(m_mutex);
    SimPort* port = NewestConnectedLocked(extension);
    if (!port) return false;
    SimMessageData reply;
    reply.category = ZAVSIM_CATEGORY_PHONE_QUERY;
    reply.type = ZAVSIM_MSG_PHONE_QUERY_REPLY;
    reply.extension = extension;
    if (ownerName) {
        reply.hasQueryItem6 = true;
        reply.queryItem6 = ownerName;
    } else if (const SimAccount* account = m_accounts.Find(extension)) {
        reply.hasQueryItem6 = true;
        reply.queryItem6 = account->ownerName;
    }
    QueueLocked(*port, std::move(reply));
    return true;
}

void SimSwitch::SetFaults(const std::string& extension, const ZavSimFaults* faults) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (faults)
        m_faults[extension] = *faults;
    else
        m_faults.erase(extension);
}

void SimSwitch::SetSignalMode(int mode) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_signalMode = mode;
}

int SimSwitch::CountEndPoints(const char* extension, bool connectedOnly) {
    std::lock_guard<std::mutex> lock(m_mutex);
    int count = 0;
    for (const auto& entry : m_ports) {
        const SimPort& port = entry.second;
        if (extension && !(port.bound && port.extension == extension)) continue;
        if (connectedOnly && !port.connected) continue;
        ++count;
    }
    return count;
}

void SimSwitch::SetCallModel(bool on) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_callModel = on;
    if (!on) m_calls.Clear();
}

int SimSwitch::Calls(const std::function<int(SimCallModel&)>& operation) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_callModel) return -1;
    int result = -1;
    RunCallsLocked([&] { result = operation(m_calls); });
    return result;
}

int32_t SimSwitch::Recall(const std::string& extension, LONG kind, LONG sal, const std::string& number,
                          const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    LONG id = -1;
    RunCallsLocked([&] { id = m_calls.Recall(extension, kind, sal, number, name, m_callModel); });
    return static_cast<int32_t>(id);
}

int SimSwitch::CountPending(const char* extension) {
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t count = 0;
    for (const auto& entry : m_ports) {
        const SimPort& port = entry.second;
        if (extension && !(port.bound && port.extension == extension)) continue;
        count += port.queue.size();
    }
    return static_cast<int>(count);
}

ZavSimFaults SimSwitch::FaultsLocked(const SimPort& port, const std::string& extension) const {
    if (port.bound || !extension.empty()) {
        auto own = m_faults.find(extension);
        if (own != m_faults.end()) return own->second;
    }
    auto common = m_faults.find("");
    return common != m_faults.end() ? common->second : ZavSimFaults{};
}

SimPort* SimSwitch::FindLocked(uint64_t id) {
    auto it = m_ports.find(id);
    return it == m_ports.end() ? nullptr : &it->second;
}

SimPort* SimSwitch::NewestConnectedLocked(const std::string& extension) {
    SimPort* newest = nullptr;
    for (auto& entry : m_ports) {
        SimPort& port = entry.second;
        if (!port.bound || !port.connected || port.extension != extension) continue;
        if (!newest || port.boundOrder > newest->boundOrder) newest = &port;
    }
    return newest;
}

SimPort* SimSwitch::NewestRegisteredLocked(const std::string& extension) {
    SimPort* newest = nullptr;
    for (auto& entry : m_ports) {
        SimPort& port = entry.second;
        if (!port.registered || !port.connected || port.extension != extension) continue;
        if (!newest || port.boundOrder > newest->boundOrder) newest = &port;
    }
    return newest;
}

void SimSwitch::LogLocked(SimPort& port, const std::string& line) {
    if (port.bound)
        m_log.Append(port.extension, {line});
    else
        port.unboundLog.push_back(line);
}

// The model learns who can take part just before it acts, so accounts and
// registrations never need to tell it; its messages go to the newest
// registered endpoint of each extension, or nowhere.
void SimSwitch::RunCallsLocked(const std::function<void()>& operation) {
    SimParties parties;
    for (const auto& entry : m_ports) {
        const SimPort& port = entry.second;
        if (!port.registered || !port.connected) continue;
        if (const SimAccount* account = m_accounts.Find(port.extension))
            parties[port.extension] = SimParty{account->ownerName, LineAppearances(account->deviceType)};
    }
    m_calls.SetParties(std::move(parties));
    operation();
    for (SimOutgoing& message : m_calls.TakeOutbox())
        if (SimPort* port = NewestRegisteredLocked(message.extension))
            QueueLocked(*port, std::move(message.data));
}

// An extension that no endpoint serves any longer loses its calls.
void SimSwitch::LeftLocked(const std::string& extension) {
    if (!m_callModel || extension.empty() || NewestRegisteredLocked(extension)) return;
    RunCallsLocked([&] { m_calls.Leave(extension); });
}

// Paced, each message gets one signal, but only one signal is ever outstanding: an
// auto-reset event set twice before a wait wakes its waiter once, which would
// strand the second message with a receiver that takes one message per wake.
// So a message that joins others waits for its signal until the one before
// it has been retrieved.
void SimSwitch::QueueLocked(SimPort& port, SimMessageData data) {
    SimMessage* message = new SimMessage(std::move(data));
    bool wasEmpty = port.queue.empty();
    try {
        port.queue.push_back(message);
    } catch (...) {
        message->Release();
        throw;
    }
    if (wasEmpty || m_signalMode == ZAVSIM_SIGNAL_ON_QUEUE) plat::SetEvent(port.event);
}

void SimSwitch::BindLocked(SimPort& port, const std::string& extension) {
    if (!port.bound) {
        m_log.Append(extension, port.unboundLog);
        port.unboundLog.clear();
    }
    if (port.registered) {
        port.registered = false;
        LeftLocked(port.extension);
    }
    port.bound = true;
    port.extension = extension;
    port.boundOrder = m_nextBinding++;
}

}  // namespace zavsim
