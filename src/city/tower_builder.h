#pragma once
// A tower of "BuildingBlock" objects: walls of blocks round a hollow core and a roof, built
// when a script asks the level for a "Tower" after sending its size and location.
#include "core/types.h"

class GameObject;
class GameState;
class Vector;

inline constexpr float kTowerCell = 10.01f;
inline constexpr float kTowerHalfCell = 5.005f;
// A tower side longer than this many blocks is cut to it.
inline constexpr i32 kMaxTowerCells = 256;

// Size in blocks per side, location of the tower's foot; the last block, or null when none
// was made.
GameObject* CreateTower(GameState& state, const Vector& size, const Vector& location);
