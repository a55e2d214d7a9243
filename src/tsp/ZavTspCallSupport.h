// What the TSPI functions that work on calls share: how an accepted
// asynchronous request is answered, the parameters of a call made without
// any, and reading TAPI's texts.
#pragma once

#include <string>

#include "tapi/Tapi.h"

class ZavAddress;
class ZavCall;

// Traces the accepted request and gives TAPI its identifier back.
LONG ZavAccepted(DRV_REQUESTID dwRequestID);

// The call's hub still holds it: the message thread may have ended it.
bool ZavStillInHub(ZavAddress* addr, ZavCall* call);

std::size_t ZavWideLength(LPCWSTR text);
// TAPI's UTF-16 text in the system code page; empty for null.
std::string ZavToAnsi(LPCWSTR text);

// The given parameters (and their media mode, when they name one), or
// those of a voice call of the address, giving up after six seconds a ring.
void ZavApplyCallParams(ZavCall& call, const LINECALLPARAMS* params, const ZavAddress& addr);
