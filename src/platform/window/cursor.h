#pragma once
// The mouse cursor, kept the way the game expects of Windows: a process-wide display
// counter that ShowCursor raises or lowers by one (starting at 0), the cursor drawn only
// while the counter is at least 0, and a shape that is the arrow or nothing.
#include "platform/system/types.h"
#include "platform/window/screen.h"

namespace window {

enum class CursorShape { None, Arrow };

// Adds one (show) or takes one away (hide) and returns the new counter.
i32 ShowCursor(bool show);
void SetCursor(CursorShape shape);

i32 CursorCounter();
CursorShape CurrentCursor();
bool CursorVisible();

// Moves the pointer to a point in screen coordinates. The motion this causes is not
// reported as mouse movement.
void SetCursorPos(i32 x, i32 y);
// The last point given to SetCursorPos.
Point LastCursorPos();

// Back to the start-up state (counter 0, arrow); for tests.
void ResetCursor();

} // namespace window
