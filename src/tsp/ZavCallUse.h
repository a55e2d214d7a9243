// Keeps a call a TSPI function works on alive from the translation of its
// handle to its last use (see the lifetime rule in callctrl/ZavCallHub.h).
#pragma once

#include "tapi/Tapi.h"

class ZavPhone;

class ZavCallUse {
public:
    // Takes the message lock of the extension the handle names, if any; a
    // handle that names no extension needs no lock, it translates to no call.
    explicit ZavCallUse(HDRVCALL hdCall);
    // The extension's lock for a call about to be made on it.
    explicit ZavCallUse(ZavPhone* phone);
    ~ZavCallUse();
    ZavCallUse(const ZavCallUse&) = delete;
    ZavCallUse& operator=(const ZavCallUse&) = delete;

private:
    ZavPhone* m_pPhone;
};
