#include "PhysX/physics_params.h"

#include "core/stream_map.h"

PhysicsParams PhysicsParams::Read(StreamMap& stream) {
    PhysicsParams params;
    bool sleeping = false;
    if (stream.ReadBool(sleeping)) {
        params.m_sleeping = sleeping ? 1 : 0;
    }
    stream.ReadFloat(params.m_mass_divisor);
    stream.ReadFloat(params.m_reserved);
    stream.ReadFloat(params.m_damping);
    Vector dropped;
    stream.ReadVector3(dropped);
    stream.ReadFloat(params.m_radius);
    stream.ReadVector3(params.m_extents);
    stream.ReadString(params.m_collision_mesh);
    return params;
}
