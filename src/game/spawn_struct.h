#pragma once
// A request of the game logic to spawn enemies (MSG_SPAWN_AGENTS).
#include <string>

#include "core/types.h"

struct SpawnStruct {
    // The greatest horizontal distance from the player of a usable spawn point.
    static constexpr f32 kRadius = 710.0f;

    // Units requested; the sender writes the same number into m_spawn_count.
    i32 m_count = 0;
    // Units the receiver hands to spawn points.
    i32 m_spawn_count = 0;
    // The part of the city the spawn points must lie in: 0, 1, or 2 and above for anywhere.
    i32 m_zone = 0;
    f32 m_radius = kRadius;
    // The object type to spawn.
    std::string m_type_name;
};
