#include "platform/system/crt_rand.h"

namespace crt {
namespace {
thread_local std::uint32_t t_state = 1;
}

void SeedRand(std::uint32_t seed) {
    t_state = seed;
}

int Rand() {
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & 0x7FFF);
}

} // namespace crt
