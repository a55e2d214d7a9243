// One call-control message from the switch, as the message thread hands it
// to the extension's call hub: eight numbers and seven texts, the texts
// valid only while the message is handled and empty when absent.
#pragma once

#include <cstring>

#include "tapi/Tapi.h"

struct ZavCallCtrlMsg {
    long msgType;
    long result;
    long sal1;
    long sal2;
    long reqId;
    long reason;
    long digit;
    long gCallId;
    const char* callerNum;
    const char* ext;
    const char* callerName;
    const char* dialedNum;
    const char* trunk;
    const char* redirectingNum;
    const char* redirectionNum;
};

// A text of a message as the handlers take it into a call: at most 31
// characters (longer texts are cut), absent when empty.
class ZavMsgText {
public:
    explicit ZavMsgText(const char* text) {
        if (!text) return;
        std::strncpy(m_text, text, sizeof m_text - 1);
        m_text[sizeof m_text - 1] = '\0';
    }
    bool Present() const { return m_text[0] != '\0'; }
    // Null when absent, for the operations that take a missing name so.
    const char* OrNull() const { return Present() ? m_text : nullptr; }
    const char* Text() const { return m_text; }

private:
    char m_text[32] = "";
};

// Where a caller the switch names comes from: short numbers not beginning
// with 7 are the switch's own extensions; the 7 prefix and long numbers
// come through trunks.
inline DWORD ZavOriginOf(const char* number) {
    return std::strlen(number) < 7 && number[0] != '7' ? LINECALLORIGIN_INTERNAL : LINECALLORIGIN_EXTERNAL;
}
