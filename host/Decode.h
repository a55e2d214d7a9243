// Names for printing what a provider sends: message numbers, call states,
// the state bit sets, TAPI error codes, and one line per journal entry.
#pragma once

#include <span>
#include <string>

#include "host/Journal.h"
#include "tapi/Tapi.h"
#include "tapi/TapiNames.h"

namespace zavhost {

// "LINE_CALLSTATE"; "MSG_<n>" for a number TAPI does not define.
const char* MessageName(DWORD msg);
// "CONNECTED"; "" for a value that is not exactly one state.
const char* CallStateName(DWORD state);
// The names of the set bits joined with '|', without their family prefix;
// bits no name covers as hex; "" for 0.
std::string BitNames(std::span<const tapi::ConstantName> names, DWORD bits);
// Bits joined with '|' ("RINGING|REINIT"); unknown bits as hex; "" for 0.
std::string LineDevStateNames(DWORD bits);
std::string AddressStateNames(DWORD bits);
std::string CallInfoStateNames(DWORD bits);
std::string PhoneStateNames(DWORD bits);
// "OPERATIONFAILED" for LINEERR_OPERATIONFAILED; "" when unknown.
const char* LineErrorName(LONG code);

std::string Hex(DWORD_PTR value);   // 0x80, 0x0
std::string Hex8(DWORD_PTR value);  // 0x00000080 (wider values in full)
// 0x0, 0x5 or 0x80000048(OPERATIONFAILED).
std::string ResultText(LONG result);

// One line, e.g. "LINE_LINEDEVSTATE line=0 p1=0x00040000(REINIT) p2=0x0 p3=0x80".
std::string FormatEntry(const JournalEntry& entry);

}  // namespace zavhost
