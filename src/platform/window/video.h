#pragma once
// Reference-counted start and stop of SDL's video subsystem with the settings the game
// needs (our own SIGINT/SIGTERM handling, the window class name). Inside platform/window.

namespace window::detail {

bool InitVideo(const char* className);
void QuitVideo();

} // namespace window::detail
