// The switch's message type codes and their names in traces.
#pragma once

enum ZavMsgTypeE : long {
    eRegisterReply = 0x10001,
    eUnregisterReply = 0x10002,
    eShutdown = 0x10003,

    eOffhookReply = 0x20001,
    eAnswerReply = 0x20002,
    eOnhookReply = 0x20003,
    eTransferReply = 0x20004,
    eTransferEndReply = 0x20005,
    eBlindTransferReply = 0x20006,
    eConferenceReply = 0x20007,
    eAddToConfReply = 0x20008,
    eHoldReply = 0x20009,
    eUnholdReply = 0x2000A,
    eParkReply = 0x2000B,
    eUnparkReply = 0x2000C,
    eForwardReply = 0x2000D,
    eRedirectReply = 0x2000E,

    eNewCall = 0x28001,
    eRingBack = 0x28002,
    eConnected = 0x28003,
    eBusy = 0x28004,
    eOnhookLocal = 0x28005,
    eOnhookRemote = 0x28006,
    eDigitLocal = 0x28007,
    eDigitRemote = 0x28008,
    eStopDialtone = 0x28009,
    eTransferTimeout = 0x2800E,
    eParkGeneralFailure = 0x2800F,
    eParkSuccess = 0x28010,
    eParkCancelled = 0x28011,
    eParkTimeout = 0x28012,
    eParkExtInUse = 0x28013,
    eParkInvalidExt = 0x28014,
    eTooManyPartiesInConf = 0x28015,
    eTooManyConfInSys = 0x28016,
    eUnparkSuccess = 0x28017,
    eRedirectExtBusy = 0x28018,
    eRedirectGeneralFailure = 0x28019,
    eRedirectTimeout = 0x2801A,
    eRedirectSuccess = 0x2801B,
    eRedirectNotAllowed = 0x2801C,
    eForwardEnd = 0x2801D,

    ePhoneQueryReply = 0x30001,
    ePhoneConfigReply = 0x30002,
};

// "eNewCall" for 0x28001 and so on; "Unknown Msg" for any other code.
const char* ZavMsgTypeName(long msgType);
