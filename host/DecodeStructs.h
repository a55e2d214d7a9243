// The structures a provider fills for the device and call queries, one line
// per field, for the console and the demo:
//
//   dwAddressModes = 0x3 (ADDRESSID|DIALABLEADDR)
//   dwLineName = "x201, Front Desk" [size 32, offset 0x108]
//
// Only the TAPI 2.x fixed part is read (tapi/TapiSizes.h), and of it only
// what lies within dwTotalSize: a structure an application sized for an
// older version shows the fields it has and a note for the rest. Texts in
// the variable part are the provider's UTF-16, shown in the ANSI code page.
#pragma once

#include <string>
#include <vector>

#include "host/TapiBuffer.h"

namespace zavhost {

// Every line starts with two blanks, to sit under a heading.
std::vector<std::string> DecodeLineDevCaps(const TapiBuffer& devCaps);
std::vector<std::string> DecodeLineAddressCaps(const TapiBuffer& addressCaps);
std::vector<std::string> DecodeLineCallInfo(const TapiBuffer& callInfo);
std::vector<std::string> DecodeLineCallStatus(const TapiBuffer& callStatus);

}  // namespace zavhost
