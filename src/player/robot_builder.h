#pragma once
// The player's robot: "RobotBase" with its body, head, arms and legs on one skeleton and the
// health parts, built when a script asks the level for a "Robot".
#include "core/types.h"

class AnimationProcess;
class GameObject;
class GameState;

inline constexpr u32 kRobotHealthParts = 12;

// The base the script gets back; null when the state has no "RobotBase". Without a body that
// has a joint, or without an animation process, the bare base.
GameObject* CreateRobot(GameState& state, AnimationProcess* animation);
