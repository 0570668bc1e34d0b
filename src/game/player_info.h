#pragma once
// The camera feed (MSG_PLAYER_CAMERA): the point the camera looks at, the eye, and the
// player's controls of the frame. The robot sends it every frame of play, the camera
// sequences send it with the controls all zero, and the menu sends a fixed shot; the renderer
// keeps the last one.
#include "core/vector.h"
#include "game/bound_controls.h"

struct PlayerInfo {
    Vector m_target;
    Vector m_eye;
    BoundControls m_controls;
};
