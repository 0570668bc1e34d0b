// The play state of a mesh's animation sets, loaded from a fake mesh reader.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "animation/graphics_animation.h"
#include "animation_fixture.h"
#include "core/math_functions.h"
#include "support/math_expect.h"

namespace {

using animation_fixture::ExpectSameTurn;

// A key at the time in seconds, translated by (x, 0, 0), turned by angle about y.
GraphicsAnimationKey Key(float seconds, float x, float angle = 0.0f, float scale = 1.0f) {
    GraphicsAnimationKey key;
    key.tick = static_cast<u32>(std::lround(seconds * GraphicsAnimationKey::kTicksPerSecond));
    key.translation = {x, 0.0f, 0.0f};
    key.scale = {scale, scale, scale};
    key.rotation = Math::QuaternionRotationMatrix(Math::MatrixRotationY(angle));
    return key;
}

// Sets by mesh name, handed out as the renderer's reader would.
class FakeSetSource : public AnimationSetSource {
  public:
    FakeSetSource() { SetAnimationSetSource(this); }
    ~FakeSetSource() override { SetAnimationSetSource(nullptr); }

    std::vector<AnimationSet> ReadAnimationSets(const std::string& meshName) override {
        ++reads;
        const auto found = meshes.find(meshName);
        return found != meshes.end() ? found->second : std::vector<AnimationSet>{};
    }

    std::map<std::string, std::vector<AnimationSet>> meshes;
    int reads = 0;
};

// "Walk" (2 s) moves "Hip" from x 0 to 20 and "Knee" from 0 to 2; "Aim" (1 s) moves "Hip"
// from 100 to 110; "Blink" (0.5 s) only animates "Eye". In file order, not name order.
std::vector<AnimationSet> TankSets() {
    return {
        {"Walk", {{"Hip", {Key(0, 0), Key(1, 10), Key(2, 20)}}, {"Knee", {Key(0, 0), Key(2, 2)}}}},
        {"Aim", {{"Hip", {Key(0, 100), Key(1, 110)}}}},
        {"Blink", {{"Eye", {Key(0, 0), Key(0.5f, 1)}}}}};
}

class GraphicsAnimationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        source.meshes["tank.X"] = TankSets();
        testing::internal::CaptureStdout();
        map = LoadAnimationSets("tank.X");
        log = testing::internal::GetCapturedStdout();
        ASSERT_NE(map, nullptr);
    }

    GraphicsAnimation& Set(const std::string& name) { return *map->m_animations.at(name); }
    float HipX(const std::string& set) { return Set(set).m_tracks.at("Hip")->m_translation.x; }

    FakeSetSource source;
    std::unique_ptr<GraphicsAnimationMap> map;
    std::string log;
};

TEST_F(GraphicsAnimationTest, LoadsEachSetStoppedLoopingWithItsLengthInNameOrder) {
    EXPECT_EQ(log, "");
    EXPECT_TRUE(map->m_hasAnimations);
    EXPECT_EQ(map->m_currentIndex, 0u);
    EXPECT_EQ(GetAnimationNameAt(*map, 0), "Aim");
    EXPECT_EQ(GetAnimationNameAt(*map, 1), "Blink");
    EXPECT_EQ(GetAnimationNameAt(*map, 2), "Walk");
    EXPECT_EQ(GetAnimationNameAt(*map, 3), "");
    const GraphicsAnimation& walk = Set("Walk");
    EXPECT_FLOAT_EQ(walk.m_length, 2.0f);
    EXPECT_TRUE(walk.m_loop);
    EXPECT_FALSE(walk.m_active);
    EXPECT_FALSE(walk.m_paused);
    EXPECT_FALSE(walk.m_finished);
    EXPECT_EQ(walk.m_time, 0.0f);
    EXPECT_EQ(walk.m_weight, 1.0f);
    EXPECT_EQ(walk.m_speed, 1.0f);
    EXPECT_EQ(walk.m_name, "");
    EXPECT_EQ(walk.m_tracks.size(), 2u);
    EXPECT_EQ(walk.m_tracks.at("Hip")->m_index, 0u);
    ExpectNear3(walk.m_tracks.at("Hip")->m_scale, Float3{1, 1, 1});
    EXPECT_FALSE(IsAnyAnimationPlaying(*map));
}

TEST(GraphicsAnimationLoad, AMeshWithoutSetsGivesAnEmptyMapAndALogLine) {
    FakeSetSource source;
    testing::internal::CaptureStdout();
    const std::unique_ptr<GraphicsAnimationMap> map = LoadAnimationSets("crate.X");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "No animation sets found\n");
    EXPECT_EQ(source.reads, 1);
    EXPECT_TRUE(map->m_animations.empty());
    EXPECT_FALSE(map->m_hasAnimations);
    EXPECT_EQ(map->m_currentIndex, 0u);
}

TEST_F(GraphicsAnimationTest, ALoopWrapsPastItsEndAndStaysActive) {
    PlayAnimation(*map, "Walk", true);
    UpdateAnimations(*map, 2.5f);
    EXPECT_FLOAT_EQ(Set("Walk").m_time, 0.5f);
    EXPECT_TRUE(Set("Walk").IsFinished());
    EXPECT_TRUE(IsAnimationActive(*map, "Walk"));
    ApplyAnimationPoses(*map);
    EXPECT_FLOAT_EQ(HipX("Walk"), 5.0f);
    // Playing again clears the finished flag.
    PlayAnimation(*map, "Walk", true);
    EXPECT_FALSE(IsAnimationFinished(*map, "Walk"));
}

TEST_F(GraphicsAnimationTest, AOneShotEndsAtTimeZeroInactiveWithItsPoseAppliedThere) {
    PlayAnimation(*map, "Walk", false);
    UpdateAnimations(*map, 1.5f);
    ApplyAnimationPoses(*map);
    EXPECT_FLOAT_EQ(HipX("Walk"), 15.0f);
    UpdateAnimations(*map, 1.0f);
    EXPECT_EQ(Set("Walk").m_time, 0.0f);
    EXPECT_FALSE(IsAnimationActive(*map, "Walk"));
    EXPECT_TRUE(IsAnimationFinished(*map, "Walk"));
    EXPECT_FLOAT_EQ(HipX("Walk"), 0.0f);
    EXPECT_FALSE(IsAnyAnimationPlaying(*map));
}

TEST_F(GraphicsAnimationTest, IndicesPastTheEndAndUnknownNamesDoNothing) {
    const u32 end = static_cast<u32>(map->m_animations.size());
    PlayAnimationAt(*map, end);
    EXPECT_EQ(map->m_currentIndex, end);
    SetAnimationTimeAt(*map, end, 1.0f);
    PlayOnlyAnimationAt(*map, end);
    EXPECT_EQ(GetAnimationTimeAt(*map, end), 0.0f);
    EXPECT_FALSE(IsAnimationPausedAt(*map, end));
    EXPECT_FALSE(IsAnimationActiveAt(*map, end));
    EXPECT_FALSE(IsAnyAnimationPlaying(*map));

    // The AI asks any mesh for these.
    for (const char* name : {"Shoot", "tred_rotation", "Idle"}) {
        SCOPED_TRACE(name);
        PlayAnimation(*map, name, true);
        SetAnimationTime(*map, name, 1.0f);
        SpeedUpAnimation(*map, name);
        PauseAnimation(*map, name);
        ResumeAnimation(*map, name);
        EXPECT_EQ(GetAnimationTime(*map, name), 0.0f);
        EXPECT_FALSE(IsAnimationPaused(*map, name));
        EXPECT_FALSE(IsAnimationActive(*map, name));
        EXPECT_FALSE(IsAnimationFinished(*map, name));
    }
    EXPECT_EQ(map->m_animations.size(), 3u);
    EXPECT_FALSE(IsAnyAnimationPlaying(*map));
}

TEST_F(GraphicsAnimationTest, APausedSetKeepsItsTimeAndPoseUntilItsTimeIsSet) {
    PlayAnimationAt(*map, 2);
    EXPECT_EQ(map->m_currentIndex, 2u);
    EXPECT_TRUE(IsAnimationActiveAt(*map, 2));
    UpdateAnimations(*map, 0.5f);
    ApplyAnimationPoses(*map);
    EXPECT_FLOAT_EQ(HipX("Walk"), 5.0f);
    PauseAllAnimations(*map);
    EXPECT_TRUE(IsAnimationPausedAt(*map, 2));
    EXPECT_FALSE(IsAnyAnimationPlaying(*map));
    UpdateAnimations(*map, 0.5f);
    EXPECT_FLOAT_EQ(GetAnimationTimeAt(*map, 2), 0.5f);
    Set("Walk").m_time = 1.0f;
    ApplyAnimationPoses(*map);
    EXPECT_FLOAT_EQ(HipX("Walk"), 5.0f);
    SetAnimationTimeAt(*map, 2, 1.5f);
    EXPECT_FLOAT_EQ(HipX("Walk"), 15.0f);
}

TEST_F(GraphicsAnimationTest, PlayingOnlyOneStopsTheOthersAndTheFixedShortcutsPickByIndex) {
    PlayAnimation(*map, "Aim", true);
    UpdateAnimations(*map, 0.25f);
    PlayOnlyAnimationAt(*map, 2);
    EXPECT_FALSE(IsAnimationActive(*map, "Aim"));
    EXPECT_EQ(GetAnimationTime(*map, "Aim"), 0.0f);
    EXPECT_TRUE(IsAnimationActive(*map, "Walk"));
    EXPECT_EQ(map->m_currentIndex, 2u);

    SetAnimationSpeedAll(*map, 0.5f);
    SpeedUpFirstAnimation(*map);
    PauseSecondAnimation(*map);
    EXPECT_EQ(Set("Aim").m_speed, 2.0f);
    EXPECT_EQ(Set("Walk").m_speed, 0.5f);
    EXPECT_TRUE(IsAnimationPaused(*map, "Blink"));
    EXPECT_FALSE(IsAnimationPaused(*map, "Walk"));
    UpdateAnimations(*map, 1.0f);
    EXPECT_FLOAT_EQ(GetAnimationTime(*map, "Walk"), 0.5f);
    StopAllAnimations(*map);
    EXPECT_FALSE(IsAnimationActive(*map, "Walk"));
    EXPECT_FLOAT_EQ(HipX("Walk"), 0.0f);
}

TEST(GraphicsAnimationTrack, SamplesBetweenAndBeyondItsKeys) {
    GraphicsAnimationTrack track(
        {Key(1, 10, 0.0f, 1.0f), Key(2, 20, 1.0f, 3.0f), Key(2, 99), Key(3, 30)});
    struct Case {
        float time;
        float x;
        float scale;
    };
    const Case cases[] = {{1.5f, 15, 2},    {0.0f, 10, 1}, {-1.0f, 10, 1},      {2.0f, 20, 3},
                          {2.5f, 64.5f, 1}, {9.0f, 30, 1}, {1.25f, 12.5f, 1.5f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        track.Sample(c.time);
        EXPECT_NEAR(track.m_translation.x, c.x, 1e-3f);
        EXPECT_NEAR(track.m_scale.y, c.scale, 1e-4f);
        EXPECT_LE(track.m_tickA, track.m_tickB);
    }
    track.Sample(1.5f);
    ExpectSameTurn(track.m_rotation, Math::QuaternionRotationMatrix(Math::MatrixRotationY(0.5f)));
    EXPECT_EQ(track.m_tickA, 3600u);
    EXPECT_EQ(track.m_tickB, 7200u);

    GraphicsAnimationTrack one({Key(0.5f, 7)});
    for (const float time : {0.0f, 0.5f, 4.0f}) {
        one.Sample(time);
        EXPECT_EQ(one.m_translation.x, 7.0f);
    }
    GraphicsAnimationTrack none;
    none.Sample(1.0f);
    ExpectNear3(none.m_scale, Float3{1, 1, 1}, 0.0f);
}

TEST(GraphicsAnimationSet, ALengthOfZeroOrLessStaysAtTimeZeroAndCountsAsFinished) {
    for (const auto& keys : {std::vector<GraphicsAnimationKey>{Key(1, 5)},
                             std::vector<GraphicsAnimationKey>{Key(2, 5), Key(1, 6)}}) {
        GraphicsAnimation set;
        set.m_tracks["Hip"] = std::make_unique<GraphicsAnimationTrack>(keys);
        set.Play(true);
        EXPECT_LE(set.m_length, 0.0f);
        set.Update(0.3f);
        EXPECT_EQ(set.m_time, 0.0f);
        EXPECT_TRUE(set.IsFinished());
        EXPECT_TRUE(set.m_active);
        set.Play(false);
        set.Update(0.3f);
        EXPECT_FALSE(set.m_active);
    }
    GraphicsAnimation empty;
    empty.Play(true);
    empty.Update(1.0f);
    EXPECT_EQ(empty.m_time, 0.0f);
}

TEST_F(GraphicsAnimationTest, BlendsTheActiveSetsThatAnimateTheFrameWithEqualShares) {
    Float4x4 matrix;
    EXPECT_FALSE(BlendAnimations(*map, "Hip", matrix));
    ExpectNearM(matrix, Math::MatrixIdentity(), 0.0f);

    // One set: its pose.
    PlayAnimation(*map, "Walk", true);
    SetAnimationTime(*map, "Walk", 1.0f);
    ASSERT_TRUE(BlendAnimations(*map, "Hip", matrix));
    ExpectNearM(matrix, Math::MatrixTranslation(10, 0, 0));

    // "Blink" does not animate "Hip": neither it nor its weight takes part.
    PlayAnimation(*map, "Blink", true);
    Set("Blink").m_weight = 5.0f;
    SetAnimationTime(*map, "Aim", 0.0f);
    ASSERT_TRUE(BlendAnimations(*map, "Hip", matrix));
    ExpectNearM(matrix, Math::MatrixTranslation(10, 0, 0));

    // Two of weight 1: half and half.
    PlayAnimation(*map, "Aim", true);
    SetAnimationTime(*map, "Aim", 0.5f);
    ASSERT_TRUE(BlendAnimations(*map, "Hip", matrix));
    ExpectNearM(matrix, Math::MatrixTranslation(57.5f, 0, 0), 1e-4f);
    // Weighted 3 to 1.
    Set("Walk").m_weight = 3.0f;
    ASSERT_TRUE(BlendAnimations(*map, "Hip", matrix));
    ExpectNearM(matrix, Math::MatrixTranslation(0.25f * 105 + 0.75f * 10, 0, 0), 1e-4f);
}

TEST(GraphicsAnimationBlend, ThreeEqualSetsGiveTheirMeanAndTheThirdPullsAThirdOfTheWay) {
    FakeSetSource source;
    source.meshes["ufo.X"] = {{"A", {{"Dish", {Key(0, 0, 0.0f, 1.0f), Key(1, 0)}}}},
                              {"B", {{"Dish", {Key(0, 30, 0.6f, 2.0f), Key(1, 30)}}}},
                              {"C", {{"Dish", {Key(0, 90, 1.2f, 3.0f), Key(1, 90)}}}}};
    const std::unique_ptr<GraphicsAnimationMap> map = LoadAnimationSets("ufo.X");
    for (const char* name : {"A", "B", "C"}) {
        PlayAnimation(*map, name, true);
        SetAnimationTime(*map, name, 0.0f);
    }
    Float4x4 matrix;
    ASSERT_TRUE(BlendAnimations(*map, "Dish", matrix));
    Float3 scale, translation;
    Quaternion rotation;
    ASSERT_TRUE(Math::MatrixDecompose(matrix, scale, rotation, translation));
    // A and B meet half way at 15; C then pulls a third of the way from 15 to 90.
    ExpectNear3(translation, Float3{40, 0, 0}, 1e-4f);
    ExpectNear3(scale, Float3{2, 2, 2}, 1e-4f);
    ExpectSameTurn(rotation, Math::QuaternionRotationMatrix(Math::MatrixRotationY(0.6f)));
}

TEST_F(GraphicsAnimationTest, ACopyIsIndependentAndReleaseEmptiesTheMap) {
    PlayAnimation(*map, "Walk", true);
    UpdateAnimations(*map, 0.5f);
    ApplyAnimationPoses(*map);
    map->m_currentIndex = 2;
    const std::unique_ptr<GraphicsAnimationMap> copy = CopyAnimations(*map);
    EXPECT_EQ(copy->m_currentIndex, 0u);
    EXPECT_TRUE(copy->m_hasAnimations);
    ASSERT_EQ(copy->m_animations.size(), 3u);
    EXPECT_TRUE(IsAnimationActive(*copy, "Walk"));
    EXPECT_FLOAT_EQ(GetAnimationTime(*copy, "Walk"), 0.5f);
    EXPECT_NE(copy->m_animations.at("Walk").get(), &Set("Walk"));
    EXPECT_NE(copy->m_animations.at("Walk")->m_tracks.at("Hip").get(),
              Set("Walk").m_tracks.at("Hip").get());
    EXPECT_FLOAT_EQ(copy->m_animations.at("Walk")->m_tracks.at("Hip")->m_translation.x, 5.0f);

    UpdateAnimations(*copy, 1.0f);
    EXPECT_FLOAT_EQ(GetAnimationTime(*map, "Walk"), 0.5f);
    ReleaseAnimations(*map);
    EXPECT_TRUE(map->m_animations.empty());
    EXPECT_FLOAT_EQ(GetAnimationTime(*copy, "Walk"), 1.5f);
}

} // namespace
