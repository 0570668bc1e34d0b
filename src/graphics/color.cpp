#include "graphics/color.h"

#include <cmath>

namespace {

u32 Channel(float value) {
    // lrintf rounds in the current mode, which is to-nearest-even unless someone changed it.
    return static_cast<u32>(std::lrintf(value * 255.0f));
}

} // namespace

u32 Color::ToARGB(const float rgba[4]) {
    return Channel(rgba[3]) << 24 | (Channel(rgba[0]) & 0xFFu) << 16 |
           (Channel(rgba[1]) & 0xFFu) << 8 | (Channel(rgba[2]) & 0xFFu);
}
