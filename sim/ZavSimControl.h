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

/* Forgets every account, fault setting and command log, and signals paced
 * again. Live endpoints keep
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

#ifdef __cplusplus
}
#endif
