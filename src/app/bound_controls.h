#pragma once
// The bound-control block lives with the game's contracts, where the robot reads it.
#include "game/bound_controls.h"

// Set once input has been read for play; the robot code reads it.
extern u8 g_input_seen;
