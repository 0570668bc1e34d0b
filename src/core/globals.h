#pragma once
// Process-wide constants and values that exist before main() runs.

#include <string>

#include "core/asset_paths.h"
#include "core/matrix.h"

// The float nearest π, as (float)atan(1.0) · 4 gives it.
inline constexpr float PI = 3.14159265358979323846f;
inline constexpr float TWO_PI = 6.2831855f;
inline constexpr float INV_TWO_PI = 1.0f / TWO_PI;

extern const Matrix IDENTITY;

// The level script that a new game starts with.
inline constexpr const char* DEFAULT_LEVEL_PATH = asset_path::kDefaultLevel;

// The level script the next level state loads; the menu's play buttons set it.
extern std::string LevelPath;
// The level script the level editor works on.
extern std::string EditorLevelPath;
