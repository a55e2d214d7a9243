// Every TAPI and TSPI constant the provider may use, for targets without the
// system TAPI headers. Self-contained: it needs no types, so a translation
// unit can include it alone to compare our values with the system's.
#pragma once

#include "tapi/own/LineCallConstants.h"
#include "tapi/own/LineDeviceConstants.h"
#include "tapi/own/PhoneConstants.h"
#include "tapi/own/TapiErrors.h"
#include "tapi/own/TapiMessages.h"

// The version the system headers declare themselves as; it says nothing about
// the versions the provider negotiates (tapi/TapiVersions.h).
#ifndef TAPI_CURRENT_VERSION
#define TAPI_CURRENT_VERSION 0x00030001
#endif

// dwDeviceID of a version negotiation that is not about one device. Unsigned
// so that it compares equal to the DWORD it is passed as.
#define INITIALIZE_NEGOTIATION 0xFFFFFFFFU

// TSPI_providerInit's *lpdwTSPIOptions
#define LINETSPIOPTION_NONREENTRANT 0x00000001

// dwObjectType of TUISPIDLLCALLBACK and TSPI_providerGenericDialogData
#define TUISPIDLL_OBJECT_LINEID 1
#define TUISPIDLL_OBJECT_PHONEID 2
#define TUISPIDLL_OBJECT_PROVIDERID 3
#define TUISPIDLL_OBJECT_DIALOGINSTANCE 4
