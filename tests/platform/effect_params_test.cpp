// The parameter store without GL: what the setters keep for the next upload.
#include <gtest/gtest.h>

#include "platform/gfx/effect.h"

namespace {

constexpr const char* kEffect = R"(vertex V {{
void main() {}
}}
fragment F {{
void main() {}
}}
param float4 gColour = 0 0 0 1
param float3 gEyePosW
param float g_splitplane[3]
param light light
technique A {
  pass {
    vertex V
    fragment F
  }
}
technique B {
  pass {
    vertex V
    fragment F
  }
}
)";

std::unique_ptr<gfx::Effect> Parse() {
    std::string error;
    auto effect = gfx::Effect::Parse("params.fxo", kEffect, &error);
    EXPECT_NE(effect, nullptr) << error;
    return effect;
}

std::vector<float> Values(const gfx::Effect& effect, const char* name) {
    return effect.Parameters().Values(static_cast<u32>(effect.GetParameterByName(name).index));
}

TEST(EffectParamsTest, ValuesAreTheEffectsOwnAcrossTechniques) {
    auto effect = Parse();
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->CurrentTechnique(), "A");
    EXPECT_EQ(Values(*effect, "gColour"), (std::vector<float>{0, 0, 0, 1}));
    // Twelve bytes into a float4 leave its last component alone.
    const float rgb[3] = {0.25f, 0.5f, 0.75f};
    effect->SetValue("gColour", rgb, sizeof(rgb));
    ASSERT_TRUE(effect->SetTechnique("B"));
    EXPECT_EQ(Values(*effect, "gColour"), (std::vector<float>{0.25f, 0.5f, 0.75f, 1}));
    // An array takes as many values as it holds; fewer leave the rest.
    const float planes[5] = {1, 2, 3, 4, 5};
    effect->SetFloatArray("g_splitplane", planes, 5);
    EXPECT_EQ(Values(*effect, "g_splitplane"), (std::vector<float>{1, 2, 3}));
    effect->SetFloatArray("g_splitplane", planes + 3, 1);
    EXPECT_EQ(Values(*effect, "g_splitplane"), (std::vector<float>{4, 2, 3}));
    // Names the file does not declare change nothing and do not fail.
    effect->SetFloat("gColor", 9.0f);
    effect->SetBool("missing", true);
    EXPECT_FALSE(effect->GetParameterByName("gColor"));
    EXPECT_FALSE(effect->SetTechnique("C"));
    EXPECT_EQ(effect->CurrentTechnique(), "B");
}

// Without a device nothing can be drawn, and the calls around a draw do nothing.
TEST(EffectParamsTest, AnEffectWithoutADeviceHasNoPasses) {
    auto effect = Parse();
    ASSERT_NE(effect, nullptr);
    u32 passes = 7;
    EXPECT_FALSE(effect->Begin(&passes));
    EXPECT_EQ(passes, 0u);
    effect->BeginPass(0);
    effect->CommitChanges();
    effect->EndPass();
    effect->End();
    EXPECT_FALSE(effect->IsBuilt());
    std::string error;
    EXPECT_FALSE(effect->Build(&error));
}

TEST(EffectParamsTest, TheLightRecordIsDecodedFieldByField) {
    auto effect = Parse();
    ASSERT_NE(effect, nullptr);
    // Kind, diffuse, specular, ambient, position, direction, range, falloff, the three
    // attenuation factors, inner and outer cone: 104 bytes.
    struct {
        u32 kind;
        float rest[25];
    } record{};
    static_assert(sizeof(record) == 104);
    record.kind = 2;
    for (int i = 0; i < 25; ++i) {
        record.rest[i] = static_cast<float>(i + 1);
    }
    effect->SetValue("light", &record, sizeof(record));
    std::vector<float> expected{2.0f};
    for (int i = 0; i < 25; ++i) {
        expected.push_back(static_cast<float>(i + 1));
    }
    EXPECT_EQ(Values(*effect, "light"), expected);
    // A short record is not a light record.
    record.kind = 1;
    effect->SetValue("light", &record, 100);
    EXPECT_EQ(Values(*effect, "light")[0], 2.0f);
}

} // namespace
