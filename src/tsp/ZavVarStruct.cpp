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

DWORD ZavVarStruct::WideSize(const std::string& text) {
    return static_cast<DWORD>((plat::AnsiToWide(text.c_str()).size() + 1) * sizeof(char16_t));
}

bool ZavVarStruct::AppendWide(const std::string& text, DWORD* sizeWord, DWORD* offsetWord) {
    std::u16string wide = plat::AnsiToWide(text.c_str());
    return Append(wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(char16_t)), sizeWord, offsetWord);
}
