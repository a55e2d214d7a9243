// What the TSPI functions that work on calls share: how an accepted
// asynchronous request is answered, the parameters of a call made without
// any, and reading TAPI's texts.
#pragma once

#include <string>

#include "tapi/Tapi.h"

class ZavAddress;
class ZavCall;
class ZavLine;
class ZavPhone;
class ZavSession;

// The telephone behind a line: its address 0, that address's hub, the
// hub's phone. Null when any link is missing, or for a null line.
ZavPhone* ZavPhoneOfLine(const ZavLine* line);

// What a call handle names: the live call with its line and address.
struct ZavCallRefs {
    ZavLine* line = nullptr;
    ZavAddress* addr = nullptr;
    ZavCall* call = nullptr;
};
// False when the handle names no live call of an address. The caller holds
// the extension's lock (ZavCallUse) for as long as it uses what it found.
bool ZavFindCall(const ZavSession& session, HDRVCALL hdCall, ZavCallRefs& found);

// Traces the accepted request and gives TAPI its identifier back.
LONG ZavAccepted(DRV_REQUESTID dwRequestID);

// The call's hub still holds it: the message thread may have ended it.
bool ZavStillInHub(ZavAddress* addr, ZavCall* call);

// Two call handles of one extension: only then can one lock cover both.
bool ZavSameExtension(HDRVCALL a, HDRVCALL b);

std::size_t ZavWideLength(LPCWSTR text);
// TAPI's UTF-16 text in the system code page; empty for null.
std::string ZavToAnsi(LPCWSTR text);

// The given parameters (and their media mode, when they name one), or
// those of a voice call of the address, giving up after six seconds a ring.
void ZavApplyCallParams(ZavCall& call, const LINECALLPARAMS* params, const ZavAddress& addr);
