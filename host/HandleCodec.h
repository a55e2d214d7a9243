// The handles the host gives the provider for its own line, phone and call
// records: a tag in the high bits and the record's index below. Decoding
// checks the tag, so a handle the host never gave is recognised as such.
// The tags sit above bit 32 so that a provider that truncates a handle to
// 32 bits hands back one the host does not know.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zavhost {

static_assert(sizeof(std::uintptr_t) >= 8, "handles carry their tag above bit 32");

inline constexpr std::uintptr_t kLineTag = std::uintptr_t(0x7A4C) << 40;
inline constexpr std::uintptr_t kPhoneTag = std::uintptr_t(0x7A50) << 40;
inline constexpr std::uintptr_t kCallTag = std::uintptr_t(0x7A43) << 40;
inline constexpr std::uintptr_t kTagMask = std::uintptr_t(0xFFFFFF) << 40;

template <class Handle>
Handle EncodeHandle(std::uintptr_t tag, std::size_t index) {
    return reinterpret_cast<Handle>(tag | static_cast<std::uintptr_t>(index));
}

// False for a handle without the tag.
template <class Handle>
bool DecodeHandle(Handle handle, std::uintptr_t tag, std::size_t* index) {
    std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
    if ((value & kTagMask) != tag) return false;
    *index = static_cast<std::size_t>(value & ~kTagMask);
    return true;
}

}  // namespace zavhost
