#pragma once
// The state families of the laser-firing flyers: the medium UFO, the UFO boss with its ring
// of child UFOs, and the diving flying boss.
#include "core/types.h"

// What the UFO family shares across every boss and child of a program run: the children
// timer and the count of children that reached their attack state (both reset by each boss
// that releases children), and the angles of the next child's spawn flight and orbit, which
// only grow, so a second boss's ring continues where the first stopped.
struct UfoFamily {
    f32 m_children_timer = 0.0f;
    f32 m_next_spawn_angle = 0.0f;
    f32 m_next_orbit_angle = 0.0f;
    i32 m_attack_count = 0;
};

UfoFamily& TheUfoFamily();
// Back to the start; for tests, the game never resets it.
void ResetUfoFamily();

// The children a UFO boss releases.
inline constexpr i32 kUfoChildren = 12;

// Registers the flyers' classes under their ids in the state table.
void RegisterFlyerStates();
