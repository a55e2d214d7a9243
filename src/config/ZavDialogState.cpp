#include "config/ZavDialogState.h"

#include <cstring>

namespace {
// Over a megabyte: static storage, never the stack.
ZavDialogState g_DialogState;
}  // namespace

void ZavDialogState::Reset() {
    std::memset(m_szExtension, 0, sizeof m_szExtension);
    std::memset(m_szPassword, 0, sizeof m_szPassword);
    m_dwEntries = 0;
    m_dwStoredPhones = 0;
    std::memset(m_szAddress, 0, sizeof m_szAddress);
    std::memset(m_szPort, 0, sizeof m_szPort);
    m_bAddressChanged = false;
    m_bRebootNeeded = false;
    m_bStoreUnreachable = false;
    m_bReadOnly = false;
    m_hProviderKey = nullptr;
    m_bModify = false;
    m_dwEditIndex = 0;
    m_bRangeRemoves = false;
    m_hMainDialog = nullptr;
    m_pfnUIDLLCallback = nullptr;
}

ZavDialogState& ZavTheDialogState() {
    return g_DialogState;
}
