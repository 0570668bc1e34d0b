#pragma once
// The size of the primary screen, and where a centred window goes. Screen coordinates
// start at the primary screen's top-left corner.
#include <optional>

#include "platform/system/types.h"

namespace window {

struct ScreenMetrics {
    i32 width = 0;
    i32 height = 0;
};

struct Point {
    i32 x = 0;
    i32 y = 0;
    bool operator==(const Point&) const = default;
};

// The primary screen's size in pixels; 0 x 0 when no display can be reached.
ScreenMetrics GetScreenMetrics();
// Fixes the answer of GetScreenMetrics (tests, or a run that wants a given screen);
// nullopt returns to the real display.
void SetScreenMetricsOverride(std::optional<ScreenMetrics> metrics);

// The top-left corner that centres a window of the given size: the screen's integer half
// minus the window's integer half, on each axis.
Point CentredPosition(ScreenMetrics screen, i32 width, i32 height);

} // namespace window
