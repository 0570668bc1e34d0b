#pragma once
// The flying boss: "AI-Boss-Fly-MothershipBase" with its gun, core, turrets (each with a
// tube mesh of its own) and hatches, built when a script asks the level for an
// "AI-Boss-Fly-Mothership".
#include "core/stream_map.h"
#include "core/types.h"

class GameObject;
class GameState;

inline constexpr u32 kMothershipTurrets = 6;
inline constexpr u32 kMothershipHatches = 12;

// The base the script gets back; null when the state has no base definition.
GameObject* CreateMothership(GameState& state);

// The "Graphic" stream of the mothership's tube number index.
StreamMap MothershipTubeParameters(u32 index);
