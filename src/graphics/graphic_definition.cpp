#include "graphics/graphic_definition.h"

GraphicDefinition GraphicDefinition::Read(StreamMap& stream) {
    GraphicDefinition d;
    stream.ReadString(d.m_mesh);
    stream.ReadString(d.m_bump_map);
    stream.ReadString(d.m_specular_map);
    stream.ReadBool(d.m_cast_shadow);
    stream.ReadFloat(d.m_hdr_multiplier);
    stream.ReadFloat(d.m_specular_power);
    stream.ReadBool(d.m_render_red);
    stream.ReadBool(d.m_animated);
    stream.ReadString(d.m_breakable);
    // A read past the end leaves the value as it was.
    stream.ReadBool(d.m_anchored);
    return d;
}
