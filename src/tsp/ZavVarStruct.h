// Fills a TAPI structure of variable size as TAPI 2.x expects: the caller's
// fixed part first, then variable parts packed behind it, each only while it
// fits within dwTotalSize, with dwNeededSize telling what the whole would
// take. Nothing is ever written at or past dwTotalSize.
//
// Every such structure starts with dwTotalSize, dwNeededSize and
// dwUsedSize; the size and offset words of a variable part lie inside the
// fixed part, which the caller has checked fits.
#pragma once

#include <string>
#include <vector>

#include "tapi/Tapi.h"

class ZavVarStruct {
public:
    // `fixedSize` is the TAPI 2.x size of the fixed part (see TapiSizes.h).
    ZavVarStruct(void* structure, DWORD fixedSize);

    DWORD TotalSize() const { return m_total; }
    DWORD FixedSize() const { return m_fixed; }

    // Counts a part into dwNeededSize, whether or not it will fit.
    void Need(DWORD bytes);
    // Packs a part at the next free byte and sets its size and offset words;
    // false, writing nothing, when it does not fit.
    bool Append(const void* data, DWORD bytes, DWORD* sizeWord, DWORD* offsetWord);
    // Some structures count a text's terminating null, others leave it out.
    enum class Null { Kept, Dropped };
    // `text` as UTF-16; its size in bytes, for Need.
    bool AppendWide(const std::string& text, DWORD* sizeWord, DWORD* offsetWord, Null null = Null::Kept);
    static DWORD WideSize(const std::string& text, Null null = Null::Kept);
    // A list of texts in UTF-16, each ending in a null, one more null after
    // the last; its size in bytes, for Need.
    bool AppendWideList(const std::vector<std::string>& texts, DWORD* sizeWord, DWORD* offsetWord);
    static DWORD WideListSize(const std::vector<std::string>& texts);

    // Everything counted so far fits within dwTotalSize: for structures
    // whose variable part is written whole or not at all.
    bool AllFits() const { return m_needed <= m_total; }

private:
    void Store();

    BYTE* m_base;
    DWORD m_total;
    DWORD m_fixed;
    DWORD m_needed;
    DWORD m_used;
};
