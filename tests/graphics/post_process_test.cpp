// The post-process chain's rules without a device: bloom kernel and sizes, which effects run,
// their parameters, the exposure and colour fades, the jitter, the letterbox and the order in
// which the chain's two targets are used.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/math_functions.h"
#include "graphics/hdr_bloom.h"
#include "graphics/post_process.h"
#include "graphics/post_process_chain.h"
#include "platform/gfx/effect.h"
#include "platform/input/keys.h"
#include "platform/system/crt_rand.h"
#include "support/package_fixture.h"

namespace {

std::unique_ptr<gfx::Effect> ParseShader(const std::string& file) {
    const std::vector<u8> bytes = package_fixture::ReadFile(
        std::filesystem::path(GORVANE_SOURCE_DIR) / "data/shaders" / file);
    std::string error;
    auto effect = gfx::Effect::Parse(file, std::string(bytes.begin(), bytes.end()), &error);
    EXPECT_NE(effect, nullptr) << error;
    return effect;
}

std::vector<float> Values(const PostProcess& effect, const char* name) {
    const gfx::EffectHandle param = effect.GetEffect()->GetParameterByName(name);
    EXPECT_TRUE(param) << name;
    return param ? effect.GetEffect()->Parameters().Values(static_cast<u32>(param.index))
                 : std::vector<float>{};
}

float Value(const PostProcess& effect, const char* name) {
    const std::vector<float> values = Values(effect, name);
    return values.empty() ? -1.0f : values[0];
}

TEST(BloomTest, TheWeightsAreASymmetricBellAndTheOffsetsStepOneTexel) {
    const BloomKernel kernel = MakeBloomKernel(
        BloomStage::kGaussianScale, BloomStage::kGaussianMean, BloomStage::kGaussianDeviation, 160);
    EXPECT_NEAR(kernel.weights[4], 0.4f / std::sqrt(2.0f * 3.14159265f * 0.16f), 1e-6f);
    EXPECT_NEAR(kernel.weights[4], 0.399f, 0.001f);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(kernel.weights[i], kernel.weights[8 - i]) << i;
        EXPECT_LT(kernel.weights[i], kernel.weights[i + 1]) << i;
        EXPECT_FLOAT_EQ(kernel.offsets[i], -kernel.offsets[8 - i]) << i;
    }
    EXPECT_FLOAT_EQ(kernel.offsets[4], 0.0f);
    EXPECT_FLOAT_EQ(kernel.offsets[5], 1.0f / 160.0f);
    EXPECT_FLOAT_EQ(kernel.offsets[0], -4.0f / 160.0f);
}

TEST(BloomTest, TargetSizesAreHalfAndAnEighthRoundedDown) {
    struct Case {
        i32 w, h;
        BloomSizes expected;
    };
    for (const Case& c : {Case{1280, 800, {640, 400, 160, 100}},
                          Case{1279, 797, {639, 398, 159, 99}}, Case{7, 3, {3, 1, 0, 0}}}) {
        const BloomSizes s = BloomTargetSizes(c.w, c.h);
        EXPECT_EQ(s.brightWidth, c.expected.brightWidth) << c.w;
        EXPECT_EQ(s.brightHeight, c.expected.brightHeight) << c.w;
        EXPECT_EQ(s.blurWidth, c.expected.blurWidth) << c.w;
        EXPECT_EQ(s.blurHeight, c.expected.blurHeight) << c.w;
    }
}

// The effects of the chain, parsed but without a device.
class ChainEffects : public ::testing::Test {
  protected:
    ChainEffects()
        : threeDee(ParseShader("threedee.fxo"), frame),
          motion(ParseShader("motionblur.fxo"), frame), dof(ParseShader("depthoffield.fxo"), frame),
          vertical(ParseShader("gaussianblur.fxo"), frame, "GaussianBlurVertical",
                   "GaussianBlurVerticalTech"),
          noise(ParseShader("noisetexture.fxo"), frame, nullptr) {
        frame.input = &input;
    }
    static PostFrame Screen() {
        PostFrame frame;
        frame.width = 1280;
        frame.height = 800;
        return frame;
    }
    void Press(u8 key) { input.m_keys[key] = INPUT_PRESSED; }
    void Hold(u8 key) { input.m_keys[key] = INPUT_HELD; }
    void Release() { input = InputState{}; }

    InputState input;
    PostFrame frame = Screen();
    ThreeDee threeDee;
    MotionBlur motion;
    DepthOfField dof;
    GaussianBlur vertical;
    NoiseTexture noise;
};

TEST_F(ChainEffects, WhichEffectsRunFollowsTheThreeDeeSetting) {
    struct Case {
        u32 setting;
        bool threeDee, motion, dof;
    };
    EXPECT_FALSE(motion.EnabledFlag());
    for (const Case& c : {Case{0, true, false, false}, Case{1, false, false, true},
                          Case{2, true, false, true}, Case{3, false, false, false}}) {
        frame.threeDee = c.setting;
        EXPECT_EQ(threeDee.IsEnabled(), c.threeDee) << c.setting;
        EXPECT_EQ(motion.IsEnabled(), c.motion) << c.setting;
        EXPECT_EQ(dof.IsEnabled(), c.dof) << c.setting;
        EXPECT_TRUE(vertical.IsEnabled()) << c.setting;
    }
}

TEST_F(ChainEffects, FunctionKeysToggleTheirEffects) {
    frame.threeDee = 1;
    // F6 switches motion blur on; the frame of the switch does not hold the old matrix.
    Press(input::key::F6);
    EXPECT_TRUE(motion.IsEnabled());
    EXPECT_FALSE(motion.Hold());
    Release();
    EXPECT_TRUE(motion.IsEnabled());
    EXPECT_TRUE(motion.Hold());
    // Without the motion-blur option it never runs.
    frame.motionBlurOption = false;
    EXPECT_FALSE(motion.IsEnabled());
    frame.motionBlurOption = true;
    // The camera shake's start toggles it like F6.
    frame.toggleRequest = true;
    EXPECT_FALSE(motion.IsEnabled());
    frame.toggleRequest = false;

    Press(input::key::F7);
    EXPECT_FALSE(dof.IsEnabled());
    Press(input::key::F4);
    EXPECT_FALSE(vertical.IsEnabled());
    Press(input::key::F5);
    EXPECT_FALSE(noise.IsEnabled());
    Release();
    EXPECT_FALSE(dof.IsEnabled());
    EXPECT_FALSE(vertical.IsEnabled());

    // F6 flips ThreeDee's technique whatever the setting; F7 toggles it at setting 2.
    frame.threeDee = 2;
    Press(input::key::F6);
    threeDee.IsEnabled();
    EXPECT_TRUE(threeDee.MotionTechnique());
    EXPECT_EQ(threeDee.GetEffect()->CurrentTechnique(), "ThreeDeeTechMotionBlur");
    Press(input::key::F7);
    EXPECT_FALSE(threeDee.IsEnabled());
    Release();
    frame.motionBlurOption = false;
    EXPECT_FALSE(threeDee.IsEnabled());
    EXPECT_EQ(threeDee.GetEffect()->CurrentTechnique(), "ThreeDeeTech");
}

TEST_F(ChainEffects, TheGrainMovesByTheSeededGeneratorAndRepeatsEvery512Pixels) {
    crt::SeedRand(77);
    const int x = crt::Rand() % 510;
    const int y = crt::Rand() % 510;
    crt::SeedRand(77);
    noise.SetParameters(nullptr);
    EXPECT_FLOAT_EQ(Value(noise, "time_x"), static_cast<float>(x) / 512.0f);
    EXPECT_FLOAT_EQ(Value(noise, "time_y"), static_cast<float>(y) / 512.0f);
    EXPECT_FLOAT_EQ(Value(noise, "wrap_width"), 2.5f);
    EXPECT_FLOAT_EQ(Value(noise, "wrap_height"), 800.0f / 512.0f);
}

TEST(FrameRateScalarTest, TheScalarIsTheFrameRateOverTwoSecondsAsAFractionOfSixty) {
    FrameRateScalar rate;
    for (int i = 0; i < 60; ++i) {
        EXPECT_FLOAT_EQ(rate.Update(1.0f / 30.0f), 1.0f) << i;
    }
    // Frame 61 takes the window past 2 s: 61 frames in 2.033 s.
    EXPECT_NEAR(rate.Update(1.0f / 30.0f), 61.0f / (61.0f / 30.0f) / 60.0f, 1e-4f);
    // Faster than 60 fps is 1.
    for (int i = 0; i < 300; ++i) {
        rate.Update(1.0f / 120.0f);
    }
    EXPECT_FLOAT_EQ(rate.Value(), 1.0f);
}

TEST_F(ChainEffects, MotionBlurUsesTheCurrentMatrixOnTheFrameOfAToggle) {
    frame.threeDee = 1;
    frame.view = Math::MatrixTranslation(1.0f, 2.0f, 3.0f);
    Press(input::key::F6);
    ASSERT_TRUE(motion.IsEnabled());
    motion.SetParameters(nullptr);
    const std::vector<float> first = Values(motion, "view_proj");
    EXPECT_EQ(Values(motion, "prev_view_proj"), first);
    Release();
    motion.IsEnabled();
    frame.view = Math::MatrixTranslation(5.0f, 2.0f, 3.0f);
    motion.SetParameters(nullptr);
    EXPECT_EQ(Values(motion, "prev_view_proj"), first);
    EXPECT_NE(Values(motion, "view_proj"), first);
    EXPECT_EQ(motion.GetEffect()->CurrentTechnique(), "MotionBlurTech");
    frame.deferred = true;
    motion.SetParameters(nullptr);
    EXPECT_EQ(motion.GetEffect()->CurrentTechnique(), "MotionBlurDeferredTech");
}

TEST_F(ChainEffects, DepthOfFieldTuningStepsAndSixTapsOfTheDisk) {
    frame.colourMultiplier = 0.25f;
    dof.SetParameters(nullptr);
    EXPECT_FLOAT_EQ(Value(dof, "focalRange"), 2.0f / 0.2165f);
    EXPECT_FLOAT_EQ(Value(dof, "maxCoC"), 17.5f);
    EXPECT_FLOAT_EQ(Value(dof, "color_mult"), 0.25f);
    EXPECT_FLOAT_EQ(Value(dof, "focalDist"), 0.9749f);
    const std::vector<float> taps = Values(dof, "filterTaps");
    ASSERT_EQ(taps.size(), 48u);
    EXPECT_FLOAT_EQ(taps[0], -0.326212f / 1280.0f);
    EXPECT_FLOAT_EQ(taps[1], -0.405805f / 800.0f);
    EXPECT_FLOAT_EQ(taps[20], 0.473434f / 1280.0f);
    // Only the first six are uploaded: the effect file reads six.
    for (std::size_t i = 24; i < taps.size(); ++i) {
        EXPECT_EQ(taps[i], 0.0f) << i;
    }

    Hold(input::key::Numpad7);
    Hold(input::key::Numpad8);
    Hold(input::key::Numpad9);
    dof.SetParameters(nullptr);
    EXPECT_NEAR(dof.RangeBase(), 0.2170f, 1e-6f);
    EXPECT_NEAR(dof.CocBase(), 35.1f, 1e-5f);
    EXPECT_NEAR(Value(dof, "focalDist"), 0.975f, 1e-6f);
    Hold(input::key::LeftShift);
    dof.SetParameters(nullptr);
    dof.SetParameters(nullptr);
    EXPECT_NEAR(dof.RangeBase(), 0.2160f, 1e-6f);
    EXPECT_NEAR(dof.CocBase(), 34.9f, 1e-4f);
    EXPECT_NEAR(Value(dof, "focalDist"), 0.9748f, 1e-6f);

    EXPECT_EQ(dof.GetEffect()->CurrentTechnique(), "DepthOfFieldTech");
    frame.deferred = true;
    dof.SetParameters(nullptr);
    EXPECT_EQ(dof.GetEffect()->CurrentTechnique(), "DepthOfFieldDeferredTech");
}

// The depth image holds view distances and the focal distance is a depth buffer value: the
// effect gets the projection's two terms that turn one into the other (z/w = a + b / w).
TEST_F(ChainEffects, DepthOfFieldGetsTheDepthBufferTermsOfTheProjection) {
    frame.projection = Math::MatrixPerspectiveFovLH(0.8f, 1.6f, 2.0f, 500.0f);
    dof.SetParameters(nullptr);
    const std::vector<float> scale = Values(dof, "depthScale");
    ASSERT_EQ(scale.size(), 2u);
    // At the near plane z/w is 0, at the far plane 1.
    EXPECT_NEAR(scale[0] + scale[1] / 2.0f, 0.0f, 1e-5f);
    EXPECT_NEAR(scale[0] + scale[1] / 500.0f, 1.0f, 1e-5f);
}

TEST_F(ChainEffects, OnlyDepthOfFieldAndThreeDeeOutsideSettingTwoApplyTheFade) {
    frame.colourMultiplier = 0.5f;
    for (u32 setting = 0; setting < 4; ++setting) {
        frame.threeDee = setting;
        threeDee.SetParameters(nullptr);
        EXPECT_EQ(threeDee.AppliesColourMultiplier(), setting != 2) << setting;
        EXPECT_FLOAT_EQ(Value(threeDee, "color_mult"), setting == 2 ? 1.0f : 0.5f) << setting;
    }
    EXPECT_TRUE(dof.AppliesColourMultiplier());
    EXPECT_FALSE(motion.AppliesColourMultiplier());
    EXPECT_FALSE(vertical.AppliesColourMultiplier());
    EXPECT_FLOAT_EQ(Value(vertical, "mult"), 0.3f);
    EXPECT_FLOAT_EQ(Value(vertical, "pixelWidth"), 1.0f / 1280.0f);
}

class ExposureFadeTest : public ::testing::Test {
  protected:
    void SetUp() override { SetExposure(4.0f); }
    void TearDown() override { SetExposure(4.0f); }
    void Run(float seconds, float step = 0.1f) {
        for (float t = 0.0f; t < seconds - 1e-4f; t += step) {
            fade.Update(step);
        }
    }
    ExposureFade fade;
};

TEST_F(ExposureFadeTest, AFadeInMovesToItsTargetAndHoldsItUntilTheFadeOut) {
    fade.FadeExposureIn(8.0f, 2.0f);
    EXPECT_TRUE(fade.HoldsExposure());
    Run(1.0f);
    EXPECT_NEAR(GetExposure(), 6.0f, 1e-4f);
    // A second fade-in while one runs is left alone.
    fade.FadeExposureIn(20.0f, 1.0f);
    Run(1.2f);
    EXPECT_FLOAT_EQ(GetExposure(), 8.0f);
    EXPECT_FALSE(fade.FadingIn());
    EXPECT_TRUE(fade.HoldsExposure());

    fade.FadeExposureOut(2.0f);
    Run(1.0f);
    EXPECT_NEAR(GetExposure(), 6.0f, 1e-4f);
    Run(1.2f);
    EXPECT_FLOAT_EQ(GetExposure(), 4.0f);
    EXPECT_FALSE(fade.HoldsExposure());
}

TEST_F(ExposureFadeTest, AFadeOutWithNothingFadedInLeavesTheExposure) {
    fade.FadeExposureOut(2.0f);
    Run(1.0f);
    EXPECT_FLOAT_EQ(GetExposure(), 4.0f);
    EXPECT_FALSE(fade.FadingOut());
}

TEST_F(ExposureFadeTest, AFadeInRequestedDuringAFadeOutContinuesFromTheCurrentValue) {
    struct Case {
        float target, duration;
    };
    for (const Case& c : {Case{8.0f, 1.0f}, Case{8.0f, 4.0f}, Case{12.0f, 2.0f}}) {
        SetExposure(4.0f);
        ExposureFade f;
        f.FadeExposureIn(8.0f, 1.0f);
        for (int i = 0; i < 12; ++i) {
            f.Update(0.1f);
        }
        f.FadeExposureOut(2.0f);
        for (int i = 0; i < 5; ++i) {
            f.Update(0.1f);
        }
        const float now = GetExposure();
        EXPECT_NEAR(now, 7.0f, 1e-4f);
        f.FadeExposureIn(c.target, c.duration);
        EXPECT_TRUE(f.FadingIn());
        f.Update(0.0f);
        EXPECT_NEAR(GetExposure(), now, 1e-4f) << c.target;
        f.Update(c.duration * 0.1f);
        EXPECT_GT(GetExposure(), now) << c.target;
        f.Update(c.duration);
        EXPECT_FLOAT_EQ(GetExposure(), c.target);
    }
}

TEST_F(ExposureFadeTest, TheTemporaryChangeFadesOutAfterItsDelay) {
    fade.StartExposureFade({8.0f, 1.0f, 2.0f, 1.0f});
    EXPECT_TRUE(fade.DelayedFadeOut());
    Run(1.0f);
    EXPECT_FLOAT_EQ(GetExposure(), 8.0f);
    Run(1.9f);
    EXPECT_FALSE(fade.FadingOut());
    EXPECT_FLOAT_EQ(GetExposure(), 8.0f);
    Run(0.2f);
    EXPECT_TRUE(fade.FadingOut());
    Run(0.5f);
    EXPECT_NEAR(GetExposure(), 6.0f, 0.45f);
    Run(0.6f);
    EXPECT_FLOAT_EQ(GetExposure(), 4.0f);
    EXPECT_FALSE(fade.HoldsExposure());

    // A cancel drops the delayed fade-out and gives the exposure back to the setting.
    fade.StartExposureFade({8.0f, 1.0f, 2.0f, 1.0f});
    Run(1.0f);
    fade.CancelDelayedFade();
    EXPECT_FALSE(fade.DelayedFadeOut());
    EXPECT_FALSE(fade.HoldsExposure());
    Run(3.0f);
    EXPECT_FALSE(fade.FadingOut());
}

TEST(ColourFadeTest, FadesRunOverTheirLengthAndEndClamped) {
    float rate = -0.5f, progress = 0.0f, multiplier = 1.0f;
    UpdateColourFade(0.25f, rate, progress, multiplier);
    EXPECT_FLOAT_EQ(multiplier, 0.5f);
    UpdateColourFade(0.3f, rate, progress, multiplier);
    EXPECT_FLOAT_EQ(multiplier, 0.0f);
    EXPECT_EQ(rate, 0.0f);
    EXPECT_EQ(progress, 0.0f);
    UpdateColourFade(1.0f, rate, progress, multiplier);
    EXPECT_FLOAT_EQ(multiplier, 0.0f);

    rate = 2.0f;
    UpdateColourFade(0.5f, rate, progress, multiplier);
    EXPECT_FLOAT_EQ(multiplier, 0.25f);
    UpdateColourFade(2.0f, rate, progress, multiplier);
    EXPECT_FLOAT_EQ(multiplier, 1.0f);
    EXPECT_EQ(rate, 0.0f);

    // A multiplier out of range is clamped even without a fade.
    multiplier = 3.0f;
    UpdateColourFade(0.1f, rate, progress, multiplier);
    EXPECT_FLOAT_EQ(multiplier, 1.0f);
}

TEST(FilmJitterTest, EachFilmFrameDropsTheImageByTheSeededGenerator) {
    crt::SeedRand(5);
    std::vector<float> expected;
    for (int i = 0; i < 2400; ++i) {
        expected.push_back(crt::Rand() % 200 == 0 ? static_cast<float>(crt::Rand() % 3) + 5.0f
                                                  : 0.0f);
    }
    crt::SeedRand(5);
    FilmJitter jitter;
    // Less than a film frame: nothing drawn yet.
    jitter.Update(0.02f);
    EXPECT_EQ(jitter.OffsetY(), 0.0f);
    int drops = 0;
    for (const float y : expected) {
        jitter.Update(1.0f / 24.0f);
        ASSERT_EQ(jitter.OffsetY(), y);
        EXPECT_EQ(jitter.OffsetX(), 0.0f);
        drops += y != 0.0f;
    }
    EXPECT_GT(drops, 0);
    EXPECT_LT(drops, 40);
}

TEST(LetterboxTest, NarrowScreensGetThe16To10Band) {
    struct Case {
        i32 w, h;
        gfx::Viewport viewport;
        bool clear;
        float top, bottom;
    };
    for (const Case& c :
         {Case{1024, 768, {0, 64, 1024, 640, 0.0f, 1.0f}, true, 64.5f, 703.0f},
          Case{1280, 800, {0, 0, 1280, 800, 0.0f, 1.0f}, false, -0.5f, 799.5f},
          Case{1920, 1080, {0, 0, 1920, 1080, 0.0f, 1.0f}, false, -0.5f, 1079.5f},
          Case{1500, 1000, {0, 31, 1500, 938, 0.0f, 1.0f}, false, 31.75f, 967.75f}}) {
        const gfx::Viewport v = MakeScreenViewport(c.w, c.h);
        EXPECT_EQ(v.x, c.viewport.x) << c.w;
        EXPECT_EQ(v.y, c.viewport.y) << c.w;
        EXPECT_EQ(v.width, c.viewport.width) << c.w;
        EXPECT_EQ(v.height, c.viewport.height) << c.w;
        const FinalQuad quad = MakeFinalQuad(c.w, c.h, 0.0f, 0.0f);
        EXPECT_EQ(quad.clear, c.clear) << c.w;
        EXPECT_FLOAT_EQ(quad.vertices[0].y, c.top) << c.w;
        EXPECT_FLOAT_EQ(quad.vertices[3].y, c.bottom) << c.w;
        EXPECT_FLOAT_EQ(quad.vertices[0].x, -0.5f) << c.w;
        EXPECT_FLOAT_EQ(quad.vertices[3].x, c.w - 0.5f) << c.w;
    }
    // The jitter moves all four corners.
    const FinalQuad moved = MakeFinalQuad(1280, 800, 0.0f, 6.0f);
    for (const FinalQuadVertex& v : moved.vertices) {
        EXPECT_TRUE(v.y == 5.5f || v.y == 805.5f) << v.y;
    }
}

// Every enabled effect draws into the target that is not its source, for every pattern of
// enabled effects and every first source (the forward scene in target 0, or a texture of
// its own: the bloom's result or the deferred image).
TEST(PingPongTest, NoTargetIsDrawnWhileItsTextureIsTheSource) {
    for (const i32 first : {-1, 0}) {
        for (u32 pattern = 0; pattern < 32; ++pattern) {
            i32 source = first;
            for (u32 effect = 0; effect < 5; ++effect) {
                if ((pattern & (1u << effect)) == 0) {
                    continue;
                }
                const i32 target = ChainTargetFor(source);
                ASSERT_TRUE(target == 0 || target == 1);
                ASSERT_NE(target, source) << first << " " << pattern << " " << effect;
                source = target;
            }
        }
    }
}

} // namespace
