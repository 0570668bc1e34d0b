#pragma once
// The "Graphic" component stream as object definitions hold it: the object and component
// type names, then the nine parameters and, when given, the optional "Anchored".
#include <optional>
#include <string>

#include "core/stream_map.h"

namespace graphic_stream {

struct Parameters {
    std::string mesh = "assets/art/box.x";
    std::string bump;
    std::string specularMap;
    bool castShadow = true;
    float hdr = 2.0f;
    float specular = 16.0f;
    bool red = false;
    bool animated = false;
    std::string breakable = "false";
    std::optional<bool> anchored;
};

inline StreamMap GraphicStream(const std::string& objectType, const Parameters& p = {}) {
    StreamMap stream;
    stream.AddString("Object Type", objectType);
    stream.AddString("Component Type", "Graphic");
    stream.AddString("Mesh", p.mesh);
    stream.AddString("Bump Map", p.bump);
    stream.AddString("Specular Map", p.specularMap);
    stream.AddBool("Cast Shadow", p.castShadow);
    stream.AddFloat("HDR Multiplier", p.hdr);
    stream.AddFloat("Specular Power", p.specular);
    stream.AddBool("Render Red", p.red);
    stream.AddBool("Animated", p.animated);
    stream.AddString("Breakable", p.breakable);
    if (p.anchored.has_value()) {
        stream.AddBool("Anchored", *p.anchored);
    }
    return stream;
}

} // namespace graphic_stream
