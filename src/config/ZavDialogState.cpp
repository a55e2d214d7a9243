#include "config/ZavDialogState.h"

#include <cstring>

namespace {
// Over a megabyte: static storage, never the stack.
ZavDialogState g_DialogState;
}  // namespace

void ZavDialogState::Reset() {
    std::memset(m_szExtension, 0, sizeof m_szExtension);
    std::memset(m_szPassword, 0, sizeof m_szPassword);
    m_bAddressChanged = false;
    m_bRebootNeeded = false;
    m_bStoreUnreachable = false;
    m_pfnUIDLLCallback = nullptr;
}

ZavDialogState& ZavTheDialogState() {
    return g_DialogState;
}
