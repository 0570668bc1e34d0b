#pragma once
// One laser beam of the robot in flight: the beam object the renderer stretches, what it hits
// (a unit or an end-point object), how long it has run, whether it is the charged beam and
// whether the renderer has been told to show it.
#include "core/types.h"

class GameObject;

struct ActiveLaserBeam {
    GameObject* beam_object = nullptr;
    GameObject* target = nullptr;
    f32 age = 0.0f;
    u8 charged = 0;
    u8 created = 0;
};
