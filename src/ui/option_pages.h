#pragma once
// What the option pages show besides the widgets' own values: the resolutions the graphics
// page offers and the money format of the high scores.
#include <array>
#include <string>

#include "core/types.h"

struct Resolution {
    i32 width;
    i32 height;
};

// The 16:10 resolutions by the index graphics_options.xml stores.
inline constexpr std::array<Resolution, 6> kResolutions = {
    {{768, 480}, {1024, 640}, {1280, 800}, {1440, 900}, {1680, 1050}, {1920, 1200}}};

// The resolution of an index (clamped to the list), its height lowered to the screen's for
// the entry as wide as the screen.
Resolution ResolutionForScreen(i32 index, i32 screenWidth, i32 screenHeight);

// "$1,234,567.89": grouped dollars and the cents cut, not rounded. The cents come from the
// value in hundredths with a millionth of slack, so 2.30 stays $2.30 although the double
// lies just below it.
std::string FormatMoney(f64 value);
