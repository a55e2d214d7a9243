// Nothing may throw out of a method another module calls: an allocation
// failure becomes E_OUTOFMEMORY, anything else E_UNEXPECTED.
#pragma once

#include <new>

#include "platform/WinTypes.h"

namespace zavsim {

template <typename Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace zavsim
