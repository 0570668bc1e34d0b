#pragma once
// A request of the game logic to spawn enemies (MSG_SPAWN_AGENTS).
#include <string>

#include "core/types.h"

struct SpawnStruct {
    // The object type to spawn.
    std::string m_type_name;
    u32 m_count = 0;
};
