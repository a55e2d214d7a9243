/* Control of the simulated switch behind the stand-in endpoint component.
 *
 * Tests and the demo load the component library (libzavsim.so, zavsim.dll)
 * and resolve these functions by name; a process that also activates the
 * component through its class id gets the same loaded library, and so the
 * same switch. Every function is safe to call from any thread.
 *
 * Extensions are compared exactly. Texts are 8-bit, zero-terminated; a null
 * text pointer in a message means "not carried" (getters then give an empty
 * text), except where a field says otherwise.
 */
#pragma once

#include <stddef.h>
#include <stdint.h>

#if defined(ZAVSIM_BUILDING)
#if defined(_WIN32)
#define ZAVSIM_API __declspec(dllexport)
#else
#define ZAVSIM_API __attribute__((visibility("default")))
#endif
#else
#define ZAVSIM_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Message categories and the message types the switch itself produces. */
#define ZAVSIM_CATEGORY_REGISTRATION 0x10000
#define ZAVSIM_CATEGORY_CALL_CONTROL 0x20000
#define ZAVSIM_CATEGORY_PHONE_QUERY 0x30000
#define ZAVSIM_MSG_REGISTER_REPLY 0x10001
#define ZAVSIM_MSG_UNREGISTER_REPLY 0x10002
#define ZAVSIM_MSG_SHUTDOWN 0x10003
#define ZAVSIM_MSG_PHONE_QUERY_REPLY 0x30001

/* The call-control messages the call model produces; sim/README.md gives
 * what each carries. */
#define ZAVSIM_MSG_OFFHOOK_REPLY 0x20001
#define ZAVSIM_MSG_ANSWER_REPLY 0x20002
#define ZAVSIM_MSG_ONHOOK_REPLY 0x20003
#define ZAVSIM_MSG_HOLD_REPLY 0x20009
#define ZAVSIM_MSG_UNHOLD_REPLY 0x2000A
#define ZAVSIM_MSG_NEW_CALL 0x28001
#define ZAVSIM_MSG_RING_BACK 0x28002
#define ZAVSIM_MSG_CONNECTED 0x28003
#define ZAVSIM_MSG_BUSY 0x28004
#define ZAVSIM_MSG_ONHOOK_REMOTE 0x28006
#define ZAVSIM_MSG_DIGIT_REMOTE 0x28008
#define ZAVSIM_MSG_STOP_DIALTONE 0x28009
/* The answers to transfer, conference, redirect and park, and the recalls. */
#define ZAVSIM_MSG_TRANSFER_REPLY 0x20004
#define ZAVSIM_MSG_TRANSFER_END_REPLY 0x20005
#define ZAVSIM_MSG_CONFERENCE_REPLY 0x20007
#define ZAVSIM_MSG_ADD_TO_CONF_REPLY 0x20008
#define ZAVSIM_MSG_TRANSFER_TIMEOUT 0x2800E
#define ZAVSIM_MSG_PARK_GENERAL_FAILURE 0x2800F
#define ZAVSIM_MSG_PARK_SUCCESS 0x28010
#define ZAVSIM_MSG_PARK_CANCELLED 0x28011
#define ZAVSIM_MSG_PARK_TIMEOUT 0x28012
#define ZAVSIM_MSG_PARK_INVALID_EXT 0x28014
#define ZAVSIM_MSG_TOO_MANY_PARTIES_IN_CONF 0x28015
#define ZAVSIM_MSG_TOO_MANY_CONF_IN_SYS 0x28016
#define ZAVSIM_MSG_UNPARK_SUCCESS 0x28017
#define ZAVSIM_MSG_REDIRECT_EXT_BUSY 0x28018
#define ZAVSIM_MSG_REDIRECT_GENERAL_FAILURE 0x28019
#define ZAVSIM_MSG_REDIRECT_TIMEOUT 0x2801A
#define ZAVSIM_MSG_REDIRECT_SUCCESS 0x2801B
#define ZAVSIM_MSG_REDIRECT_NOT_ALLOWED 0x2801C

/* Reasons the call model gives in eBusy and eOnhookReply. The provider
 * takes 10 for a bad address and keeps a call's reason for the others. */
#define ZAVSIM_REASON_UNOBTAINABLE 10
#define ZAVSIM_REASON_NORMAL 16
#define ZAVSIM_REASON_BUSY 17
#define ZAVSIM_REASON_NO_ANSWER 23
/* Reasons an eNewCall gives for a call that rings where it was not dialled,
 * or whose far end changed: forwarded on busy, forwarded always, forwarded
 * on no answer, transferred. The provider shows them as TAPI's call reason. */
#define ZAVSIM_REASON_FORWARD_BUSY 1
#define ZAVSIM_REASON_FORWARD_ALWAYS 3
#define ZAVSIM_REASON_FORWARD_NO_ANSWER 4
#define ZAVSIM_REASON_TRANSFER 5
/* The result of a hold or unhold that the leg's state does not allow. */
#define ZAVSIM_RESULT_REFUSED 1
/* OffHook's result when the extension has no free line appearance. */
#define ZAVSIM_E_NO_APPEARANCE ((int32_t)0x800700AAL)

/* The provider's commands ZavSimRefuseNext can refuse. */
#define ZAVSIM_CMD_HOLD 1
#define ZAVSIM_CMD_UNHOLD 2
#define ZAVSIM_CMD_OFFHOOK 3
#define ZAVSIM_CMD_TRANSFER 4
#define ZAVSIM_CMD_CONFERENCE 5
#define ZAVSIM_CMD_ADD_TO_CONF 6
#define ZAVSIM_CMD_REDIRECT 7
#define ZAVSIM_CMD_PARK 8

/* The calls the switch brings back to an extension (ZavSimFireRecall). */
#define ZAVSIM_RECALL_TRANSFER 1
#define ZAVSIM_RECALL_PARK 2
#define ZAVSIM_RECALL_REDIRECT 3

/* A conference holds at most this many parties, the extension that built
 * it counting as one. The whole switch holds at most
 * ZAVSIM_DEFAULT_CONFERENCE_LIMIT conferences, unless
 * ZavSimSetConferenceLimit says otherwise. */
#define ZAVSIM_CONFERENCE_PARTIES 4
#define ZAVSIM_DEFAULT_CONFERENCE_LIMIT 8

/* How endpoints signal their messages (ZavSimSetSignalMode). Paced, the
 * default, is described at ZavSimInjectMessage. On queue, the event is set
 * as each message is queued, so signals that come before the receiver waits
 * merge into one, as they do with any auto-reset event. */
#define ZAVSIM_SIGNAL_PACED 0
#define ZAVSIM_SIGNAL_ON_QUEUE 1

/* Results of a rejected registration, carried by its eRegisterReply. */
#define ZAVSIM_REJECT_UNKNOWN_EXTENSION 1
#define ZAVSIM_REJECT_BAD_PASSWORD 2

/* The port QueryCurrentConfigA reports while none is configured. */
#define ZAVSIM_DEFAULT_PORT 20485

/* Where the switch finds accounts it was not told about through
 * ZavSimAddAccount, below HKEY_LOCAL_MACHINE: one subkey per extension with
 * "Password" and "OwnerName" (REG_SZ), "DeviceType", "VDN" and
 * "SerialNumber" (REG_DWORD). Read when a registration names an extension
 * the switch does not know yet. */
#define ZAVSIM_ACCOUNTS_KEY "Software\\Ostrel\\ZAV\\Simulator\\Accounts"
/* The component's own configuration: "ServerIPAddr" and "ServerPortId"
 * (both REG_SZ, the port as decimal text). */
#define ZAVSIM_SERVER_KEY "Software\\Ostrel\\ZAV\\Carrack"

typedef struct ZavSimAccount {
    const char* extension; /* required, not empty */
    const char* password;  /* as the provider's registry stores it; null: empty */
    int32_t deviceType;
    int32_t vdn;
    int32_t serialNumber;
    const char* ownerName; /* null: empty */
} ZavSimAccount;

/* One message as the endpoint hands it out. The call-control fields keep
 * the order in which the provider passes them on. */
typedef struct ZavSimMessage {
    int32_t category;
    int32_t msgType;
    int32_t result;
    int32_t sal1;
    int32_t sal2;
    int32_t requestId;
    int32_t reason;
    int32_t digit;
    int32_t globalCallId;
    const char* callerNum;
    const char* extension; /* null: the extension the message is sent to; "": none */
    const char* callerName;
    const char* dialedNum;
    const char* trunk;
    const char* redirectingNum;
    const char* redirectionNum;
    /* Registration replies. */
    int32_t vdn;
    int32_t serialNumber;
    int32_t deviceType;
    /* Phone query replies. */
    int32_t hasQueryItem6;
    const char* queryItem6;
} ZavSimMessage;

/* What an extension's endpoints do wrong. A failure code (negative) in a
 * *Result field makes that method return it; zero or a success code means
 * the method works. A non-zero *NoReply field makes the method succeed
 * while the switch never answers. */
typedef struct ZavSimFaults {
    int32_t connectResult;
    int32_t connectNullEvent; /* ConnectToServer succeeds with a null event */
    int32_t registerResult;
    int32_t registerNoReply;
    int32_t unregisterResult;
    int32_t unregisterNoReply;
} ZavSimFaults;

/* Adds an account or replaces the one of the same extension. 0, or -1 for
 * a missing account or extension. */
ZAVSIM_API int ZavSimAddAccount(const ZavSimAccount* account);

/* Forgets every account, fault setting, command log and call, signals paced
 * again and switches the call model off. Live endpoints keep
 * their extension, connection and queued messages. */
ZAVSIM_API void ZavSimReset(void);

/* Queues a message at the newest connected endpoint of the extension (the
 * one that registered last). 0, or -1 when no endpoint of the extension is
 * connected.
 *
 * An endpoint's event (auto-reset) is set once for every message, with at
 * most one signal outstanding: a message that joins a non-empty queue gets
 * its signal when the one before it is retrieved. A receiver that takes one
 * message per wake thus finds exactly one message behind every signal. */
ZAVSIM_API int ZavSimInjectMessage(const char* extension, const ZavSimMessage* message);

/* eShutdown with the given result. 0 or -1 as ZavSimInjectMessage. */
ZAVSIM_API int ZavSimInjectShutdown(const char* extension, int32_t result);

/* Chooses how every endpoint signals its messages from now on; ZavSimReset
 * goes back to ZAVSIM_SIGNAL_PACED. 0, or -1 for an unknown mode. */
ZAVSIM_API int ZavSimSetSignalMode(int mode);

/* ePhoneQueryReply carrying the owner name as query item 6. A null name
 * takes the account's owner name; without a known account the reply then
 * carries no item 6. 0 or -1 as ZavSimInjectMessage. */
ZAVSIM_API int ZavSimInjectPhoneQueryReply(const char* extension, const char* ownerName);

/* Sets the faults of an extension's endpoints; null faults clears them. A
 * null or empty extension sets the faults of every endpoint that has no
 * setting of its own, including endpoints that have not registered yet
 * (ConnectToServer normally comes before RegisterA). 0 or -1. */
ZAVSIM_API int ZavSimSetFaults(const char* extension, const ZavSimFaults* faults);

/* The commands the extension's endpoints received, one line each, every
 * line ending in '\n', oldest first, such as "Answer sal=0x00000005
 * call=0xE0010005". A null or empty extension reads the lines of endpoints
 * that were released without ever registering. An endpoint's commands
 * before its registration move to the extension's log when it registers.
 * Copies at most size - 1 bytes and a terminating zero; returns the full
 * length without the terminator (as snprintf does). */
ZAVSIM_API size_t ZavSimReadLog(const char* extension, char* buffer, size_t size);

/* Clears the extension's log; a null extension clears every log. */
ZAVSIM_API void ZavSimClearLog(const char* extension);

/* Waits until the extension's log holds at least `count` lines that begin
 * with `prefix`. 1 when it does, 0 when the time ran out. */
ZAVSIM_API int ZavSimWaitForLog(const char* extension, const char* prefix, int count, uint32_t timeoutMs);

/* Endpoints that exist and belong to the extension (null: all endpoints,
 * registered or not), and of those the connected ones. */
ZAVSIM_API int ZavSimEndPointCount(const char* extension);
ZAVSIM_API int ZavSimConnectedCount(const char* extension);

/* Messages queued and not yet retrieved at the extension's endpoints (null:
 * at all endpoints). */
ZAVSIM_API int ZavSimPendingMessages(const char* extension);

/* Endpoint and message objects alive in the library, and the messages
 * alone: both 0 once every object handed out has been released. */
ZAVSIM_API int ZavSimLiveObjects(void);
ZAVSIM_API int ZavSimLiveMessages(void);

/* The call model: calls between the registered extensions and parties
 * outside, the provider's commands answered as the switch would answer
 * them (sim/README.md). It is off until switched on, so that a test can
 * script every message itself; while it is off the endpoints only log their
 * commands and the functions below give -1. Switching it off, or
 * ZavSimReset, forgets every call, conference, forwarding and pickup group
 * without a message. 0, or -1 for a failure.
 *
 * Calls are named by their global call id, which every message about the
 * call carries. Nothing times out by itself: ZavSimFireNoAnswer,
 * ZavSimFireParkTimeout and ZavSimFireRedirectTimeout play the switch's
 * timers. */
ZAVSIM_API int ZavSimSetCallModel(int on);

/* A party outside calls the extension through the trunk (0: none); null
 * texts are empty. The call's id, 0 when the extension is busy, cannot be
 * reached or has no free line appearance, -1 for a failure. */
ZAVSIM_API int32_t ZavSimExternalCall(const char* extension, const char* callerNum, const char* callerName,
                                      int32_t trunk);

/* The outside party the call rings answers, giving its name (null: none),
 * or refuses the call as busy. */
ZAVSIM_API int ZavSimExternalAnswer(int32_t callId, const char* name);
ZAVSIM_API int ZavSimExternalBusy(int32_t callId);

/* The outside party of the call hangs up, at any stage of the call. */
ZAVSIM_API int ZavSimExternalHangUp(int32_t callId);

/* The outside party of a connected call sends DTMF digits; the extension's
 * leg hears them while its digit collection is on. */
ZAVSIM_API int ZavSimExternalDigits(int32_t callId, const char* digits);

/* Calls to the extension find it busy (non-zero) or free again (0). */
ZAVSIM_API int ZavSimSetExtensionBusy(const char* extension, int busy);

/* The telephone set itself: the handset is lifted (the new leg's SAL, or
 * -1), a number is dialled on a leg of the set, a leg is hung up (SAL 0:
 * the handset is put down, ending every leg of the set not on hold). */
ZAVSIM_API int32_t ZavSimLiftHandset(const char* extension);
ZAVSIM_API int ZavSimDialOnSet(const char* extension, int32_t sal, const char* digits);
ZAVSIM_API int ZavSimHangUpSet(const char* extension, int32_t sal);

/* The no-answer timer of a call that is ringing fires: the call ends. */
ZAVSIM_API int ZavSimFireNoAnswer(int32_t callId);

/* The next command of the kind (ZAVSIM_CMD_*) that the extension's endpoint
 * sends is refused, whatever its arguments; later ones are answered again.
 * `result` is the failure, 0 for the kind's usual one: the result of the
 * hold, unhold, transfer or add-to-conference reply; OffHook's failure
 * code; for a conference, ZAVSIM_MSG_TOO_MANY_* (followed by a refused
 * conference reply when the extension has no conference yet) or the
 * conference reply's result; for a redirect or a park, the failure
 * message's type. Arming the same kind again replaces the failure.
 * sim/README.md gives what each leg hears. 0, or -1 for an unknown kind or
 * a failure the kind cannot have. */
ZAVSIM_API int ZavSimRefuseNext(const char* extension, int32_t command, int32_t result);

/* A transfer, park or redirect (ZAVSIM_RECALL_*) was not taken in time: the
 * call comes back to the extension at the SAL (0 only for a transfer: the
 * provider then picks one from 65 upward), from the caller (null texts are
 * empty). With the call model on, the call rings there until answered or
 * ended. Works with the model off too, as a message only. The recall's call
 * id, or -1 when the extension cannot take it. */
ZAVSIM_API int32_t ZavSimFireRecall(const char* extension, int32_t kind, int32_t sal, const char* callerNum,
                                    const char* callerName);

/* The parked call at the orbit (the digits its park named) was not taken
 * in time: it rings again at the extension that parked it, on a leg the
 * switch chooses, announced by eParkTimeout. The call's id, or -1 when
 * nothing is parked there or that extension cannot take the call. */
ZAVSIM_API int32_t ZavSimFireParkTimeout(const char* orbit);

/* A call that an extension redirected still rings where it was sent: it
 * comes back to that extension, announced by eRedirectTimeout. 0, or -1
 * when the call is no such call or the extension cannot take it. */
ZAVSIM_API int ZavSimFireRedirectTimeout(int32_t callId);

/* Puts the extension in a pickup group (null or empty: in none). A pickup
 * that names no extension takes the oldest call ringing in the group it
 * names, or in the picking extension's own. 0, or -1. */
ZAVSIM_API int ZavSimSetPickupGroup(const char* extension, const char* group);

/* How many conferences the switch holds at once (0: none may be built);
 * ZAVSIM_DEFAULT_CONFERENCE_LIMIT until set, and again after the model is
 * switched off or reset. 0, or -1 for a negative limit. */
ZAVSIM_API int ZavSimSetConferenceLimit(int32_t limit);

/* The calls, one line each, oldest first, such as "call 3: 201 sal 65
 * ringback, 202 sal 1 ringing", then one line per conference, such as
 * "conference 1 of 201: 202, 5551234"; copied as ZavSimReadLog copies. */
ZAVSIM_API size_t ZavSimDescribeCalls(char* buffer, size_t size);

/* The legs the extension has in calls; -1 while the call model is off. */
ZAVSIM_API int ZavSimLegCount(const char* extension);

/* The same functions as pointers, for resolving them by name. */
typedef int (*ZavSimAddAccountFn)(const ZavSimAccount*);
typedef void (*ZavSimResetFn)(void);
typedef int (*ZavSimInjectMessageFn)(const char*, const ZavSimMessage*);
typedef int (*ZavSimInjectShutdownFn)(const char*, int32_t);
typedef int (*ZavSimInjectPhoneQueryReplyFn)(const char*, const char*);
typedef int (*ZavSimSetSignalModeFn)(int);
typedef int (*ZavSimSetFaultsFn)(const char*, const ZavSimFaults*);
typedef size_t (*ZavSimReadLogFn)(const char*, char*, size_t);
typedef void (*ZavSimClearLogFn)(const char*);
typedef int (*ZavSimWaitForLogFn)(const char*, const char*, int, uint32_t);
typedef int (*ZavSimCountFn)(const char*);
typedef int (*ZavSimLiveFn)(void);
typedef int (*ZavSimSetCallModelFn)(int);
typedef int32_t (*ZavSimExternalCallFn)(const char*, const char*, const char*, int32_t);
typedef int (*ZavSimCallFn)(int32_t); /* ExternalBusy, ExternalHangUp, FireNoAnswer, FireRedirectTimeout */
typedef int (*ZavSimCallTextFn)(int32_t, const char*); /* ExternalAnswer, ExternalDigits */
typedef int (*ZavSimSetExtensionBusyFn)(const char*, int);
typedef int32_t (*ZavSimLiftHandsetFn)(const char*);
typedef int (*ZavSimDialOnSetFn)(const char*, int32_t, const char*);
typedef int (*ZavSimHangUpSetFn)(const char*, int32_t);
typedef size_t (*ZavSimDescribeCallsFn)(char*, size_t);
typedef int (*ZavSimRefuseNextFn)(const char*, int32_t, int32_t);
typedef int32_t (*ZavSimFireRecallFn)(const char*, int32_t, int32_t, const char*, const char*);
typedef int32_t (*ZavSimFireParkTimeoutFn)(const char*);
typedef int (*ZavSimSetPickupGroupFn)(const char*, const char*);
typedef int (*ZavSimSetConferenceLimitFn)(int32_t);

#ifdef __cplusplus
}
#endif
