#pragma once
// One laser beam as its sender describes it to the renderer (MSG_GRAPHICS_LASER_BEAM_CREATION,
// _UPDATE and _DELETION). The beam is named by a component of the beam object, whose owner
// the renderer stretches between start and end.
#include "core/types.h"
#include "core/vector.h"

class Component;

struct LaserBeamInfo {
    Vector m_start;
    Vector m_end;
    Component* m_beam = nullptr;
    f32 m_elapsed = 0.0f;
    f32 m_duration = 0.0f;
    // Accumulated by the renderer between particle emissions.
    f32 m_emission_time = 0.0f;
    f32 m_width = 0.0f;
};
