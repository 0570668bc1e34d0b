#pragma once
// The parameters of a "Graphic" definition, in stream order after the two names: mesh,
// bump map, specular map, cast shadow, HDR multiplier, specular power, render red,
// animated, breakable and, optionally, anchored. Missing values keep their defaults, so
// definitions written before a parameter existed still read.
#include <string>

#include "core/stream_map.h"

struct GraphicDefinition {
    // Reads from the stream's read position (just after the two names).
    static GraphicDefinition Read(StreamMap& stream);

    std::string m_mesh;
    std::string m_bump_map;
    std::string m_specular_map;
    bool m_cast_shadow = false;
    float m_hdr_multiplier = 1.0f;
    float m_specular_power = 0.0f;
    bool m_render_red = false;
    bool m_animated = false;
    // "false", or the mesh of the broken object.
    std::string m_breakable = "false";
    // Fixed in the city; loose pieces (and the blocks a building breaks into) are not.
    bool m_anchored = true;
};
