#include <gtest/gtest.h>

#include "graphics/fading_quads.h"

namespace {

u32 Alpha(const FadingQuadVertex& v) {
    return v.colour >> 24;
}

TEST(FadingQuads, AQuadWithoutFadeInIsOpaqueAtOnceAndWritesItsSquare) {
    FadingQuads quads;
    const FadingQuadDefinition instant{0.0f, 1.0f};
    FadingQuadGroup& group = quads.Group("craters");
    group.Add({10.0f, 2.0f, 20.0f}, 3.0f, &instant);
    quads.Update(0.1f);
    ASSERT_EQ(group.vertices.size(), 6u);
    for (const FadingQuadVertex& v : group.vertices) {
        EXPECT_EQ(Alpha(v), 255u);
        EXPECT_FLOAT_EQ(v.position.y, 2.0f);
        EXPECT_EQ(v.colour & 0xFFFFFFu, 0xFFFFFFu);
    }
    EXPECT_FLOAT_EQ(group.vertices[0].position.x, 7.0f);
    EXPECT_FLOAT_EQ(group.vertices[0].position.z, 23.0f);
    EXPECT_FLOAT_EQ(group.vertices[2].position.x, 13.0f);
    EXPECT_FLOAT_EQ(group.vertices[2].position.z, 17.0f);
    EXPECT_FALSE(group.quads[0]->IsActive());
}

TEST(FadingQuads, FadeInThenFadeOutThenTransparentAndStill) {
    FadingQuads quads;
    const FadingQuadDefinition slow{1.0f, 1.0f};
    FadingQuadGroup& group = quads.Group("scorch");
    FadingQuad& quad = group.Add({0.0f, 0.0f, 0.0f}, 1.0f, &slow);
    quads.Update(0.5f);
    EXPECT_EQ(Alpha(group.vertices[0]), 128u);
    quads.Update(0.5f);
    EXPECT_EQ(Alpha(group.vertices[0]), 255u); // the last step of the fade is opaque
    EXPECT_FALSE(quad.IsActive());

    quad.FadeOut();
    quads.Update(0.5f);
    EXPECT_EQ(Alpha(group.vertices[0]), 255u);
    quads.Update(0.5f);
    EXPECT_EQ(Alpha(group.vertices[0]), 128u);
    EXPECT_TRUE(quad.expired);
    quads.Update(0.5f); // a frame later it is fully transparent...
    EXPECT_EQ(Alpha(group.vertices[0]), 0u);
    EXPECT_FALSE(quad.IsActive()); // ...and no longer updated
    group.dirty = false;
    quads.Update(0.5f);
    EXPECT_FALSE(group.dirty);
}

} // namespace
