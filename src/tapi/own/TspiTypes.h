// Types of the TSPI boundary: request ids, the procedures through which the
// provider reports to TAPI, and the parameters of a dialog the provider asks
// TAPI to start. Parameter lists as in the MinGW-w64 tspi.h.
//
// Includes nothing and defines no macros: the layout test includes this
// inside a namespace next to the system headers.
// Needs the base types and tapi/own/TapiHandles.h.
#pragma once

typedef DWORD DRV_REQUESTID;

typedef void(CALLBACK* ASYNC_COMPLETION)(DRV_REQUESTID dwRequestID, LONG lResult);
typedef void(CALLBACK* LINEEVENT)(HTAPILINE htLine, HTAPICALL htCall, DWORD dwMsg, DWORD_PTR dwParam1,
                                  DWORD_PTR dwParam2, DWORD_PTR dwParam3);
typedef void(CALLBACK* PHONEEVENT)(HTAPIPHONE htPhone, DWORD dwMsg, DWORD_PTR dwParam1, DWORD_PTR dwParam2,
                                   DWORD_PTR dwParam3);
typedef LONG(CALLBACK* TUISPIDLLCALLBACK)(DWORD_PTR dwObjectID, DWORD dwObjectType, LPVOID lpParams,
                                          DWORD dwSize);

// Naturally aligned, unlike the TAPI structures: tspi.h declares it after
// tapi.h has reset the packing.
typedef struct tuispicreatedialoginstanceparams_tag {
    DRV_REQUESTID dwRequestID;
    HDRVDIALOGINSTANCE hdDlgInst;
    HTAPIDIALOGINSTANCE htDlgInst;
    LPCWSTR lpszUIDLLName;
    LPVOID lpParams;
    DWORD dwSize;
} TUISPICREATEDIALOGINSTANCEPARAMS, *LPTUISPICREATEDIALOGINSTANCEPARAMS;
