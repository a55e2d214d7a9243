#include "host/TapiBuffer.h"

#include <cstring>

namespace zavhost {

TapiBuffer::TapiBuffer(DWORD totalSize)
    : m_totalSize(totalSize < 4 ? 4 : totalSize),
      m_storage(new std::uint64_t[(m_totalSize + kGuardBytes + 7) / 8]) {
    BYTE* data = Data();
    std::memset(data, kFill, m_totalSize);
    std::memset(data + m_totalSize, kGuard, kGuardBytes);
    std::memcpy(data, &m_totalSize, sizeof m_totalSize);
}

DWORD TapiBuffer::Word(std::size_t offset) const {
    DWORD value = 0;
    if (offset + sizeof value <= m_totalSize) std::memcpy(&value, Data() + offset, sizeof value);
    return value;
}

bool TapiBuffer::GuardIntact() const {
    const BYTE* guard = Data() + m_totalSize;
    for (std::size_t i = 0; i < kGuardBytes; ++i)
        if (guard[i] != kGuard) return false;
    return true;
}

std::u16string TapiBuffer::WideAt(DWORD offset, DWORD size) const {
    if (size == 0 || static_cast<std::size_t>(offset) + size > m_totalSize) return {};
    std::u16string text(size / 2, u'\0');
    std::memcpy(text.data(), Data() + offset, text.size() * 2);
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    return text;
}

std::string TapiBuffer::AnsiAt(DWORD offset, DWORD size) const {
    if (size == 0 || static_cast<std::size_t>(offset) + size > m_totalSize) return {};
    std::string text(reinterpret_cast<const char*>(Data()) + offset, size);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

}  // namespace zavhost
