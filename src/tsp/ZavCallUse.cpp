#include "tsp/ZavCallUse.h"

#include <cstdint>

#include "switchlink/ZavPhone.h"

ZavCallUse::ZavCallUse(HDRVCALL hdCall) : m_pPhone(nullptr) {
    // Index i of the lines and the phones belongs to telephone i, and phones
    // live until the provider shuts down, which TAPI never does while it
    // runs a TSPI function.
    const DWORD h = static_cast<DWORD>(reinterpret_cast<uintptr_t>(hdCall));
    if ((h >> 28) != 0xEu) return;
    m_pPhone = ZavPhone::m_PhoneVect.at((h >> 16) & 0xFFFu);
    if (m_pPhone) m_pPhone->Lock();
}

ZavCallUse::ZavCallUse(ZavPhone* phone) : m_pPhone(phone) {
    if (m_pPhone) m_pPhone->Lock();
}

ZavCallUse::~ZavCallUse() {
    if (m_pPhone) m_pPhone->Unlock();
}
