// The host's life, the provider-level sequence and the host's records.
#include "host/TapiHost.h"

#include "host/CurrentHost.h"
#include "host/HandleCodec.h"
#include "platform/Event.h"
#include "platform/Thread.h"

namespace zavhost {

namespace {
// Fits 32 bits: the provider keeps the handle in a 32-bit variable.
const HPROVIDER kHostProviderHandle = reinterpret_cast<HPROVIDER>(std::uintptr_t(0x7A500001));
}  // namespace

TapiHost::TapiHost() : m_caller(m_table, *this), m_hProvider(kHostProviderHandle), m_requests(m_faults) {
    m_current = current_host::Claim(this);
    m_stopLate = plat::MakeEvent(true, false);
}

TapiHost::~TapiHost() {
    if (IsInitialised()) ProviderShutdown();
    StopLateAnswers();
    if (m_current) current_host::Release(this);
    if (m_stopLate) plat::CloseEvent(m_stopLate);
    m_table = TspiTable{};
    m_module.Unload();
}

TapiHost* TapiHost::Current() { return current_host::Get(); }

bool TapiHost::Load(const std::string& path) {
    if (!m_current) {
        m_error = "another host is current in this process";
        return false;
    }
    if (IsInitialised()) {
        m_error = "the loaded provider is still initialised";
        return false;
    }
    m_table = TspiTable{};
    if (!m_module.Load(path)) {
        m_error = m_module.LastError();
        return false;
    }
    m_table.Resolve(m_module);
    m_error.clear();
    return true;
}

void TapiHost::SetVersionRange(DWORD low, DWORD high) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lowVersion = low;
    m_highVersion = high;
}

bool TapiHost::SetNewCallAnswer(NewCallAnswer mode, DWORD delayMs) {
    if (mode == NewCallAnswer::Late && delayMs > kMaxLateAnswerMs) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_newCallAnswer = mode;
    m_newCallDelayMs = mode == NewCallAnswer::Late ? delayMs : 0;
    return true;
}

LONG TapiHost::NegotiateTSPIVersion() {
    DWORD low, high;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        low = m_lowVersion;
        high = m_highVersion;
    }
    DWORD version = 0;
    LONG result = m_caller.lineNegotiateTSPIVersion(DWORD(INITIALIZE_NEGOTIATION), low, high, &version);
    if (result == 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_tspiVersion = version;
    }
    return result;
}

LONG TapiHost::EnumDevices(DWORD* numLines, DWORD* numPhones) {
    DWORD lines = 0, phones = 0;
    LINEEVENT lineProc = &TapiHost::LineEventProc;
    PHONEEVENT phoneProc = &TapiHost::PhoneEventProc;
    LONG result = m_caller.providerEnumDevices(kHostPermanentProviderId, &lines, &phones, m_hProvider, lineProc,
                                               phoneProc);
    if (result == 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_numLines = lines;
        m_numPhones = phones;
    }
    if (numLines) *numLines = lines;
    if (numPhones) *numPhones = phones;
    return result;
}

LONG TapiHost::ProviderInit(DWORD lineBase, DWORD phoneBase, DWORD* options) {
    DWORD version, lines, phones;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        version = m_tspiVersion;
        lines = m_numLines;
        phones = m_numPhones;
    }
    DWORD tspiOptions = 0;
    ASYNC_COMPLETION completion = &TapiHost::CompletionProc;
    LONG result = m_caller.providerInit(version, kHostPermanentProviderId, lineBase, phoneBase, DWORD_PTR(lines),
                                        DWORD_PTR(phones), completion, &tspiOptions);
    if (options) *options = tspiOptions;
    if (result == 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_initialised = true;
        m_lineBase = lineBase;
        m_phoneBase = phoneBase;
    }
    return result;
}

LONG TapiHost::NegotiateDevices() {
    LONG lines = NegotiateLines();
    LONG phones = NegotiatePhones();
    return lines != 0 ? lines : phones;
}

LONG TapiHost::NegotiateLines() {
    DWORD base, count;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        base = m_lineBase;
        count = m_numLines;
    }
    return NegotiateEach(base, count, [this](DWORD id, DWORD* v) { return LineNegotiateTSPIVersion(id, v); });
}

LONG TapiHost::NegotiatePhones() {
    DWORD base, count;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        base = m_phoneBase;
        count = m_numPhones;
    }
    return NegotiateEach(base, count, [this](DWORD id, DWORD* v) { return PhoneNegotiateTSPIVersion(id, v); });
}

LONG TapiHost::NegotiateEach(DWORD base, DWORD count, const std::function<LONG(DWORD, DWORD*)>& negotiate) {
    LONG first = 0;
    DWORD version = 0;
    for (DWORD i = 0; i < count; ++i) {
        LONG result = negotiate(base + i, &version);
        if (result != 0 && first == 0) first = result;
    }
    return first;
}

LONG TapiHost::Start(DWORD lineBase, DWORD phoneBase) {
    LONG result = NegotiateTSPIVersion();
    if (result == 0) result = EnumDevices();
    if (result == 0) result = ProviderInit(lineBase, phoneBase);
    if (result == 0) result = NegotiateDevices();
    return result;
}

LONG TapiHost::ProviderShutdown() {
    DWORD version;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        version = m_tspiVersion;
    }
    LONG result = m_caller.providerShutdown(version, kHostPermanentProviderId);
    m_requests.ProviderShutDown();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_initialised = false;
    for (LineRecord& line : m_lines) line.state = DeviceState::Closed;
    for (PhoneRecord& phone : m_phones) phone.state = DeviceState::Closed;
    for (CallRecord& call : m_calls) call.closed = true;
    return result;
}

bool TapiHost::IsInitialised() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_initialised;
}

DWORD TapiHost::NumLines() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_numLines;
}

DWORD TapiHost::NumPhones() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_numPhones;
}

DWORD TapiHost::LineBase() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lineBase;
}

DWORD TapiHost::PhoneBase() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_phoneBase;
}

// --- Hooks of the thin layer

void TapiHost::Missing(const char* function) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_missingCalls.push_back(function);
}

DRV_REQUESTID TapiHost::Issue(const char* function, HDRVLINE line, HDRVCALL call, HDRVPHONE phone) {
    if (!line && call) {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::size_t index = LiveCallIndexOf(call);
        if (index != kNoCall && m_calls[index].line < m_lines.size()) line = m_lines[m_calls[index].line].hd;
    }
    return m_requests.Issue(function, line, call, phone);
}

void TapiHost::CallCreated(DRV_REQUESTID id, HTAPICALL htCall, HDRVCALL hdCall) {
    std::size_t index;
    HDRVLINE line = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!DecodeHandle(htCall, kCallTag, &index) || index >= m_calls.size()) return;
        CallRecord& call = m_calls[index];
        call.hd = hdCall;
        call.delivered = true;
        // The request may have failed before its function returned.
        if (m_failedRequests.count(id)) {
            call.closed = true;
            call.failedRequest = id;
        }
        else
            m_callsOfRequest[id].push_back(index);
        if (call.line < m_lines.size()) line = m_lines[call.line].hd;
    }
    m_requests.Bind(id, hdCall, line);
}

void TapiHost::Returned(DRV_REQUESTID id, LONG result) { m_requests.Returned(id, result); }

std::vector<std::string> TapiHost::MissingCalls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_missingCalls;
}

// --- Records

std::size_t TapiHost::LineIndexOf(HDRVLINE hd) const {
    for (std::size_t i = m_lines.size(); i-- > 0;)
        if (m_lines[i].hd == hd && m_lines[i].state != DeviceState::Closed) return i;
    return kNoCall;
}

std::size_t TapiHost::LiveCallIndexOf(HDRVCALL hd) const {
    for (std::size_t i = m_calls.size(); i-- > 0;)
        if (m_calls[i].hd == hd && !m_calls[i].closed) return i;
    return kNoCall;
}

HTAPICALL TapiHost::AddCall(HDRVCALL hd, std::size_t line, CallOrigin origin, bool delivered) {
    m_calls.push_back(CallRecord{hd, line, origin, delivered, false});
    return EncodeHandle<HTAPICALL>(kCallTag, m_calls.size() - 1);
}

HTAPICALL TapiHost::NewTapiCall(HDRVLINE hdLine) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return AddCall(nullptr, LineIndexOf(hdLine), CallOrigin::Created, false);
}

CallView TapiHost::ViewOf(std::size_t index) const {
    const CallRecord& call = m_calls[index];
    DWORD device = call.line < m_lines.size() ? m_lines[call.line].deviceId : kUnknownDevice;
    return CallView{index,       EncodeHandle<HTAPICALL>(kCallTag, index), call.hd, device, call.origin,
                    call.delivered, call.closed};
}

std::vector<LineView> TapiHost::Lines() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<LineView> lines;
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        lines.push_back(LineView{m_lines[i].deviceId, EncodeHandle<HTAPILINE>(kLineTag, i), m_lines[i].hd,
                                 m_lines[i].state == DeviceState::Open});
    return lines;
}

std::optional<LineView> TapiHost::OpenLine(DWORD deviceId) const {
    for (const LineView& line : Lines())
        if (line.open && line.deviceId == deviceId) return line;
    return std::nullopt;
}

std::vector<PhoneView> TapiHost::Phones() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<PhoneView> phones;
    for (std::size_t i = 0; i < m_phones.size(); ++i)
        phones.push_back(PhoneView{m_phones[i].deviceId, EncodeHandle<HTAPIPHONE>(kPhoneTag, i), m_phones[i].hd,
                                   m_phones[i].state == DeviceState::Open});
    return phones;
}

std::optional<PhoneView> TapiHost::OpenPhone(DWORD deviceId) const {
    for (const PhoneView& phone : Phones())
        if (phone.open && phone.deviceId == deviceId) return phone;
    return std::nullopt;
}

std::vector<CallView> TapiHost::Calls(std::size_t first) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<CallView> calls;
    for (std::size_t i = first; i < m_calls.size(); ++i) calls.push_back(ViewOf(i));
    return calls;
}

std::size_t TapiHost::CallCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls.size();
}

std::optional<CallView> TapiHost::CallAt(std::size_t index) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index >= m_calls.size()) return std::nullopt;
    return ViewOf(index);
}

std::optional<CallView> TapiHost::CallByTapi(HTAPICALL htCall) const {
    std::size_t index;
    if (!DecodeHandle(htCall, kCallTag, &index)) return std::nullopt;
    return CallAt(index);
}

std::optional<CallView> TapiHost::CallByDriver(HDRVCALL hdCall) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (std::size_t i = m_calls.size(); i-- > 0;)
        if (m_calls[i].hd == hdCall) return ViewOf(i);
    return std::nullopt;
}

}  // namespace zavhost
