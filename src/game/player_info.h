#pragma once
// The robot's camera feed (MSG_PLAYER_CAMERA), which the renderer keeps as it is. The menu
// sends a fixed one.
#include "core/types.h"
#include "core/vector.h"

struct PlayerInfo {
    static constexpr u32 kValueCount = 6;
    static constexpr u32 kVectorCount = 3;

    f32 m_values[kValueCount] = {};
    Vector m_vectors[kVectorCount];
};
