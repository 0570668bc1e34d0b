#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "animation/x_animation_set_source.h"
#include "graphics/x_animation_tree.h"
#include "platform/gfx/x_file.h"

namespace {

TEST(XAnimationSetSourceTest, SetsAndTracksComeInFileOrderWithTheirKeys) {
    gfx::XFile file;
    ASSERT_TRUE(file.Parse(R"(xof 0303txt 0032
AnimationSet Walk {
 Animation { { Hip } AnimationKey { 2; 1; 0;3;1,2,3;;; } }
 Animation { { Knee } AnimationKey { 2; 2; 0;3;0,0,0;;, 3600;3;0,1,0;;; } }
 Animation { { Toe } }
}
AnimationSet Idle { }
)"));
    const std::unique_ptr<AnimFrame> root(BuildXAnimationTree(file));
    const std::vector<AnimationSet> sets = AnimationSetsFromTree(*root);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].name, "Walk");
    EXPECT_EQ(sets[1].name, "Idle");
    ASSERT_EQ(sets[0].tracks.size(), 2u); // Toe has no keys
    EXPECT_EQ(sets[0].tracks[0].frame, "Hip");
    EXPECT_EQ(sets[0].tracks[0].keys[0].translation.z, 3.0f);
    EXPECT_EQ(sets[0].tracks[1].frame, "Knee");
    ASSERT_EQ(sets[0].tracks[1].keys.size(), 2u);
    EXPECT_EQ(sets[0].tracks[1].keys[1].tick, 3600u);
    EXPECT_EQ(sets[0].tracks[1].keys[1].scale.x, 1.0f);
}

TEST(XAnimationSetSourceTest, AMeshThatCannotBeReadHasNoSets) {
    XAnimationSetSource source("./no/such/package.kzp");
    EXPECT_TRUE(source.ReadAnimationSets("assets/art/tank.x").empty());
}

} // namespace
