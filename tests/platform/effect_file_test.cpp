#include <gtest/gtest.h>

#include <cctype>

#include "platform/gfx/effect_file.h"
#include "platform/gfx/render_states.h"

namespace {

constexpr const char* kGood = R"(// a small but complete effect
shared {{
float Twice(float x) { return 2.0 * x; }
}}
vertex Plain {{
void main() { gl_Position = ToGlClip(in_position * gWVP); }
}}
fragment Flat {{
void main() { o_colour0 = gColour * Twice(mult); }
}}
param float4x4 gWVP
param float4 gColour
param float mult = 0.5
param float g_splitplane[3]
param light light
param sampler2D gTex unit 8 point clamp
param sampler2D scene stage 0
technique Draw {
  pass {
    vertex Plain
    fragment Flat
    state ZENABLE FALSE
    state CULLMODE CW
    state SRCBLEND INVSRCALPHA
    state ZFUNC 8
  }
}
)";

TEST(EffectFileTest, ReadsBlocksParametersAndTechniques) {
    gfx::EffectFile file;
    std::string error;
    ASSERT_TRUE(gfx::ParseEffectFile("good.fxo", kGood, file, &error)) << error;
    ASSERT_EQ(file.techniques.size(), 1u);
    const gfx::EffectPass& pass = file.techniques[0].passes.at(0);
    EXPECT_EQ(pass.vertex, "Plain");
    EXPECT_EQ(pass.fragment, "Flat");
    ASSERT_EQ(pass.states.size(), 4u);
    EXPECT_EQ(pass.states[0].state, gfx::kRsZEnable);
    EXPECT_EQ(pass.states[0].value, 0u);
    EXPECT_EQ(pass.states[1].value, gfx::kCullCw);
    EXPECT_EQ(pass.states[2].value, gfx::kBlendInvSrcAlpha);
    EXPECT_EQ(pass.states[3].value, gfx::kCmpAlways);

    const gfx::EffectParam& splits = file.params.at(file.FindParam("g_splitplane"));
    EXPECT_EQ(splits.arraySize, 3u);
    EXPECT_EQ(file.params.at(file.FindParam("mult")).defaults, std::vector<float>{0.5f});
    const gfx::EffectParam& tex = file.params.at(file.FindParam("gTex"));
    EXPECT_EQ(tex.unit, 8u);
    EXPECT_FALSE(tex.deviceStage);
    EXPECT_FALSE(tex.linear);
    EXPECT_TRUE(tex.clamp);
    const gfx::EffectParam& scene = file.params.at(file.FindParam("scene"));
    EXPECT_TRUE(scene.deviceStage);
    EXPECT_EQ(scene.unit, 0u);
    EXPECT_EQ(file.FindParam("unknown"), -1);

    // GL's messages name lines of the file: the vertex body starts on line 6.
    const std::string source = file.StageSource(*file.FindVertex("Plain"), true);
    EXPECT_NE(source.find("#line 6\n"), std::string::npos);
    EXPECT_NE(source.find("uniform float g_splitplane[3];"), std::string::npos);
    EXPECT_NE(source.find("uniform LightRecord light;"), std::string::npos);
}

struct BadCase {
    const char* what;
    const char* text;
    const char* message; // part of the expected message, line included
};

const BadCase kBadCases[] = {
    {"unknown block in a pass",
     "vertex V {{\nvoid main() {}\n}}\nfragment F {{\nvoid main() {}\n}}\n"
     "technique T {\n  pass {\n    vertex V\n    fragment Missing\n  }\n}\n",
     "bad.fxo:10: unknown fragment block \"Missing\""},
    {"bad state name",
     "vertex V {{\nvoid main() {}\n}}\nfragment F {{\nvoid main() {}\n}}\n"
     "technique T {\n  pass {\n    vertex V\n    fragment F\n    state ZENABLED FALSE\n  }\n}\n",
     "bad.fxo:11: bad state"},
    {"bad state value",
     "vertex V {{\nvoid main() {}\n}}\nfragment F {{\nvoid main() {}\n}}\n"
     "technique T {\n  pass {\n    vertex V\n    fragment F\n    state CULLMODE SIDEWAYS\n  }\n}\n",
     "bad.fxo:11: bad state"},
    {"duplicate parameter", "param float mult\nparam float4 gColour\nparam float4 mult\n",
     "bad.fxo:3: duplicate parameter \"mult\""},
    {"unterminated block", "param float mult\nfragment F {{\nvoid main() {\n}\n",
     "bad.fxo:2: block \"fragment F\" is not closed"},
    {"unterminated technique",
     "vertex V {{\nvoid main() {}\n}}\nfragment F {{\nvoid main() {}\n}}\n"
     "technique T {\n  pass {\n    vertex V\n    fragment F\n  }\n",
     "bad.fxo:7: technique \"T\" is not closed"},
    {"unknown pass entry",
     "vertex V {{\nvoid main() {}\n}}\nfragment F {{\nvoid main() {}\n}}\n"
     "technique T {\n  pass {\n    geometry V\n  }\n}\n",
     "bad.fxo:9: unknown pass entry \"geometry\""},
    {"bad starting value", "param float mult = half\n", "bad.fxo:1: bad starting value"},
    {"too many starting values", "param float2 size = 1 2 3\n", "bad.fxo:1: bad starting value"},
    {"unknown parameter type", "\n\nparam half mult\n", "bad.fxo:3: unknown parameter type"},
    {"own sampler unit below 8", "param sampler2D gTex unit 2\n", "bad.fxo:1: sampler"},
    {"unknown entry outside blocks", "// fine\ntechnic T {\n", "bad.fxo:2: unknown entry"},
};

class EffectFileErrorTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(EffectFileErrorTest, NamesTheLine) {
    gfx::EffectFile file;
    std::string error;
    EXPECT_FALSE(gfx::ParseEffectFile("bad.fxo", GetParam().text, file, &error));
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Faults, EffectFileErrorTest, ::testing::ValuesIn(kBadCases),
                         [](const auto& info) {
                             std::string name = info.param.what;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

} // namespace
