#pragma once
// The parameters of a "Light" component as object definitions hold them, in their order: a
// switched-on light two units above its owner, with a range of 30.
#include <string>

#include "core/stream_map.h"

namespace light_stream {

inline void AddLightParameters(StreamMap& stream, const std::string& kind) {
    stream.AddString("Type", kind);
    const float diffuse[4] = {1.0f, 0.5f, 0.25f, 1.0f};
    const float specular[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    stream.AddVector4("Diffuse", diffuse);
    stream.AddVector4("Specular", specular);
    stream.AddVector3("Offset", 0.0f, 2.0f, 0.0f);
    stream.AddVector3("Direction", 0.0f, 0.0f, 4.0f);
    stream.AddFloat("Range", 30.0f);
    stream.AddFloat("Phi", 0.8f);
    stream.AddFloat("Theta", 0.4f);
    stream.AddFloat("Attenuation0", 1.0f);
    stream.AddFloat("Attenuation1", 0.1f);
    stream.AddFloat("Attenuation2", 0.01f);
    stream.AddBool("Enabled", true);
    stream.AddFloat("Volumetric", 0.7f);
    stream.AddBool("Always Visible", true);
}

} // namespace light_stream
