// The telephony service, emulated: loads a provider, negotiates, enumerates,
// initialises and shuts it down, opens its lines and phones, and implements
// the callbacks it is given, recording every one of them in a journal and
// every protocol fault in a list that tests assert empty.
//
// The completion callback carries no context, so a process has one current
// host: the first TapiHost constructed becomes current, and a second one
// made while it lives is inert (IsCurrent false, Load fails). The line and
// phone callbacks find their records through the HTAPILINE and HTAPIPHONE
// values, which the host chooses itself.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <memory>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/HostFaults.h"
#include "host/Journal.h"
#include "host/ProviderModule.h"
#include "host/RequestTracker.h"
#include "host/NewCallAnswer.h"
#include "host/TapiBuffer.h"
#include "host/TspiCaller.h"
#include "host/TspiTable.h"
#include "tapi/Tapi.h"

namespace zavhost {


// The provider waits this long for the handle; a late answer must come well
// before, or it would write to a variable the provider has given up on.
inline constexpr DWORD kProviderNewCallWaitMs = 2000;
inline constexpr DWORD kMaxLateAnswerMs = 1500;

inline constexpr DWORD kHostPermanentProviderId = 1;
inline constexpr DWORD kHostLowVersion = 0x00010003;
inline constexpr DWORD kHostHighVersion = 0x00020001;

enum class CallOrigin { MakeCall, NewCall, Created };

struct LineView {
    DWORD deviceId;
    HTAPILINE htLine;
    HDRVLINE hdLine;
    bool open;
};

struct PhoneView {
    DWORD deviceId;
    HTAPIPHONE htPhone;
    HDRVPHONE hdPhone;
    bool open;
};

struct CallView {
    std::size_t index;
    HTAPICALL htCall;
    HDRVCALL hdCall;
    DWORD deviceId;
    CallOrigin origin;
    bool delivered;  // the provider has the handle (LINE_NEWCALL answered, or made by the host)
    bool closed;
};

class TapiHost : private TspiHooks {
public:
    TapiHost();
    ~TapiHost();
    TapiHost(const TapiHost&) = delete;
    TapiHost& operator=(const TapiHost&) = delete;

    static TapiHost* Current();
    bool IsCurrent() const { return m_current; }

    // --- Loading
    bool Load(const std::string& path);
    bool IsLoaded() const { return m_module.IsLoaded(); }
    const std::string& LastError() const { return m_error; }
    // The TSPI, TUISPI names the provider does not export.
    std::vector<std::string> MissingExports() const { return m_module.MissingExports(); }
    bool Exports(const std::string& name) const {
        for (const std::string& missing : MissingExports())
            if (missing == name) return false;
        return IsLoaded();
    }
    const ProviderModule& Module() const { return m_module; }
    // Every TSPI function, thinly wrapped (see TspiCaller).
    TspiCaller& Tspi() { return m_caller; }
    HPROVIDER ProviderHandle() const { return m_hProvider; }

    // --- Settings
    void SetVersionRange(DWORD low, DWORD high);
    // False (and nothing changed) for a late delay above kMaxLateAnswerMs.
    bool SetNewCallAnswer(NewCallAnswer mode, DWORD delayMs = 0);

    // --- The provider as a whole, in the order the telephony service calls it
    LONG NegotiateTSPIVersion();  // INITIALIZE_NEGOTIATION
    DWORD TspiVersion() const { return m_tspiVersion; }
    LONG EnumDevices(DWORD* numLines = nullptr, DWORD* numPhones = nullptr);
    // With the counts enumeration gave.
    LONG ProviderInit(DWORD lineBase, DWORD phoneBase, DWORD* options = nullptr);
    // Every line and phone device; the first failure, or 0.
    LONG NegotiateDevices();
    // Each device of the kind; the first failure, or 0.
    LONG NegotiateLines();
    LONG NegotiatePhones();
    // All four above.
    LONG Start(DWORD lineBase, DWORD phoneBase);
    LONG ProviderShutdown();
    bool IsInitialised() const;
    DWORD NumLines() const;
    DWORD NumPhones() const;
    DWORD LineBase() const;
    DWORD PhoneBase() const;

    // --- Lines and calls
    LONG LineNegotiateTSPIVersion(DWORD deviceId, DWORD* version);
    LONG LineOpen(DWORD deviceId, HDRVLINE* hdLine);
    LONG LineClose(HDRVLINE hdLine);
    LONG LineSetStatusMessages(HDRVLINE hdLine, DWORD lineStates, DWORD addressStates);
    LONG LineSetDefaultMediaDetection(HDRVLINE hdLine, DWORD mediaModes);
    LONG LineSetMediaMode(HDRVCALL hdCall, DWORD mediaMode);
    LONG LineDevSpecific(HDRVLINE hdLine, DWORD addressId, HDRVCALL hdCall, void* params, DWORD size);
    LONG LineSetLineDevStatus(HDRVLINE hdLine, DWORD statusToChange, DWORD status);
    // `number` null for a call without a number.
    LONG LineMakeCall(HDRVLINE hdLine, const char* number, HDRVCALL* hdCall, HTAPICALL* htCall = nullptr);
    LONG LineAnswer(HDRVCALL hdCall);
    LONG LineDrop(HDRVCALL hdCall);
    LONG LineCloseCall(HDRVCALL hdCall);
    LONG LineGetCallInfo(HDRVCALL hdCall, TapiBuffer& callInfo);
    LONG LineGetCallStatus(HDRVCALL hdCall, TapiBuffer& callStatus);
    // Device queries, with the version negotiated for the device (the
    // session's when none was). Every buffer is checked for writes past
    // dwTotalSize.
    LONG LineGetDevCaps(DWORD deviceId, TapiBuffer& devCaps, DWORD extVersion = 0);
    LONG LineGetAddressCaps(DWORD deviceId, DWORD addressId, TapiBuffer& addressCaps, DWORD extVersion = 0);
    LONG LineGetAddressStatus(HDRVLINE hdLine, DWORD addressId, TapiBuffer& addressStatus);
    LONG LineGetLineDevStatus(HDRVLINE hdLine, TapiBuffer& devStatus);
    // `deviceClass` such as "wave/out"; a call's line when `hdCall` is given.
    LONG LineGetID(HDRVLINE hdLine, HDRVCALL hdCall, const char* deviceClass, TapiBuffer& deviceId);
    LONG LineGetDevConfig(DWORD deviceId, const char* deviceClass, TapiBuffer& config);
    // A handle for a call that a thin-layer function will create on the line.
    HTAPICALL NewTapiCall(HDRVLINE hdLine);

    // --- Phones
    LONG PhoneNegotiateTSPIVersion(DWORD deviceId, DWORD* version);
    LONG PhoneOpen(DWORD deviceId, HDRVPHONE* hdPhone);
    LONG PhoneClose(HDRVPHONE hdPhone);

    // --- What happened
    Journal& GetJournal() { return m_journal; }
    std::vector<HostFault> Faults() const { return m_faults.All(); }
    std::string FaultReport() const { return Describe(m_faults.All()); }
    // Wrapper calls of functions the provider does not export, by name.
    std::vector<std::string> MissingCalls() const;
    std::vector<RequestRecord> Requests() const { return m_requests.All(); }
    DRV_REQUESTID LastRequestId() const { return m_requests.LastIssued(); }

    std::vector<LineView> Lines() const;
    std::optional<LineView> OpenLine(DWORD deviceId) const;
    std::vector<PhoneView> Phones() const;
    std::optional<PhoneView> OpenPhone(DWORD deviceId) const;
    // From `first` on: a caller that knows every call before it is closed
    // need not copy the service's whole history.
    std::vector<CallView> Calls(std::size_t first = 0) const;
    std::size_t CallCount() const;
    std::optional<CallView> CallAt(std::size_t index) const;
    std::optional<CallView> CallByTapi(HTAPICALL htCall) const;
    // The newest call the provider calls hdCall (handles are reused).
    std::optional<CallView> CallByDriver(HDRVCALL hdCall) const;

    // The procedures handed to the provider.
    static void CALLBACK CompletionProc(DRV_REQUESTID requestId, LONG result);
    static void CALLBACK LineEventProc(HTAPILINE htLine, HTAPICALL htCall, DWORD msg, DWORD_PTR p1, DWORD_PTR p2,
                                       DWORD_PTR p3);
    static void CALLBACK PhoneEventProc(HTAPIPHONE htPhone, DWORD msg, DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3);

private:
    static LONG NegotiateEach(DWORD base, DWORD count, const std::function<LONG(DWORD, DWORD*)>& negotiate);
    enum class DeviceState { Opening, Open, Closed };
    struct LineRecord {
        DWORD deviceId;
        HDRVLINE hd;
        DeviceState state;
    };
    struct PhoneRecord {
        DWORD deviceId;
        HDRVPHONE hd;
        DeviceState state;
    };
    struct CallRecord {
        HDRVCALL hd;
        std::size_t line;
        CallOrigin origin;
        bool delivered;
        bool closed;
        DRV_REQUESTID failedRequest = 0;  // closed because this request of it failed
    };
    // A LINE_NEWCALL answered from another thread: where to write what.
    struct LateAnswer {
        TapiHost* host;
        HTAPICALL* slot;
        JournalEntry entry;  // the NewCallAnswered entry, but for its stamps
        HANDLE thread = nullptr;
    };

    // TspiHooks
    void Missing(const char* function) override;
    DRV_REQUESTID Issue(const char* function, HDRVLINE line, HDRVCALL call, HDRVPHONE phone) override;
    void CallCreated(DRV_REQUESTID id, HTAPICALL htCall, HDRVCALL hdCall) override;
    void Returned(DRV_REQUESTID id, LONG result) override;

    void OnCompletion(DRV_REQUESTID requestId, LONG result);
    void OnLineEvent(HTAPILINE htLine, HTAPICALL htCall, DWORD msg, DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3);
    void OnPhoneEvent(HTAPIPHONE htPhone, DWORD msg, DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3);
    void OnNewCall(JournalEntry& entry, std::size_t line);
    void OnLineCreate(JournalEntry& entry);
    void OnPhoneCreate(JournalEntry& entry);
    static DWORD LateAnswerThread(void* arg);
    void StopLateAnswers();

    // Under m_mutex.
    std::size_t LineIndexOf(HDRVLINE hd) const;
    std::size_t LiveCallIndexOf(HDRVCALL hd) const;
    CallView ViewOf(std::size_t index) const;
    HTAPICALL AddCall(HDRVCALL hd, std::size_t line, CallOrigin origin, bool delivered);

    void CheckBuffer(const TapiBuffer& buffer, const char* function);
    DWORD LineVersion(DWORD deviceId) const;

    bool m_current = false;
    ProviderModule m_module;
    TspiTable m_table;
    TspiCaller m_caller;
    std::string m_error;
    const HPROVIDER m_hProvider;

    Journal m_journal;
    FaultLog m_faults;
    RequestTracker m_requests;

    mutable std::mutex m_mutex;
    DWORD m_lowVersion = kHostLowVersion;
    DWORD m_highVersion = kHostHighVersion;
    DWORD m_tspiVersion = kHostHighVersion;
    NewCallAnswer m_newCallAnswer = NewCallAnswer::Immediately;
    DWORD m_newCallDelayMs = 0;
    bool m_initialised = false;
    DWORD m_numLines = 0, m_numPhones = 0;
    DWORD m_lineBase = 0, m_phoneBase = 0;
    std::map<DWORD, DWORD> m_lineVersions, m_phoneVersions;
    // The calls each asynchronous request created, until it completes.
    std::map<DRV_REQUESTID, std::vector<std::size_t>> m_callsOfRequest;
    // Requests that failed, for calls their function reports after that.
    std::set<DRV_REQUESTID> m_failedRequests;
    std::vector<LineRecord> m_lines;
    std::vector<PhoneRecord> m_phones;
    std::vector<CallRecord> m_calls;
    std::vector<std::string> m_missingCalls;

    std::mutex m_lateMutex;
    HANDLE m_stopLate = nullptr;
    std::vector<std::unique_ptr<LateAnswer>> m_lateAnswers;
};

}  // namespace zavhost
