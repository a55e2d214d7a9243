#include "callctrl/ZavMsgTypes.h"

namespace {

struct MsgName {
    long type;
    const char* name;
};

#define ZAV_MSG(x) {x, #x}
const MsgName kNames[] = {
    ZAV_MSG(eRegisterReply),        ZAV_MSG(eUnregisterReply),   ZAV_MSG(eShutdown),
    ZAV_MSG(eOffhookReply),         ZAV_MSG(eAnswerReply),       ZAV_MSG(eOnhookReply),
    ZAV_MSG(eTransferReply),        ZAV_MSG(eTransferEndReply),  ZAV_MSG(eBlindTransferReply),
    ZAV_MSG(eConferenceReply),      ZAV_MSG(eAddToConfReply),    ZAV_MSG(eHoldReply),
    ZAV_MSG(eUnholdReply),          ZAV_MSG(eParkReply),         ZAV_MSG(eUnparkReply),
    ZAV_MSG(eForwardReply),         ZAV_MSG(eRedirectReply),     ZAV_MSG(eNewCall),
    ZAV_MSG(eRingBack),             ZAV_MSG(eConnected),         ZAV_MSG(eBusy),
    ZAV_MSG(eOnhookLocal),          ZAV_MSG(eOnhookRemote),      ZAV_MSG(eDigitLocal),
    ZAV_MSG(eDigitRemote),          ZAV_MSG(eStopDialtone),      ZAV_MSG(eTransferTimeout),
    ZAV_MSG(eParkGeneralFailure),   ZAV_MSG(eParkSuccess),       ZAV_MSG(eParkCancelled),
    ZAV_MSG(eParkTimeout),          ZAV_MSG(eParkExtInUse),      ZAV_MSG(eParkInvalidExt),
    ZAV_MSG(eTooManyPartiesInConf), ZAV_MSG(eTooManyConfInSys),  ZAV_MSG(eUnparkSuccess),
    ZAV_MSG(eRedirectExtBusy),      ZAV_MSG(eRedirectGeneralFailure), ZAV_MSG(eRedirectTimeout),
    ZAV_MSG(eRedirectSuccess),      ZAV_MSG(eRedirectNotAllowed), ZAV_MSG(eForwardEnd),
    ZAV_MSG(ePhoneQueryReply),      ZAV_MSG(ePhoneConfigReply),
};
#undef ZAV_MSG

}  // namespace

const char* ZavMsgTypeName(long msgType) {
    for (const MsgName& n : kNames)
        if (n.type == msgType) return n.name;
    return "Unknown Msg";
}
