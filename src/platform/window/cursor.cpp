#include "platform/window/cursor.h"

#include <SDL.h>

#include "platform/window/window.h"

namespace window {
namespace {

// Main thread only, as the window itself.
i32 g_counter = 0;
CursorShape g_shape = CursorShape::Arrow;
Point g_last_pos;

void Apply() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return;
    }
    if (CursorVisible()) {
        SDL_SetCursor(SDL_GetDefaultCursor());
        SDL_ShowCursor(SDL_ENABLE);
    } else {
        SDL_ShowCursor(SDL_DISABLE);
    }
}

} // namespace

i32 ShowCursor(bool show) {
    g_counter += show ? 1 : -1;
    Apply();
    return g_counter;
}

void SetCursor(CursorShape shape) {
    g_shape = shape;
    Apply();
}

i32 CursorCounter() {
    return g_counter;
}
CursorShape CurrentCursor() {
    return g_shape;
}
bool CursorVisible() {
    return g_counter >= 0 && g_shape == CursorShape::Arrow;
}

void SetCursorPos(i32 x, i32 y) {
    g_last_pos = {x, y};
    if (Window* const w = Window::Current()) {
        w->WarpMouse({x, y});
    }
}

Point LastCursorPos() {
    return g_last_pos;
}

void ResetCursor() {
    g_counter = 0;
    g_shape = CursorShape::Arrow;
    g_last_pos = {};
    Apply();
}

} // namespace window
