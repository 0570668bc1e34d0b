#pragma once
// The ids of the AI states. Object definitions list a unit's states by these names, so the
// order of the ids and the name table are part of the definition format.
#include <string>

#include "core/types.h"

enum StateId : i32 {
    STATE_NULL = 0,
    STATE_TANK_SPAWN,
    STATE_TANK_ATTACK,
    STATE_TANK_RETREAT,
    STATE_TANK_SEEK,
    STATE_TANK_GUARD,
    STATE_TANK_DROPPED,
    STATE_TRUCK_SPAWN,
    STATE_TRUCK_ATTACK,
    STATE_TRUCK_RETREAT,
    STATE_TRUCK_SEEK,
    STATE_JEEP_SPAWN,
    STATE_JEEP_ATTACK,
    STATE_JEEP_RETREAT,
    STATE_JEEP_SEEK,
    STATE_HELICOPTER_SPAWN,
    STATE_HELICOPTER_ATTACK,
    STATE_HELICOPTER_RETREAT,
    STATE_HELICOPTER_SEEK,
    STATE_TRANSPORT_SPAWN,
    STATE_TRANSPORT_DROP,
    STATE_TRANSPORT_RETREAT,
    STATE_TRANSPORT_SEEK,
    STATE_UFO_SPAWN,
    STATE_UFO_ENTRY,
    STATE_UFO_SPAWNCHILDREN,
    STATE_UFO_ATTACK,
    STATE_UFO_RETREAT,
    STATE_UFO_SEEK,
    STATE_UFO_DIE,
    STATE_UFOCHILD_SPAWN,
    STATE_UFOCHILD_ATTACK,
    STATE_MOTHERSHIP_SPAWN,
    STATE_MOTHERSHIP_ENTRY,
    STATE_MOTHERSHIP_ATTACK,
    STATE_MOTHERSHIP_DIE,
    STATE_MOTHERSHIP_HATCH_SPAWN,
    STATE_MOTHERSHIP_TURRET_ATTACK,
    STATE_MOTHERSHIP_BFG_ATTACK,
    STATE_MOTHERSHIP_BFG_CORE,
    STATE_MEDIUM_UFO_SPAWN,
    STATE_MEDIUM_UFO_ENTRY,
    STATE_MEDIUM_UFO_ATTACK,
    STATE_MEDIUM_UFO_RETREAT,
    STATE_MEDIUM_UFO_SEEK,
    STATE_CAR_SPAWN,
    STATE_CAR_TRACK,
    STATE_FLYTHRA_SPAWN,
    STATE_FLYTHRA_ENTRY,
    STATE_FLYTHRA_RETREAT,
    STATE_FLYTHRA_SEEK,
    STATE_FLYTHRA_ATTACK,
    STATE_FLYTHRA_DIE,
    STATE_WANDER,
    STATE_ATTACK,
    STATE_RETREAT,
    STATE_SEEK,
    STATE_GRABBED,
    STATE_THROWN,
    STATE_MISSILE_SPAWN,
    STATE_MISSILE_SEEK,
    STATE_MISSILE_LOOPBACK,
    STATE_MISSILE_EXPLODE,
    STATE_CITIZEN_SPAWN,
    STATE_CITIZEN_CALM,
    STATE_CITIZEN_PANIC,
    STATE_CITIZEN_CARDBOARD_SPAWN,
    STATE_CITIZEN_CARDBOARD_CALM,
    STATE_KRAID_RISE,
    STATE_KRAID_ATTACK,
    STATE_KRAID_DIE,
};

// The 71 ids above; the name table has one more entry, "Invalid", at this index.
inline constexpr i32 kStateIdCount = 71;
inline constexpr i32 kInvalidStateId = kStateIdCount;

// The name of an id; "Invalid" for kInvalidStateId and anything outside the table.
const char* StateIdName(i32 id);
// A linear scan of ids 0 to 70 for an exact, case-sensitive match; kInvalidStateId when none
// matches.
i32 StateIdFromName(const std::string& name);
// Whether a state class exists for the id: no unit ever has STATE_NULL, the four generic ids
// or the Kraid ids.
bool StateIdHasClass(i32 id);
