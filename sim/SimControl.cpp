// The control functions: C entry points onto the process's one switch.
#include <cstring>
#include <utility>

#include "SimAccount.h"
#include "SimCallModel.h"
#include "SimLiveObjects.h"
#include "SimMessageData.h"
#include "SimSwitch.h"
#include "ZavSimControl.h"

namespace {

using zavsim::SimCallModel;
using zavsim::SimSwitch;

std::string Text(const char* text) {
    return text ? std::string(text) : std::string();
}

// Nothing may throw into a C caller: failures become the given value.
template <typename Result, typename Body>
Result Safely(Result onFailure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

// A text into the caller's buffer as snprintf would put it: the full length.
size_t CopyOut(const std::string& text, char* buffer, size_t size) {
    if (buffer && size > 0) {
        size_t n = text.size() < size - 1 ? text.size() : size - 1;
        std::memcpy(buffer, text.data(), n);
        buffer[n] = 0;
    }
    return text.size();
}

// An operation of the call model, -1 while the model is off or on failure.
template <typename Operation>
int OnCalls(Operation&& operation) {
    return Safely(-1, [&] { return SimSwitch::Instance().Calls(operation); });
}

int Done(bool done) {
    return done ? 0 : -1;
}

zavsim::SimMessageData ToData(const char* extension, const ZavSimMessage& m) {
    zavsim::SimMessageData d;
    d.category = m.category;
    d.type = m.msgType;
    d.result = m.result;
    d.sal1 = m.sal1;
    d.sal2 = m.sal2;
    d.requestId = m.requestId;
    d.reason = m.reason;
    d.digit = m.digit;
    d.globalCallId = m.globalCallId;
    d.callerNum = Text(m.callerNum);
    d.extension = m.extension ? m.extension : extension;
    d.callerName = Text(m.callerName);
    d.dialedNum = Text(m.dialedNum);
    d.trunk = Text(m.trunk);
    d.redirectingNum = Text(m.redirectingNum);
    d.redirectionNum = Text(m.redirectionNum);
    d.vdn = m.vdn;
    d.serialNumber = m.serialNumber;
    d.deviceType = m.deviceType;
    d.hasQueryItem6 = m.hasQueryItem6 != 0;
    d.queryItem6 = Text(m.queryItem6);
    return d;
}

}  // namespace

extern "C" {

ZAVSIM_API int ZavSimAddAccount(const ZavSimAccount* account) {
    if (!account || !account->extension || !*account->extension) return -1;
    return Safely(-1, [&] {
        zavsim::SimAccount a;
        a.extension = account->extension;
        a.password = Text(account->password);
        a.deviceType = account->deviceType;
        a.vdn = account->vdn;
        a.serialNumber = account->serialNumber;
        a.ownerName = Text(account->ownerName);
        SimSwitch::Instance().PutAccount(a);
        return 0;
    });
}

ZAVSIM_API void ZavSimReset(void) {
    Safely(0, [] {
        SimSwitch::Instance().Reset();
        return 0;
    });
}

ZAVSIM_API int ZavSimInjectMessage(const char* extension, const ZavSimMessage* message) {
    if (!extension || !message) return -1;
    return Safely(
        -1, [&] { return SimSwitch::Instance().Inject(extension, ToData(extension, *message)) ? 0 : -1; });
}

ZAVSIM_API int ZavSimInjectShutdown(const char* extension, int32_t result) {
    if (!extension) return -1;
    return Safely(-1, [&] {
        zavsim::SimMessageData d;
        d.category = ZAVSIM_CATEGORY_REGISTRATION;
        d.type = ZAVSIM_MSG_SHUTDOWN;
        d.result = result;
        d.extension = extension;
        return SimSwitch::Instance().Inject(extension, std::move(d)) ? 0 : -1;
    });
}

ZAVSIM_API int ZavSimInjectPhoneQueryReply(const char* extension, const char* ownerName) {
    if (!extension) return -1;
    return Safely(-1,
                  [&] { return SimSwitch::Instance().InjectPhoneQueryReply(extension, ownerName) ? 0 : -1; });
}

ZAVSIM_API int ZavSimSetSignalMode(int mode) {
    if (mode != ZAVSIM_SIGNAL_PACED && mode != ZAVSIM_SIGNAL_ON_QUEUE) return -1;
    return Safely(-1, [&] {
        SimSwitch::Instance().SetSignalMode(mode);
        return 0;
    });
}

ZAVSIM_API int ZavSimSetFaults(const char* extension, const ZavSimFaults* faults) {
    return Safely(-1, [&] {
        SimSwitch::Instance().SetFaults(Text(extension), faults);
        return 0;
    });
}

ZAVSIM_API size_t ZavSimReadLog(const char* extension, char* buffer, size_t size) {
    return Safely(static_cast<size_t>(0), [&] {
        return CopyOut(SimSwitch::Instance().CommandLog().Text(Text(extension)), buffer, size);
    });
}

ZAVSIM_API void ZavSimClearLog(const char* extension) {
    Safely(0, [&] {
        if (extension)
            SimSwitch::Instance().CommandLog().Clear(extension);
        else
            SimSwitch::Instance().CommandLog().ClearAll();
        return 0;
    });
}

ZAVSIM_API int ZavSimWaitForLog(const char* extension, const char* prefix, int count, uint32_t timeoutMs) {
    return Safely(0, [&] {
        return SimSwitch::Instance().CommandLog().WaitFor(Text(extension), Text(prefix), count, timeoutMs)
                   ? 1
                   : 0;
    });
}

ZAVSIM_API int ZavSimEndPointCount(const char* extension) {
    return Safely(-1, [&] { return SimSwitch::Instance().CountEndPoints(extension, false); });
}

ZAVSIM_API int ZavSimConnectedCount(const char* extension) {
    return Safely(-1, [&] { return SimSwitch::Instance().CountEndPoints(extension, true); });
}

ZAVSIM_API int ZavSimPendingMessages(const char* extension) {
    return Safely(-1, [&] { return SimSwitch::Instance().CountPending(extension); });
}

ZAVSIM_API int ZavSimSetCallModel(int on) {
    return Safely(-1, [&] {
        SimSwitch::Instance().SetCallModel(on != 0);
        return 0;
    });
}

ZAVSIM_API int32_t ZavSimExternalCall(const char* extension, const char* callerNum, const char* callerName,
                                      int32_t trunk) {
    if (!extension) return -1;
    return OnCalls([&](SimCallModel& calls) {
        return static_cast<int>(calls.CallFromOutside(extension, Text(callerNum), Text(callerName), trunk));
    });
}

ZAVSIM_API int ZavSimExternalAnswer(int32_t callId, const char* name) {
    return OnCalls([&](SimCallModel& calls) { return Done(calls.AnswerOutside(callId, Text(name))); });
}

ZAVSIM_API int ZavSimExternalBusy(int32_t callId) {
    return OnCalls([&](SimCallModel& calls) { return Done(calls.RefuseOutside(callId)); });
}

ZAVSIM_API int ZavSimExternalHangUp(int32_t callId) {
    return OnCalls([&](SimCallModel& calls) { return Done(calls.HangUpOutside(callId)); });
}

ZAVSIM_API int ZavSimExternalDigits(int32_t callId, const char* digits) {
    return OnCalls([&](SimCallModel& calls) { return Done(calls.DigitsFromOutside(callId, Text(digits))); });
}

ZAVSIM_API int ZavSimSetExtensionBusy(const char* extension, int busy) {
    if (!extension) return -1;
    return OnCalls([&](SimCallModel& calls) {
        calls.MarkBusy(extension, busy != 0);
        return 0;
    });
}

ZAVSIM_API int32_t ZavSimLiftHandset(const char* extension) {
    if (!extension) return -1;
    return OnCalls([&](SimCallModel& calls) {
        LONG sal = calls.LiftHandset(extension);
        return sal ? static_cast<int>(sal) : -1;
    });
}

ZAVSIM_API int ZavSimDialOnSet(const char* extension, int32_t sal, const char* digits) {
    if (!extension) return -1;
    return OnCalls([&](SimCallModel& calls) { return Done(calls.DialOnSet(extension, sal, Text(digits))); });
}

ZAVSIM_API int ZavSimHangUpSet(const char* extension, int32_t sal) {
    if (!extension) return -1;
    return OnCalls([&](SimCallModel& calls) { return Done(calls.HangUpSet(extension, sal)); });
}

ZAVSIM_API int ZavSimFireNoAnswer(int32_t callId) {
    return OnCalls([&](SimCallModel& calls) { return Done(calls.NoAnswer(callId)); });
}

ZAVSIM_API int ZavSimRefuseNext(const char* extension, int32_t command, int32_t result) {
    if (!extension) return -1;
    return OnCalls([&](SimCallModel& calls) { return Done(calls.RefuseNext(extension, command, result)); });
}

ZAVSIM_API int32_t ZavSimFireRecall(const char* extension, int32_t kind, int32_t sal, const char* callerNum,
                                    const char* callerName) {
    if (!extension) return -1;
    return Safely(-1, [&] {
        return SimSwitch::Instance().Recall(extension, kind, sal, Text(callerNum), Text(callerName));
    });
}

ZAVSIM_API int32_t ZavSimFireParkTimeout(const char* orbit) {
    if (!orbit) return -1;
    return OnCalls([&](SimCallModel& calls) { return static_cast<int>(calls.ParkTimeout(orbit)); });
}

ZAVSIM_API int ZavSimFireRedirectTimeout(int32_t callId) {
    return OnCalls([&](SimCallModel& calls) { return Done(calls.RedirectTimeout(callId)); });
}

ZAVSIM_API int ZavSimSetPickupGroup(const char* extension, const char* group) {
    if (!extension) return -1;
    return OnCalls([&](SimCallModel& calls) {
        calls.SetPickupGroup(extension, Text(group));
        return 0;
    });
}

ZAVSIM_API int ZavSimSetConferenceLimit(int32_t limit) {
    return OnCalls([&](SimCallModel& calls) { return Done(calls.SetConferenceLimit(limit)); });
}

ZAVSIM_API size_t ZavSimDescribeCalls(char* buffer, size_t size) {
    return Safely(static_cast<size_t>(0), [&] {
        std::string text;
        SimSwitch::Instance().Calls([&](SimCallModel& calls) {
            text = calls.Describe();
            return 0;
        });
        return CopyOut(text, buffer, size);
    });
}

ZAVSIM_API int ZavSimLegCount(const char* extension) {
    if (!extension) return -1;
    return OnCalls([&](SimCallModel& calls) { return calls.LegCount(extension); });
}

ZAVSIM_API int ZavSimLiveObjects(void) {
    return zavsim::g_liveEndPoints.load() + zavsim::g_liveMessages.load();
}

ZAVSIM_API int ZavSimLiveMessages(void) {
    return zavsim::g_liveMessages.load();
}

}  // extern "C"
