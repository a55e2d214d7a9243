// The provider's trace log is process-wide: a test executable that links
// TraceEnvironment.cpp has it initialised once, into a directory of the
// run's own that lives until every test has run.
#pragma once

#include <string>

namespace zavtest {

// The current log file, and what the running test has written to it.
const std::string& TraceLogPath();
std::string TraceLog();

}  // namespace zavtest
