#include "support/component_fixture.h"

namespace component_fixture {

StreamMap ComponentStream(const std::string& objectType, const std::string& componentType) {
    StreamMap stream;
    stream.AddString("Object Type", objectType);
    stream.AddString("Component Type", componentType);
    stream.AddFloat("Value", 1.0f);
    return stream;
}

} // namespace component_fixture
