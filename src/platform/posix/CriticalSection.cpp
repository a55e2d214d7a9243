#include "platform/CriticalSection.h"

#include <pthread.h>

namespace plat {

static_assert(sizeof(pthread_mutex_t) <= 64, "CriticalSection storage too small");

static pthread_mutex_t* Mutex(unsigned char* storage) { return reinterpret_cast<pthread_mutex_t*>(storage); }

CriticalSection::CriticalSection() {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(Mutex(m_storage), &attr);
    pthread_mutexattr_destroy(&attr);
}

CriticalSection::~CriticalSection() { pthread_mutex_destroy(Mutex(m_storage)); }

void CriticalSection::Enter() { pthread_mutex_lock(Mutex(m_storage)); }

void CriticalSection::Leave() { pthread_mutex_unlock(Mutex(m_storage)); }

bool CriticalSection::TryEnter() { return pthread_mutex_trylock(Mutex(m_storage)) == 0; }

}  // namespace plat
