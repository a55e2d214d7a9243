// TAPI and TSPI handle types with the widths the MinGW-w64 headers give them
// on x64. Application-side handles are 32-bit values; the provider's own
// handles (HDRV*) and TAPI's handles for the provider's objects (HTAPI*) are
// pointers to distinct opaque const structures, so that one kind cannot be
// passed for another and a provider object pointer needs an explicit cast
// both ways. HTAPIDIALOGINSTANCE is the exception: 32-bit, as declared there.
//
// Includes nothing: the layout test includes this inside a namespace.
#pragma once

typedef DWORD HCALL;
typedef HCALL* LPHCALL;
typedef DWORD HLINE;
typedef HLINE* LPHLINE;
typedef DWORD HPHONE;
typedef HPHONE* LPHPHONE;
typedef DWORD HLINEAPP;
typedef HLINEAPP* LPHLINEAPP;
typedef DWORD HPHONEAPP;
typedef HPHONEAPP* LPHPHONEAPP;

typedef HICON* LPHICON;

struct HDRVCALL__ {
    int unused;
};
typedef const struct HDRVCALL__* HDRVCALL;
struct HDRVLINE__ {
    int unused;
};
typedef const struct HDRVLINE__* HDRVLINE;
struct HDRVPHONE__ {
    int unused;
};
typedef const struct HDRVPHONE__* HDRVPHONE;
struct HDRVDIALOGINSTANCE__ {
    int unused;
};
typedef const struct HDRVDIALOGINSTANCE__* HDRVDIALOGINSTANCE;

typedef HDRVCALL* LPHDRVCALL;
typedef HDRVLINE* LPHDRVLINE;
typedef HDRVPHONE* LPHDRVPHONE;
typedef HDRVDIALOGINSTANCE* LPHDRVDIALOGINSTANCE;

struct HTAPICALL__ {
    int unused;
};
typedef const struct HTAPICALL__* HTAPICALL;
struct HTAPILINE__ {
    int unused;
};
typedef const struct HTAPILINE__* HTAPILINE;
struct HTAPIPHONE__ {
    int unused;
};
typedef const struct HTAPIPHONE__* HTAPIPHONE;
typedef DWORD HTAPIDIALOGINSTANCE;

typedef HTAPICALL* LPHTAPICALL;
typedef HTAPILINE* LPHTAPILINE;
typedef HTAPIPHONE* LPHTAPIPHONE;
typedef HTAPIDIALOGINSTANCE* LPHTAPIDIALOGINSTANCE;

struct HPROVIDER__ {
    int unused;
};
typedef const struct HPROVIDER__* HPROVIDER;
typedef HPROVIDER* LPHPROVIDER;
