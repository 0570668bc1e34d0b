// The renderer's animation maps: built once per mesh through the registered operations,
// handed out as copies, and carried by MSG_GRAPHICS_GRAPHICS_ANIMATION.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "animation/animation_sets.h"
#include "animation/graphics_animation.h"
#include "animation/graphics_animation_operations.h"
#include "core/message.h"
#include "core/message_router.h"
#include "graphics/animation_map_operations.h"
#include "graphics/graphics_process.h"
#include "support/component_fixture.h"

namespace {

class OneAnimatedMesh : public AnimationSetSource {
  public:
    std::vector<AnimationSet> ReadAnimationSets(const std::string& meshName) override {
        ++reads;
        if (meshName != "assets/art/tank.X") {
            return {};
        }
        GraphicsAnimationKey first, last;
        last.tick = 7200;
        last.translation = {4.0f, 0.0f, 0.0f};
        return {{"Shoot", {{"Turret", {first, last}}}}};
    }
    int reads = 0;
};

class RendererAnimationMaps : public ::testing::Test {
  protected:
    void SetUp() override {
        SetAnimationSetSource(&source);
        RegisterGraphicsAnimationOperations();
        testing::internal::CaptureStdout();
        graphics = std::make_unique<GraphicsProcess>(nullptr, nullptr, 0, 1024.0f, 3);
        testing::internal::GetCapturedStdout();
    }
    void TearDown() override {
        graphics.reset();
        SetAnimationSetSource(nullptr);
    }

    OneAnimatedMesh source;
    std::unique_ptr<GraphicsProcess> graphics;
};

TEST_F(RendererAnimationMaps, EachCallerGetsItsOwnCopyOfTheMapReadOnce) {
    GraphicsAnimationMap* const a = graphics->GetAnimationMap("assets/art/tank.X");
    GraphicsAnimationMap* const b = graphics->GetAnimationMap("assets/art/tank.X");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(source.reads, 1);
    PlayAnimation(*a, "Shoot", true);
    AnimationMapOperations* const operations = GetAnimationMapOperations();
    ASSERT_NE(operations, nullptr);
    operations->Update(*a, 1.0f);
    EXPECT_TRUE(operations->IsAnyPlaying(*a));
    EXPECT_FALSE(operations->IsAnyPlaying(*b));
    operations->ApplyPoses(*a);
    Float4x4 matrix;
    ASSERT_TRUE(operations->Blend(*a, "Turret", matrix));
    EXPECT_FLOAT_EQ(matrix(3, 0), 2.0f);
    EXPECT_FALSE(operations->Blend(*b, "Turret", matrix));
    graphics->ReleaseAnimationMap(a);
    graphics->ReleaseAnimationMap(b);
}

TEST_F(RendererAnimationMaps, AMeshWithoutSetsHasNoMapAndTheMessageCarriesNull) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(graphics->GetAnimationMap("assets/art/crate.X"), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "No animation sets found\n");

    MessageRouter router;
    component_fixture::MessageRecorder asker;
    graphics->Bind(&router, GraphicsProcess::kHandlerId);
    asker.Bind(&router, 22);
    for (const char* mesh : {"assets/art/crate.X", "assets/art/tank.X"}) {
        testing::internal::CaptureStdout();
        Message<std::string> ask(MSG_GRAPHICS_GET_GRAPHICS_ANIMATION, mesh);
        asker.SendMessage(&ask, GraphicsProcess::kHandlerId);
        testing::internal::GetCapturedStdout();
        ASSERT_FALSE(asker.received.empty());
        const BaseMessage& reply = *asker.received.back().message;
        EXPECT_EQ(reply.type, static_cast<u32>(MSG_GRAPHICS_GRAPHICS_ANIMATION));
        GraphicsAnimationMap* const* map = reply.Payload<GraphicsAnimationMap*>();
        ASSERT_NE(map, nullptr);
        EXPECT_EQ(*map == nullptr, std::string(mesh) == "assets/art/crate.X");
        graphics->ReleaseAnimationMap(*map);
    }
}

} // namespace
