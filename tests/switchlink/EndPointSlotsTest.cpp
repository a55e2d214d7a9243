// Every method of the endpoint contract sits on the slot a component built
// by someone else implements it at. With the Itanium C++ ABI (GCC on both
// targets) a pointer to a virtual member holds 1 + the slot's byte offset.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "zav/EndPoint.h"

namespace {

template <typename Interface, typename Method>
long SlotOf(Method Interface::*method) {
    std::ptrdiff_t raw = 0;
    std::memcpy(&raw, &method, sizeof raw);
    return static_cast<long>((raw - 1) / static_cast<std::ptrdiff_t>(sizeof(void*)));
}

#define ZAV_SLOT(iface, name, slot) {#name, SlotOf(&iface::name), slot}

struct Slot {
    const char* name;
    long actual, expected;
};

TEST(EndPointContract, EndPointMethodsSitOnTheirSlots) {
    const Slot slots[] = {
        // QueryInterface is overloaded in Windows' own IUnknown.
        ZAV_SLOT(IEndPoint, AddRef, 1),
        ZAV_SLOT(IEndPoint, Release, 2),
        ZAV_SLOT(IEndPoint, Unregister, 8),
        ZAV_SLOT(IEndPoint, OffHook, 9),
        ZAV_SLOT(IEndPoint, OnHook, 10),
        ZAV_SLOT(IEndPoint, Transfer, 12),
        ZAV_SLOT(IEndPoint, CompleteTransfer, 13),
        ZAV_SLOT(IEndPoint, Answer, 14),
        ZAV_SLOT(IEndPoint, Conference, 15),
        ZAV_SLOT(IEndPoint, AddToConf, 16),
        ZAV_SLOT(IEndPoint, RetrieveMsg, 17),
        ZAV_SLOT(IEndPoint, ConnectToServer, 20),
        ZAV_SLOT(IEndPoint, DisconnectFromServer, 21),
        ZAV_SLOT(IEndPoint, ConfigServerA, 22),
        ZAV_SLOT(IEndPoint, DialDigitsA, 23),
        ZAV_SLOT(IEndPoint, RegisterA, 24),
        ZAV_SLOT(IEndPoint, Hold, 25),
        ZAV_SLOT(IEndPoint, Unhold, 26),
        ZAV_SLOT(IEndPoint, Park, 27),
        ZAV_SLOT(IEndPoint, UnPark, 28),
        ZAV_SLOT(IEndPoint, QueryCurrentConfigA, 30),
        ZAV_SLOT(IEndPoint, Pickup, 36),
        ZAV_SLOT(IEndPoint, GenerateTone, 37),
        ZAV_SLOT(IEndPoint, SendDigitCollectMsg, 38),
        ZAV_SLOT(IEndPoint, Forward, 39),
        ZAV_SLOT(IEndPoint, ConfDrop, 40),
        ZAV_SLOT(IEndPoint, SetMWI, 41),
        ZAV_SLOT(IEndPoint, SetLCDDisplay, 42),
        ZAV_SLOT(IEndPoint, Redirect, 43),
        ZAV_SLOT(IEndPoint, AcknowledgeMsg, 44),
    };
    for (const Slot& s : slots) EXPECT_EQ(s.actual, s.expected) << s.name;
}

TEST(EndPointContract, MessageGettersSitOnTheirSlots) {
    const Slot slots[] = {
        ZAV_SLOT(IMsgInt, GetMsgType, 7),       ZAV_SLOT(IMsgInt, GetCategory, 8),
        ZAV_SLOT(IMsgInt, GetResult, 10),       ZAV_SLOT(IMsgInt, GetSAL1, 11),
        ZAV_SLOT(IMsgInt, GetSAL2, 12),         ZAV_SLOT(IMsgInt, GetReason, 15),
        ZAV_SLOT(IMsgInt, GetDigit, 16),        ZAV_SLOT(IMsgInt, GetRequestId, 22),
        ZAV_SLOT(IMsgInt, GetExtension, 23),    ZAV_SLOT(IMsgInt, GetCallerName, 24),
        ZAV_SLOT(IMsgInt, GetCallerNum, 25),    ZAV_SLOT(IMsgInt, HasQueryItem6, 26),
        ZAV_SLOT(IMsgInt, GetQueryItem6, 27),   ZAV_SLOT(IMsgInt, GetDialedNum, 30),
        ZAV_SLOT(IMsgInt, GetVDN, 31),          ZAV_SLOT(IMsgInt, GetTrunk, 33),
        ZAV_SLOT(IMsgInt, GetSerialNum, 34),    ZAV_SLOT(IMsgInt, GetGlobalCallId, 36),
        ZAV_SLOT(IMsgInt, GetDeviceType, 37),   ZAV_SLOT(IMsgInt, GetRedirectingNum, 39),
        ZAV_SLOT(IMsgInt, GetRedirectionNum, 41),
    };
    for (const Slot& s : slots) EXPECT_EQ(s.actual, s.expected) << s.name;
}

}  // namespace
