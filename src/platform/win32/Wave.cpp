#include "platform/Wave.h"

#include <mmsystem.h>

namespace plat {

UINT GetWaveOutDeviceCount() { return ::waveOutGetNumDevs(); }

bool GetWaveOutProductName(UINT index, std::string* name) {
    WAVEOUTCAPSA caps;
    if (!name || ::waveOutGetDevCapsA(index, &caps, sizeof caps) != MMSYSERR_NOERROR) return false;
    *name = caps.szPname;
    return true;
}

}  // namespace plat
