#pragma once
// SDL's keyboard and mouse events turned into the game's key codes and mouse buttons.
#include <memory>

#include "platform/input/event_device.h"
#include "platform/system/types.h"

union SDL_Event;

namespace window {
class Window;
}

namespace input {

// The game's key code of an SDL scancode; 0 for a key the game has no code for.
u8 KeyCodeFromScancode(int scancode);
// The game's mouse button of an SDL button; kMouseButtonCount for one it does not use.
u32 MouseButtonFromSdl(int button);

// Applies one event to the device; events that are not keyboard, mouse or focus events
// are ignored. Losing the focus releases everything.
void FeedEvent(EventDevice& device, const SDL_Event& event);

// A device fed by the window's events.
std::shared_ptr<EventDevice> CreateWindowDevice(window::Window& window);

} // namespace input
