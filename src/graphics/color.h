#pragma once
// Colours handed to the device as one 32-bit value: alpha, red, green, blue from the high
// byte down.
#include "core/types.h"

struct Color {
    // Each channel (0 to 1) times 255 in single precision, rounded to the nearest integer
    // with halfway cases to the even neighbour.
    static u32 ToARGB(const float rgba[4]);
};
