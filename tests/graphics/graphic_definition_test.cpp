#include <gtest/gtest.h>

#include <string>

#include "core/stream_map.h"
#include "graphics/graphic_definition.h"

namespace {

StreamMap NineParameters(const std::string& type) {
    StreamMap stream;
    stream.AddString("Object Type", type);
    stream.AddString("Component Type", "Graphic");
    stream.AddString("Mesh", "assets/art/building_block.X");
    stream.AddString("Bump Map", "");
    stream.AddString("Specular Map", "");
    stream.AddBool("Cast Shadow", true);
    stream.AddFloat("HDR Multiplier", 2.0f);
    stream.AddFloat("Specular Power", 8.0f);
    stream.AddBool("Render Red", false);
    stream.AddBool("Animated", false);
    stream.AddString("Breakable", "assets/art/building_block_broken.X");
    return stream;
}

GraphicDefinition ReadAfterNames(StreamMap& stream) {
    stream.BeginRead();
    std::string name;
    stream.ReadString(name);
    stream.ReadString(name);
    return GraphicDefinition::Read(stream);
}

TEST(GraphicDefinition, WithoutTheTenthParameterTheObjectIsAnchored) {
    StreamMap stream = NineParameters("BuildingStore");
    const GraphicDefinition d = ReadAfterNames(stream);
    EXPECT_EQ(d.m_mesh, "assets/art/building_block.X");
    EXPECT_TRUE(d.m_cast_shadow);
    EXPECT_FLOAT_EQ(d.m_hdr_multiplier, 2.0f);
    EXPECT_EQ(d.m_breakable, "assets/art/building_block_broken.X");
    EXPECT_TRUE(d.m_anchored);
}

TEST(GraphicDefinition, TheTenthParameterSaysWhetherTheObjectIsAnchored) {
    for (const bool anchored : {false, true}) {
        StreamMap stream = NineParameters("BuildingBlock");
        stream.AddBool("Anchored", anchored);
        EXPECT_EQ(ReadAfterNames(stream).m_anchored, anchored);
    }
}

} // namespace
