#include "platform/CriticalSection.h"

#include "platform/WinTypes.h"

namespace plat {

static_assert(sizeof(CRITICAL_SECTION) <= 64, "CriticalSection storage too small");

static CRITICAL_SECTION* Cs(unsigned char* storage) { return reinterpret_cast<CRITICAL_SECTION*>(storage); }

CriticalSection::CriticalSection() { ::InitializeCriticalSection(Cs(m_storage)); }

CriticalSection::~CriticalSection() { ::DeleteCriticalSection(Cs(m_storage)); }

void CriticalSection::Enter() { ::EnterCriticalSection(Cs(m_storage)); }

void CriticalSection::Leave() { ::LeaveCriticalSection(Cs(m_storage)); }

bool CriticalSection::TryEnter() { return ::TryEnterCriticalSection(Cs(m_storage)) != 0; }

}  // namespace plat
