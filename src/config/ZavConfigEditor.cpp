#include "config/ZavConfigEditor.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "config/ZavRegistryText.h"
#include "platform/Registry.h"
#include "trace/ZavTrace.h"

namespace {

// Far above any range that could fit the tables, and far below overflow.
constexpr long long kNumberCap = 1000000000000000LL;

// The decimal value at the start of a text, read as C's atoi reads it:
// blanks, a sign, digits up to the first other character; 0 for none.
long long LeadingNumber(const std::string& text) {
    std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos) return 0;
    const bool negative = text[i] == '-';
    if (text[i] == '+' || text[i] == '-') ++i;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value < kNumberCap ? value * 10 + (text[i] - '0') : kNumberCap;
    return negative ? -value : value;
}

ZavRefusal ParseRange(const char* pszRange, long long* plLow, long long* plHigh) {
    const std::string text = pszRange ? pszRange : "";
    if (text.empty()) return ZavRefusal::kNoRange;
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos) return ZavRefusal::kRangeFormat;
    *plLow = LeadingNumber(text.substr(0, dash));
    *plHigh = LeadingNumber(text.substr(dash + 1));
    if (*plLow <= 0 || *plHigh < 1 || *plLow >= *plHigh) return ZavRefusal::kInvalidRange;
    return ZavRefusal::kNone;
}

// The number an extension is the decimal text of, as a range formats it:
// digits only, no leading zero.
bool NumberOf(const char* pszExtension, long long* plValue) {
    const std::size_t n = std::strlen(pszExtension);
    if (n == 0 || n > 15 || pszExtension[0] == '0') return false;
    long long value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (pszExtension[i] < '0' || pszExtension[i] > '9') return false;
        value = value * 10 + (pszExtension[i] - '0');
    }
    *plValue = value;
    return true;
}

bool SameNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
        if (x == 0) return true;
    }
}

void CopyEntry(char (&entry)[kZavTableTextSize], const char* pszText) {
    zavconfig::CopyText(entry, sizeof entry, pszText, kZavTableTextSize - 1);
}

}  // namespace

const char* ZavRefusalText(ZavRefusal refusal) {
    switch (refusal) {
        case ZavRefusal::kNone:
            return nullptr;
        case ZavRefusal::kTooManyDevices:
            return "Too many devices!";
        case ZavRefusal::kNoDeviceSelected:
            return "No device is selected!";
        case ZavRefusal::kNoExtension:
            return "No extension is specified!";
        case ZavRefusal::kExtensionExists:
            return "Extension already exists!";
        case ZavRefusal::kNoRange:
            return "No extension range is specified!";
        case ZavRefusal::kRangeFormat:
            return "extension range invalid format use: ext1-ext2";
        case ZavRefusal::kInvalidRange:
            return "Invalid extension range is specified!";
    }
    return nullptr;
}

bool ZavConfigEditor::Open(TUISPIDLLCALLBACK pfnCallback) {
    Close();
    m_s.Reset();
    m_s.m_pfnUIDLLCallback = pfnCallback;
    HKEY hKey = nullptr;
    if (plat::CreateRegKey(HKEY_LOCAL_MACHINE, kZavProviderKey, KEY_ALL_ACCESS, &hKey, nullptr) !=
        ERROR_SUCCESS) {
        if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, kZavProviderKey, KEY_READ, &hKey) != ERROR_SUCCESS)
            return false;
        m_s.m_bReadOnly = true;
    }
    m_s.m_hProviderKey = hKey;
    m_s.m_dwStoredPhones = ReadNumPhones();

    std::strcpy(m_s.m_szPort, "Port: ");
    if (GetServerIPAddress(m_s.m_szAddress, m_s.m_szPort) != 0) {
        m_s.m_bStoreUnreachable = true;
        GetServerIPAddressHack(m_s.m_szAddress, m_s.m_szPort);
    }
    // A registry that counts more telephones than the tables hold shows the
    // first 750; storing then deletes the rest.
    m_s.m_dwEntries = m_s.m_dwStoredPhones < kZavMaxPhones ? m_s.m_dwStoredPhones : kZavMaxPhones;
    for (DWORD i = 0; i < m_s.m_dwEntries; ++i) {
        // A telephone whose key is unreadable shows as an empty line.
        GetPhoneExtension(i, m_s.m_szExtension[i]);
        GetUserPassword(i, m_s.m_szPassword[i]);
        TransformPassword(m_s.m_szPassword[i]);
    }
    return true;
}

int ZavConfigEditor::Find(const char* pszExtension) const {
    for (DWORD i = 0; i < m_s.m_dwEntries; ++i)
        if (SameNoCase(m_s.m_szExtension[i], pszExtension)) return static_cast<int>(i);
    return -1;
}

bool ZavConfigEditor::SetAddress(const char* pszAddress) {
    char szAddress[kZavAddressTextSize];
    zavconfig::CopyText(szAddress, sizeof szAddress, pszAddress, sizeof szAddress - 1);
    if (std::strcmp(szAddress, m_s.m_szAddress) == 0) return false;
    std::memcpy(m_s.m_szAddress, szAddress, sizeof szAddress);
    m_s.m_bAddressChanged = true;
    ZAV_TRACE("ConfigDlgProc() Server IP set to %s", m_s.m_szAddress);
    return true;
}

ZavRefusal ZavConfigEditor::CheckRoom() const {
    return m_s.m_dwEntries >= kZavMaxPhones ? ZavRefusal::kTooManyDevices : ZavRefusal::kNone;
}

ZavRefusal ZavConfigEditor::Add(const char* pszExtension, const char* pszPassword) {
    if (!pszExtension || !*pszExtension) return ZavRefusal::kNoExtension;
    if (Find(pszExtension) >= 0) return ZavRefusal::kExtensionExists;
    if (CheckRoom() != ZavRefusal::kNone) return ZavRefusal::kTooManyDevices;
    const DWORD i = m_s.m_dwEntries++;
    CopyEntry(m_s.m_szExtension[i], pszExtension);
    CopyEntry(m_s.m_szPassword[i], pszPassword);
    return ZavRefusal::kNone;
}

ZavRefusal ZavConfigEditor::Modify(DWORD index, const char* pszExtension, const char* pszPassword) {
    if (!pszExtension || !*pszExtension) return ZavRefusal::kNoExtension;
    if (index >= m_s.m_dwEntries) return ZavRefusal::kNoDeviceSelected;
    CopyEntry(m_s.m_szExtension[index], pszExtension);
    CopyEntry(m_s.m_szPassword[index], pszPassword);
    return ZavRefusal::kNone;
}

ZavRefusal ZavConfigEditor::Remove(int index) {
    if (index < 0 || static_cast<DWORD>(index) >= m_s.m_dwEntries) return ZavRefusal::kNoDeviceSelected;
    const DWORD last = --m_s.m_dwEntries;
    if (const std::size_t later = (last - static_cast<DWORD>(index)) * sizeof m_s.m_szExtension[0]) {
        std::memmove(m_s.m_szExtension[index], m_s.m_szExtension[index + 1], later);
        std::memmove(m_s.m_szPassword[index], m_s.m_szPassword[index + 1], later);
    }
    std::memset(m_s.m_szExtension[last], 0, sizeof m_s.m_szExtension[last]);
    std::memset(m_s.m_szPassword[last], 0, sizeof m_s.m_szPassword[last]);
    m_s.m_bRebootNeeded = true;
    return ZavRefusal::kNone;
}

ZavRefusal ZavConfigEditor::AddRange(const char* pszRange) {
    long long low = 0, high = 0;
    if (ZavRefusal refusal = ParseRange(pszRange, &low, &high); refusal != ZavRefusal::kNone) return refusal;
    std::set<long long> listed;
    for (DWORD i = 0; i < m_s.m_dwEntries; ++i)
        if (long long n; NumberOf(m_s.m_szExtension[i], &n) && n >= low && n <= high) listed.insert(n);
    // All or nothing: a range cut off at the table's end would leave the
    // administrator to find out which numbers are missing.
    const long long fresh = high - low + 1 - static_cast<long long>(listed.size());
    if (fresh > static_cast<long long>(kZavMaxPhones - m_s.m_dwEntries)) return ZavRefusal::kTooManyDevices;
    for (long long n = low; n <= high; ++n)
        if (!listed.count(n)) Add(std::to_string(n).c_str(), "");
    return ZavRefusal::kNone;
}

ZavRefusal ZavConfigEditor::RemoveRange(const char* pszRange) {
    long long low = 0, high = 0;
    if (ZavRefusal refusal = ParseRange(pszRange, &low, &high); refusal != ZavRefusal::kNone) return refusal;
    // Each number of the range removes the first entry that is its text,
    // as often as the range names it: once.
    std::set<long long> listed;
    for (DWORD i = 0; i < m_s.m_dwEntries; ++i)
        if (long long n; NumberOf(m_s.m_szExtension[i], &n) && n >= low && n <= high) listed.insert(n);
    for (long long n : listed) {
        const std::string text = std::to_string(n);
        for (DWORD i = 0; i < m_s.m_dwEntries; ++i)
            if (text == m_s.m_szExtension[i]) {
                Remove(static_cast<int>(i));
                break;
            }
    }
    m_s.m_bRebootNeeded = true;
    return ZavRefusal::kNone;
}

int ZavConfigEditor::Store() {
    if (m_s.m_bReadOnly || !m_s.m_hProviderKey) {
        Close();
        return -1;
    }
    int rc = SetPhoneExtension(m_s.m_dwEntries, m_s.m_dwStoredPhones);
    if (m_s.m_bAddressChanged) {
        m_s.m_bRebootNeeded = true;
        const int stored = m_s.m_bStoreUnreachable ? SetServerIPAddressHack(m_s.m_szAddress)
                                                   : SetServerIPAddress(m_s.m_szAddress);
        if (stored != 0) rc = -1;
    }
    Close();
    return rc;
}

void ZavConfigEditor::Cancel() {
    m_s.m_bRebootNeeded = false;
    Close();
}

void ZavConfigEditor::Close() {
    if (m_s.m_hProviderKey) plat::CloseRegKey(m_s.m_hProviderKey);
    m_s.m_hProviderKey = nullptr;
}
