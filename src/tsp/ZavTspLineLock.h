// The one process-wide lock that several TSPI_line* functions hold for their
// body. The message threads never take it.
#pragma once

#include "provider/ZavLock.h"

extern ZavLock s_TspLineLock;
