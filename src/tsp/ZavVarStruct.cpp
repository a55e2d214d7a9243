#include "tsp/ZavVarStruct.h"

#include <cstring>

#include "platform/Text.h"

namespace {

void PutWord(BYTE* base, std::size_t offset, DWORD value) { std::memcpy(base + offset, &value, sizeof value); }

}  // namespace

ZavVarStruct::ZavVarStruct(void* structure, DWORD fixedSize)
    : m_base(static_cast<BYTE*>(structure)), m_total(0), m_fixed(fixedSize), m_needed(fixedSize), m_used(fixedSize) {
    std::memcpy(&m_total, m_base, sizeof m_total);
    Store();
}

void ZavVarStruct::Store() {
    PutWord(m_base, 4, m_needed);
    PutWord(m_base, 8, m_used);
}

void ZavVarStruct::Need(DWORD bytes) {
    m_needed += bytes;
    Store();
}

bool ZavVarStruct::Append(const void* data, DWORD bytes, DWORD* sizeWord, DWORD* offsetWord) {
    if (bytes > m_total || m_used > m_total - bytes) return false;
    std::memcpy(m_base + m_used, data, bytes);
    *sizeWord = bytes;
    *offsetWord = m_used;
    m_used += bytes;
    Store();
    return true;
}

namespace {

std::u16string Wide(const std::string& text, ZavVarStruct::Null null) {
    std::u16string wide = plat::AnsiToWide(text.c_str());
    if (null == ZavVarStruct::Null::Kept) wide.push_back(u'\0');
    return wide;
}

std::u16string WideList(const std::vector<std::string>& texts) {
    std::u16string list;
    for (const std::string& text : texts) list += Wide(text, ZavVarStruct::Null::Kept);
    list.push_back(u'\0');
    return list;
}

DWORD Bytes(const std::u16string& wide) { return static_cast<DWORD>(wide.size() * sizeof(char16_t)); }

}  // namespace

DWORD ZavVarStruct::WideSize(const std::string& text, Null null) { return Bytes(Wide(text, null)); }

bool ZavVarStruct::AppendWide(const std::string& text, DWORD* sizeWord, DWORD* offsetWord, Null null) {
    std::u16string wide = Wide(text, null);
    return Append(wide.data(), Bytes(wide), sizeWord, offsetWord);
}

DWORD ZavVarStruct::WideListSize(const std::vector<std::string>& texts) { return Bytes(WideList(texts)); }

bool ZavVarStruct::AppendWideList(const std::vector<std::string>& texts, DWORD* sizeWord, DWORD* offsetWord) {
    std::u16string list = WideList(texts);
    return Append(list.data(), Bytes(list), sizeWord, offsetWord);
}
