// An 8-bit text handed to the endpoint as a BSTR for the length of one call,
// made with its byte length and freed right after.
#pragma once

#include <string>

#include "platform/Bstr.h"

class ZavBstrArg {
public:
    explicit ZavBstrArg(const std::string& text)
        : m_bstr(plat::AllocBstrBytes(text.data(), static_cast<UINT>(text.size()))) {}
    ~ZavBstrArg() { plat::FreeBstr(m_bstr); }
    ZavBstrArg(const ZavBstrArg&) = delete;
    ZavBstrArg& operator=(const ZavBstrArg&) = delete;
    operator BSTR() const { return m_bstr; }

private:
    BSTR m_bstr;
};
