#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/x_animation_tree.h"
#include "platform/gfx/x_file.h"

namespace {

// Two sets: "Walk" moves Leg with separate rotation, scale and position keys (the position
// list one key longer), "Spin" turns Arm with matrix keys. Arm is only referenced.
const char* const kSets = R"(xof 0303txt 0032
Frame Leg { }
AnimationSet Walk {
 Animation {
  { Leg }
  AnimationKey { 0; 2; 0;4;1,0,0,0;;, 100;4;0,0,1,0;;; }
  AnimationKey { 1; 2; 0;3;2,2,2;;, 100;3;3,3,3;;; }
  AnimationKey { 2; 3; 0;3;1,0,0;;, 100;3;2,0,0;;, 200;3;3,0,0;;; }
 }
}
AnimationSet Spin {
 Animation Turn {
  AnimationKey { 4; 1; 50;16;2,0,0,0, 0,2,0,0, 0,0,2,0, 7,8,9,1;;; }
  { Arm }
 }
}
)";

std::unique_ptr<AnimFrame> Tree(const char* text) {
    gfx::XFile file;
    std::string error;
    EXPECT_TRUE(file.Parse(text, &error)) << error;
    return std::unique_ptr<AnimFrame>(BuildXAnimationTree(file));
}

const AnimFrame* ChildNamed(const AnimFrame& node, const std::string& name) {
    for (const AnimFrame* child = node.m_first_child; child != nullptr;
         child = child->m_next_sibling) {
        if (child->m_name == name) {
            return child;
        }
    }
    return nullptr;
}

TEST(XAnimationTreeTest, NewNodesGoToTheFrontOfTheirParent) {
    const auto root = Tree(kSets);
    EXPECT_EQ(root->m_name, "$ROOT$");
    std::vector<std::string> names;
    for (const AnimFrame* child = root->m_first_child; child != nullptr;
         child = child->m_next_sibling) {
        names.push_back(child->m_name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Spin", "Walk", "Leg"}));
    EXPECT_EQ(root->m_first_child->m_kind, AnimFrame::kAnimationSet);
    // An animation without a name is named "Template".
    const AnimFrame* walk = ChildNamed(*root, "Walk");
    ASSERT_NE(walk->m_first_child, nullptr);
    EXPECT_EQ(walk->m_first_child->m_name, "Template");
}

TEST(XAnimationTreeTest, SeparateKeyListsMergeByIndexAndExtraKeysAreDropped) {
    const auto root = Tree(kSets);
    const AnimFrame* leg = ChildNamed(*root, "Walk")->m_first_child;
    EXPECT_EQ(leg->m_target, "Leg");
    EXPECT_EQ(leg->m_kind, AnimFrame::kAnimationKey);
    EXPECT_EQ(leg->m_key_type, AnimFrame::kCombinedKeys);
    EXPECT_EQ(leg->m_first_child, nullptr); // the merged nodes are gone
    ASSERT_EQ(leg->m_keys.size(), 2u);
    const AnimFrameKey& first = leg->m_keys[0];
    EXPECT_EQ(first.m_time, 0u);
    // (w, x, y, z) = (1, 0, 0, 0) becomes (0, 0, 0, -1).
    EXPECT_EQ(first.m_rotation.x, 0.0f);
    EXPECT_EQ(first.m_rotation.w, -1.0f);
    EXPECT_EQ(first.m_scale.y, 2.0f);
    EXPECT_EQ(first.m_position.x, 1.0f);
    const AnimFrameKey& second = leg->m_keys[1];
    EXPECT_EQ(second.m_time, 100u);
    EXPECT_EQ(second.m_rotation.y, 1.0f); // (0, 0, 1, 0) -> (0, 1, 0, -0)
    EXPECT_EQ(second.m_scale.z, 3.0f);
    EXPECT_EQ(second.m_position.x, 2.0f);
}

TEST(XAnimationTreeTest, MatrixKeysAreSplitIntoScaleRotationAndPosition) {
    const auto root = Tree(kSets);
    const AnimFrame* turn = ChildNamed(*root, "Spin")->m_first_child;
    EXPECT_EQ(turn->m_name, "Turn");
    EXPECT_EQ(turn->m_target, "Arm"); // a reference to a frame the file does not hold
    EXPECT_EQ(turn->m_key_type, AnimFrame::kCombinedKeys);
    ASSERT_EQ(turn->m_keys.size(), 1u);
    const AnimFrameKey& key = turn->m_keys[0];
    EXPECT_EQ(key.m_time, 50u);
    EXPECT_NEAR(key.m_scale.x, 2.0f, 1e-6f);
    EXPECT_NEAR(key.m_position.y, 8.0f, 1e-6f);
    EXPECT_NEAR(key.m_rotation.w * key.m_rotation.w, 1.0f, 1e-6f);
    EXPECT_EQ(key.m_matrix.m[12], 7.0f);
}

TEST(XAnimationTreeTest, AMissingFileGivesNoTree) {
    EXPECT_EQ(LoadXAnimationTree("./no/such/package.kzp", "assets/art/x.x"), nullptr);
}

} // namespace
