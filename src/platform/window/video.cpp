#include "platform/window/video.h"

#include <SDL.h>

#include <cstdlib>

namespace window::detail {

bool InitVideo(const char* className) {
    // The window turns SIGINT and SIGTERM into a close; SDL's own handlers would post a
    // quit event that bypasses that path.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (className != nullptr) {
        // Read by SDL's X11 and Wayland back ends when video starts; a value the user set
        // in the environment wins.
        setenv("SDL_VIDEO_X11_WMCLASS", className, 0);
        setenv("SDL_VIDEO_WAYLAND_WMCLASS", className, 0);
    }
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

void QuitVideo() {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace window::detail
