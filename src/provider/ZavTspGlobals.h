// Process-wide state of the provider library.
#pragma once

#include <atomic>

#include "tapi/Tapi.h"

class ZavSession;

// The library's module handle, set at the first process attach.
extern std::atomic<HINSTANCE> ghInstance;
// The one session; null while TAPI has not initialised the provider. Message
// threads read it while TAPI's threads may clear it, hence atomic.
extern std::atomic<ZavSession*> gpTS;
// TAPI's provider handle from TSPI_providerEnumDevices, sent with LINE_CREATE.
extern std::atomic<HPROVIDER> ghProvider;

// Library load and unload steps, called from the OS's entry point.
void ZavProcessAttach(HINSTANCE instance);
void ZavProcessDetach();
void ZavThreadAttach();
void ZavThreadDetach();
