#pragma once
// What the operating system says the process holds in memory, for the health lines of long
// unattended runs and the benchmark report. Zero where the figure cannot be read.
#include "platform/system/types.h"

namespace sys {

// The resident set now, in bytes.
u64 ResidentBytes();
// The largest resident set the process has had, in bytes.
u64 PeakResidentBytes();

} // namespace sys
