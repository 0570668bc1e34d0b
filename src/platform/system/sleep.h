#pragma once
#include <cstdint>

namespace sys {

// Blocks the calling thread for at least the given time; 0 only gives up the rest of the
// time slice.
void Sleep(std::uint32_t milliseconds);

} // namespace sys
