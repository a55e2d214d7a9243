// The field-by-field decoding of a LINEDEVCAPS: names, texts and lists read
// right, and nothing is read past dwTotalSize, however an application sized
// the structure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "host/DecodeStructs.h"

namespace {

constexpr char16_t kLineName[] = u"x201, Front Desk";  // stored without its NUL
constexpr char16_t kClasses[] = u"tapi/line\0wave/in\0wave/out\0";
constexpr DWORD kNameSize = (std::size(kLineName) - 1) * 2;
constexpr DWORD kClassesSize = std::size(kClasses) * 2;
constexpr DWORD kFullSize = tapi::kLineDevCapsSize20 + kNameSize + kClassesSize;

// What a provider writes into a buffer of kFullSize.
zavhost::TapiBuffer FullDevCaps() {
    zavhost::TapiBuffer buffer(kFullSize);
    LINEDEVCAPS* caps = buffer.As<LINEDEVCAPS>();
    caps->dwAddressModes = LINEADDRESSMODE_ADDRESSID | LINEADDRESSMODE_DIALABLEADDR | 0x80000000;
    caps->dwLineNameSize = kNameSize;
    caps->dwLineNameOffset = tapi::kLineDevCapsSize20;
    caps->dwDeviceClassesSize = kClassesSize;
    caps->dwDeviceClassesOffset = tapi::kLineDevCapsSize20 + kNameSize;
    std::memcpy(buffer.Data() + caps->dwLineNameOffset, kLineName, kNameSize);
    std::memcpy(buffer.Data() + caps->dwDeviceClassesOffset, kClasses, kClassesSize);
    return buffer;
}

TEST(DecodeStructs, LineDevCapsShowsOnlyWhatLiesWithinTheTotalSize) {
    const std::string kModes = "  dwAddressModes = 0x80000003 (ADDRESSID|DIALABLEADDR|0x80000000)";
    struct Case {
        DWORD totalSize;
        const char* lastField;
        std::vector<std::string> lines;
    } cases[] = {
        {kFullSize,
         "dwDeviceClasses",
         {kModes, "  dwLineName = \"x201, Front Desk\" [size 32, offset 0xFC]",
          "  dwDeviceClasses = \"tapi/line\", \"wave/in\", \"wave/out\" [size 56, offset 0x11C]"}},
        // The fixed part only: the texts lie past it.
        {tapi::kLineDevCapsSize20,
         "dwDeviceClasses",
         {kModes, "  dwLineName = (past dwTotalSize) [size 32, offset 0xFC]"}},
        // An older application's short structure ends half-way into dwNumAddresses.
        {offsetof(LINEDEVCAPS, dwNumAddresses) + 2,
         "dwAddressModes",
         {kModes, "  dwLineName = (past dwTotalSize) [size 32, offset 0xFC]"}},
    };
    const zavhost::TapiBuffer full = FullDevCaps();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.totalSize);
        zavhost::TapiBuffer buffer(c.totalSize);
        std::memcpy(buffer.Data() + 4, full.Data() + 4, std::min(c.totalSize, kFullSize) - 4);
        const std::vector<std::string> decoded = zavhost::DecodeLineDevCaps(buffer);
        std::string text;
        for (const std::string& line : decoded) text += line + "\n";
        for (const std::string& line : c.lines)
            EXPECT_NE(std::find(decoded.begin(), decoded.end(), line), decoded.end()) << line << "\n" << text;
        auto last = std::find_if(decoded.rbegin(), decoded.rend(),
                                 [](const std::string& line) { return line.rfind("  dw", 0) == 0; });
        ASSERT_NE(last, decoded.rend()) << text;
        EXPECT_EQ(last->substr(0, last->find(" = ")), std::string("  ") + c.lastField) << text;
    }
}

}  // namespace
