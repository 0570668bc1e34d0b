#include <gtest/gtest.h>

#include <string>

#include "core/stream_map.h"
#include "graphics/graphic_definition.h"
#include "support/graphic_stream.h"

namespace {

graphic_stream::Parameters BlockParameters() {
    graphic_stream::Parameters p;
    p.mesh = "assets/art/building_block.X";
    p.specular = 8.0f;
    p.breakable = "assets/art/building_block_broken.X";
    return p;
}

GraphicDefinition ReadAfterNames(StreamMap& stream) {
    stream.BeginRead();
    std::string name;
    stream.ReadString(name);
    stream.ReadString(name);
    return GraphicDefinition::Read(stream);
}

TEST(GraphicDefinition, WithoutTheTenthParameterTheObjectIsAnchored) {
    StreamMap stream = graphic_stream::GraphicStream("BuildingStore", BlockParameters());
    const GraphicDefinition d = ReadAfterNames(stream);
    EXPECT_EQ(d.m_mesh, "assets/art/building_block.X");
    EXPECT_TRUE(d.m_cast_shadow);
    EXPECT_FLOAT_EQ(d.m_hdr_multiplier, 2.0f);
    EXPECT_EQ(d.m_breakable, "assets/art/building_block_broken.X");
    EXPECT_TRUE(d.m_anchored);
}

TEST(GraphicDefinition, TheTenthParameterSaysWhetherTheObjectIsAnchored) {
    for (const bool anchored : {false, true}) {
        graphic_stream::Parameters p = BlockParameters();
        p.anchored = anchored;
        StreamMap stream = graphic_stream::GraphicStream("BuildingBlock", p);
        EXPECT_EQ(ReadAfterNames(stream).m_anchored, anchored);
    }
}

} // namespace
