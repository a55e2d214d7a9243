// The switch endpoint component's contract, for the provider and for anyone
// who builds a component to stand in for the switch's own.
//
// Both interfaces are plain vtables with IUnknown first; every method returns
// an HRESULT (negative: failure). Texts travel as BSTRs holding 8-bit
// characters; numbers are 32-bit. Methods that the provider never calls keep
// their slots as ReservedN placeholders so that every other method lands on
// the slot a component implements it at. A test checks each slot.
#pragma once

#include "platform/WinTypes.h"

// Message categories carried by IMsgInt::GetCategory.
inline constexpr LONG kZavCategoryRegistration = 0x10000;  // registration replies and shutdown
inline constexpr LONG kZavCategoryCallControl = 0x20000;
inline constexpr LONG kZavCategoryPhoneQuery = 0x30000;

// {7B3E2A10-5C44-4D2B-9E61-0A4C2F8D1E01}
inline constexpr CLSID CLSID_ZavEndPoint = {0x7B3E2A10, 0x5C44, 0x4D2B, {0x9E, 0x61, 0x0A, 0x4C, 0x2F, 0x8D, 0x1E, 0x01}};
// {7B3E2A11-5C44-4D2B-9E61-0A4C2F8D1E01}
inline constexpr IID IID_IZavEndPoint = {0x7B3E2A11, 0x5C44, 0x4D2B, {0x9E, 0x61, 0x0A, 0x4C, 0x2F, 0x8D, 0x1E, 0x01}};
// {7B3E2A12-5C44-4D2B-9E61-0A4C2F8D1E01}
inline constexpr IID IID_IZavMsgInt = {0x7B3E2A12, 0x5C44, 0x4D2B, {0x9E, 0x61, 0x0A, 0x4C, 0x2F, 0x8D, 0x1E, 0x01}};

// One message from the switch. The receiver releases it.
struct IMsgInt : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMsgType(LONG* value) = 0;  // 7
    virtual HRESULT STDMETHODCALLTYPE GetCategory(LONG* value) = 0;  // 8
    virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResult(LONG* value) = 0;  // 10
    virtual HRESULT STDMETHODCALLTYPE GetSAL1(LONG* value) = 0;    // 11
    virtual HRESULT STDMETHODCALLTYPE GetSAL2(LONG* value) = 0;    // 12
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetReason(LONG* value) = 0;  // 15
    virtual HRESULT STDMETHODCALLTYPE GetDigit(LONG* value) = 0;   // 16
    virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved20() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRequestId(LONG* value) = 0;     // 22
    virtual HRESULT STDMETHODCALLTYPE GetExtension(BSTR* text) = 0;      // 23
    virtual HRESULT STDMETHODCALLTYPE GetCallerName(BSTR* text) = 0;     // 24
    virtual HRESULT STDMETHODCALLTYPE GetCallerNum(BSTR* text) = 0;      // 25
    virtual HRESULT STDMETHODCALLTYPE HasQueryItem6(LONG* present) = 0;  // 26
    virtual HRESULT STDMETHODCALLTYPE GetQueryItem6(BSTR* text) = 0;     // 27
    virtual HRESULT STDMETHODCALLTYPE Reserved28() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved29() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDialedNum(BSTR* text) = 0;  // 30
    virtual HRESULT STDMETHODCALLTYPE GetVDN(LONG* value) = 0;       // 31
    virtual HRESULT STDMETHODCALLTYPE Reserved32() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTrunk(BSTR* text) = 0;       // 33
    virtual HRESULT STDMETHODCALLTYPE GetSerialNum(LONG* value) = 0;  // 34
    virtual HRESULT STDMETHODCALLTYPE Reserved35() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetGlobalCallId(LONG* value) = 0;  // 36
    virtual HRESULT STDMETHODCALLTYPE GetDeviceType(LONG* value) = 0;    // 37
    virtual HRESULT STDMETHODCALLTYPE Reserved38() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRedirectingNum(BSTR* text) = 0;  // 39
    virtual HRESULT STDMETHODCALLTYPE Reserved40() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRedirectionNum(BSTR* text) = 0;  // 41
};

// One extension's link to the switch.
struct IEndPoint : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unregister() = 0;                            // 8
    virtual HRESULT STDMETHODCALLTYPE OffHook(LONG sal, DWORD callHandle) = 0;     // 9
    virtual HRESULT STDMETHODCALLTYPE OnHook(LONG sal) = 0;                        // 10
    virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;
    virtual HRESULT STDMETHODCALLTYPE Transfer(DWORD callHandle) = 0;              // 12
    virtual HRESULT STDMETHODCALLTYPE CompleteTransfer(LONG sal) = 0;              // 13
    virtual HRESULT STDMETHODCALLTYPE Answer(LONG sal, DWORD callHandle) = 0;      // 14
    virtual HRESULT STDMETHODCALLTYPE Conference(DWORD callHandle) = 0;            // 15
    virtual HRESULT STDMETHODCALLTYPE AddToConf(LONG sal) = 0;                     // 16
    virtual HRESULT STDMETHODCALLTYPE RetrieveMsg(IMsgInt** message) = 0;          // 17
    virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
    virtual HRESULT STDMETHODCALLTYPE ConnectToServer(HANDLE* messageEvent) = 0;   // 20
    virtual HRESULT STDMETHODCALLTYPE DisconnectFromServer() = 0;                  // 21
    virtual HRESULT STDMETHODCALLTYPE ConfigServerA(BSTR address, LONG port) = 0;  // 22
    virtual HRESULT STDMETHODCALLTYPE DialDigitsA(LONG sal, BSTR digits) = 0;      // 23
    virtual HRESULT STDMETHODCALLTYPE RegisterA(BSTR extension, BSTR password) = 0;  // 24
    virtual HRESULT STDMETHODCALLTYPE Hold(LONG sal) = 0;                            // 25
    virtual HRESULT STDMETHODCALLTYPE Unhold(LONG sal, DWORD callHandle) = 0;        // 26
    virtual HRESULT STDMETHODCALLTYPE Park(LONG sal, BSTR digits) = 0;               // 27
    virtual HRESULT STDMETHODCALLTYPE UnPark(LONG sal, BSTR digits) = 0;             // 28
    virtual HRESULT STDMETHODCALLTYPE Reserved29() = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryCurrentConfigA(BSTR* address, LONG* port) = 0;  // 30
    virtual HRESULT STDMETHODCALLTYPE Reserved31() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved32() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved33() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved34() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved35() = 0;
    virtual HRESULT STDMETHODCALLTYPE Pickup(LONG sal, BSTR digits, LONG directed) = 0;       // 36
    virtual HRESULT STDMETHODCALLTYPE GenerateTone(LONG sal, WORD toneMode, LONG duration) = 0;  // 37
    virtual HRESULT STDMETHODCALLTYPE SendDigitCollectMsg(LONG sal, LONG start) = 0;          // 38
    virtual HRESULT STDMETHODCALLTYPE Forward(BSTR digits, LONG ringsNoAnswer) = 0;           // 39
    virtual HRESULT STDMETHODCALLTYPE ConfDrop(LONG sal) = 0;                                 // 40
    virtual HRESULT STDMETHODCALLTYPE SetMWI(LONG state) = 0;                                 // 41
    virtual HRESULT STDMETHODCALLTYPE SetLCDDisplay(BSTR text) = 0;                           // 42
    virtual HRESULT STDMETHODCALLTYPE Redirect(BSTR digits, LONG sal, DWORD callHandle) = 0;  // 43
    virtual HRESULT STDMETHODCALLTYPE AcknowledgeMsg() = 0;                                   // 44
};
