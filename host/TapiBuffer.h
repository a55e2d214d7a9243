// A caller-sized buffer for a variable-length TAPI structure, as an
// application allocates one: dwTotalSize set, the rest filled with a
// pattern, and guard bytes behind it that a provider must never touch.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "tapi/Tapi.h"

namespace zavhost {

class TapiBuffer {
public:
    static constexpr std::size_t kGuardBytes = 64;
    static constexpr BYTE kFill = 0xCD;
    static constexpr BYTE kGuard = 0xA5;

    // `totalSize` below 4 is raised to 4: the structure's size word.
    explicit TapiBuffer(DWORD totalSize);

    template <class T>
    T* As() {
        return reinterpret_cast<T*>(Data());
    }
    BYTE* Data() { return reinterpret_cast<BYTE*>(m_storage.get()); }
    const BYTE* Data() const { return reinterpret_cast<const BYTE*>(m_storage.get()); }
    DWORD TotalSize() const { return m_totalSize; }

    // The 32-bit word at `offset` (dwNeededSize is at 4, dwUsedSize at 8);
    // 0 when it does not lie within dwTotalSize.
    DWORD Word(std::size_t offset) const;

    bool GuardIntact() const;

    // Text that the structure places at (offset, size) in bytes; empty when
    // the range is not inside dwTotalSize.
    std::u16string WideAt(DWORD offset, DWORD size) const;
    std::string AnsiAt(DWORD offset, DWORD size) const;

private:
    DWORD m_totalSize;
    std::unique_ptr<std::uint64_t[]> m_storage;  // 8-byte aligned
};

}  // namespace zavhost
