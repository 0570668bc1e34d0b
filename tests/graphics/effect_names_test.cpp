// The effect files the renderer loads, checked against the names the renderer uses: every
// technique, raw-shader entry and parameter it selects or sets must be in the built shaders
// package, so a renamed or missing name fails here rather than silently at draw time.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "content/file_package.h"
#include "platform/gfx/effect_file.h"

namespace {

const std::string kPackage = std::string(GORVANE_ASSETS_DIR) + "/packages/shaders.kzp";

enum class Kind { Technique, Entry, Param };

struct Name {
    const char* file;
    Kind kind;
    const char* name;
};

constexpr Kind T = Kind::Technique;
constexpr Kind E = Kind::Entry;
constexpr Kind P = Kind::Param;

// The object effects share their parameter list; bumpMapping2 adds the bump map.
#define OBJECT_EFFECT(file)                                                                        \
    {file, T, "DeferredShading"}, {file, T, "TransformTech"}, {file, P, "gLightVecW"},             \
        {file, P, "gSpecularLight"}, {file, P, "gDiffuseLight"}, {file, P, "gAmbientLight"},       \
        {file, P, "gLightPosW"}, {file, P, "render_shadows"}, {file, P, "level_editor_mode"},      \
        {file, P, "gEyePosW"}, {file, P, "alpha_color"}, {file, P, "g_splitplane"},                \
        {file, P, "g_texturematrix"}, {file, P, "gView"}, {file, P, "useSpecularMapping"},         \
        {file, P, "gSpecularTex"}, {file, P, "gWVP"}, {file, P, "gWorld"},                         \
        {file, P, "hdr_multiplier"}, {file, P, "gSpecularPower"},                                  \
        {file, P, "gWorldInverseTranspose"}, {file, P, "useTexture"}, {file, P, "gDiffuseMtrl"}, { \
        file, P, "gTex"                                                                            \
    }

#define DEFERRED_LIGHTING(file)                                                                    \
    {file, T, "GlobalIllumination"}, {file, T, "LocalIllumination"},                               \
        {file, P, "normal_diffuse_map"}, {file, P, "position_specular_map"},                       \
        {file, P, "window_dimensions"}, {file, P, "noise_texture"},                                \
        {file, P, "noise_texture_depth"}, {file, P, "max_far_plane"},                              \
        {file, P, "SHADOW_MAP_TEXEL_SIZE"}, {file, P, "SHADOW_MAP_SIZE"},                          \
        {file, P, "g_texturematrix"}, {file, P, "g_splitplane"}, {file, P, "gView"},               \
        {file, P, "gEyePosW"}, {file, P, "gLightVecW"}, {file, P, "gSpecularLight"},               \
        {file, P, "gDiffuseLight"}, {file, P, "gAmbientLight"}, {file, P, "gLightPosW"},           \
        {file, P, "render_shadows"}, {file, P, "gFogRange"}, {file, P, "mult"},                    \
        {file, P, "light"}, {file, P, "gWVP"}, {file, P, "gWorld"}, {file, P, "distance_mod"},     \
        {file, P, "sphere_center"}, {file, P, "sphere_radius"}, {file, P, "volumetric_amount"}, {  \
        file, P, "always_visible"                                                                  \
    }

#define PARTICLE_EFFECT(file)                                                                      \
    {file, T, "ParticleTech"}, {file, P, "gWVP"}, {file, P, "gWorld"}, {file, P, "gEyePosW"},      \
        {file, P, "window_dimensions"}, {file, P, "normal_diffuse_map"}, {                         \
        file, P, "position_specular_map"                                                           \
    }

const Name kNames[] = {
    OBJECT_EFFECT("phongLighting2.fx"),
    OBJECT_EFFECT("bumpMapping2.fx"),
    {"bumpMapping2.fx", P, "gBumpTex"},
    {"bumpMapping2.fx", P, "gBumpTexWidth"},
    {"bumpMapping2.fx", P, "gBumpTexHeight"},
    {"nodepth.fx", T, "NoDepthDeferredTech"},
    {"fogged_objects.fx", T, "FoggedTechDeferred"},
    {"fogged_objects.fx", P, "gAmbientLight"},
    {"fogged_objects.fx", P, "window_dimensions"},
    {"fogged_objects.fx", P, "gEyePosW"},
    {"fogged_objects.fx", P, "normal_diffuse_map"},
    {"fogged_objects.fx", P, "position_specular_map"},
    {"fogged_objects.fx", P, "gWVP"},
    {"fogged_objects.fx", P, "gWorld"},
    {"simple_objects.fx", T, "SimpleTech"},
    {"simple_objects.fx", P, "gLightVecW"},
    {"simple_objects.fx", P, "gDiffuseLight"},
    {"simple_objects.fx", P, "gAmbientLight"},
    {"simple_objects.fx", P, "gLightPosW"},
    {"simple_objects.fx", P, "gEyePosW"},
    {"simple_objects.fx", P, "gFogRange"},
    {"simple_objects.fx", P, "window_dimensions"},
    {"simple_objects.fx", P, "normal_diffuse_map"},
    {"simple_objects.fx", P, "position_specular_map"},
    {"simple_objects.fx", P, "useTexture"},
    {"simple_objects.fx", P, "gTex"},
    {"simple_objects.fx", P, "gWVP"},
    {"simple_objects.fx", P, "gWorld"},
    {"simple_objects.fx", P, "gWorldInverseTranspose"},
    {"simple_objects.fx", P, "gDiffuseMtrl"},
    {"depth_buffer.fx", T, "BuildDepthBufferTech"},
    {"depth_buffer.fx", P, "depth_mult"},
    {"depth_buffer.fx", P, "gWVP"},
    DEFERRED_LIGHTING("deferredlighting2.fx"),
    DEFERRED_LIGHTING("deferredlighting3.fx"),
    DEFERRED_LIGHTING("deferredlighting4.fx"),
    {"sky.fx", T, "SkyTech"},
    {"sky.fx", P, "gEnvMap"},
    {"sky.fx", P, "gWVP"},
    {"sky.fx", P, "gEyePosW"},
    {"sky2.fx", T, "SkyTechDeferred"},
    {"sky2.fx", T, "SkyDepthBuffer"},
    {"sky2.fx", P, "gEnvMap"},
    {"sky2.fx", P, "gWVP"},
    {"sky2.fx", P, "gEyePosW"},
    {"sky2.fx", P, "mult"},
    {"shadowMapping.fx", T, "BuildShadowMapTech"},
    {"shadowMapping.fx", P, "view_proj"},
    {"shadowMapping.fx", P, "world"},
    {"postProcessing.fx", E, "BrightPass"},
    {"postProcessing.fx", E, "DownSample"},
    {"postProcessing.fx", E, "HorizontalBlur"},
    {"postProcessing.fx", E, "VerticalBlur"},
    {"postProcessing.fx", P, "fBrightPassThreshold"},
    {"postProcessing.fx", P, "tcDownSampleOffsets"},
    {"postProcessing.fx", P, "HBloomWeights"},
    {"postProcessing.fx", P, "HBloomOffsets"},
    {"postProcessing.fx", P, "VBloomWeights"},
    {"postProcessing.fx", P, "VBloomOffsets"},
    {"finalPass.fx", E, "main"},
    {"finalPass.fx", P, "g_rcp_bloom_tex_w"},
    {"finalPass.fx", P, "g_rcp_bloom_tex_h"},
    {"finalPass.fx", P, "fExposure"},
    {"finalPass.fx", P, "fGaussianScalar"},
    {"finalPass.fx", P, "use_tone_mapping"},
    {"threedee.fx", T, "ThreeDeeTech"},
    {"threedee.fx", T, "ThreeDeeTechMotionBlur"},
    {"threedee.fx", P, "gCameraPos"},
    {"threedee.fx", P, "pixel_width"},
    {"threedee.fx", P, "view_proj"},
    {"threedee.fx", P, "focalDist"},
    {"threedee.fx", P, "color_mult"},
    {"threedee.fx", P, "prev_view_proj"},
    {"threedee.fx", P, "scalar"},
    {"threedee.fx", P, "view_proj_inverse"},
    {"motionblur.fx", T, "MotionBlurTech"},
    {"motionblur.fx", T, "MotionBlurDeferredTech"},
    {"motionblur.fx", P, "prev_view_proj"},
    {"motionblur.fx", P, "scalar"},
    {"motionblur.fx", P, "view_proj_inverse"},
    {"motionblur.fx", P, "view_proj"},
    {"depthoffield.fx", T, "DepthOfFieldTech"},
    {"depthoffield.fx", T, "DepthOfFieldDeferredTech"},
    {"depthoffield.fx", P, "focalRange"},
    {"depthoffield.fx", P, "filterTaps"},
    {"depthoffield.fx", P, "maxCoC"},
    {"depthoffield.fx", P, "view_proj"},
    {"depthoffield.fx", P, "focalDist"},
    {"depthoffield.fx", P, "color_mult"},
    {"gaussianblur.fx", T, "GaussianBlurVerticalTech"},
    {"gaussianblur.fx", T, "GaussianBlurHorizontalTech"},
    {"gaussianblur.fx", P, "pixelWidth"},
    {"gaussianblur.fx", P, "pixelHeight"},
    {"gaussianblur.fx", P, "mult"},
    {"noisetexture.fx", T, "NoiseTextureTech"},
    {"noisetexture.fx", T, "BlurredNoiseTextureTech"},
    {"noisetexture.fx", T, "TwiceBlurredNoiseTextureTech"},
    {"noisetexture.fx", P, "blur_mult"},
    {"noisetexture.fx", P, "time_x"},
    {"noisetexture.fx", P, "time_y"},
    {"noisetexture.fx", P, "wrap_width"},
    {"noisetexture.fx", P, "wrap_height"},
    PARTICLE_EFFECT("particle_default.fx"),
    PARTICLE_EFFECT("particle_objective_light.fx"),
};

// The array sizes the renderer sets: the most it writes at once.
struct ArrayName {
    const char* file;
    const char* name;
    u32 size;
};

const ArrayName kArrays[] = {
    {"phongLighting2.fx", "g_splitplane", 4},
    {"phongLighting2.fx", "g_texturematrix", 4},
    {"bumpMapping2.fx", "g_splitplane", 4},
    {"bumpMapping2.fx", "g_texturematrix", 4},
    {"deferredlighting2.fx", "g_splitplane", 2},
    {"deferredlighting2.fx", "g_texturematrix", 2},
    {"deferredlighting3.fx", "g_splitplane", 3},
    {"deferredlighting3.fx", "g_texturematrix", 3},
    {"deferredlighting4.fx", "g_splitplane", 4},
    {"deferredlighting4.fx", "g_texturematrix", 4},
    {"postProcessing.fx", "tcDownSampleOffsets", 16},
    {"postProcessing.fx", "HBloomWeights", 9},
    {"postProcessing.fx", "HBloomOffsets", 9},
    {"postProcessing.fx", "VBloomWeights", 9},
    {"postProcessing.fx", "VBloomOffsets", 9},
    {"depthoffield.fx", "filterTaps", 12},
};

gfx::EffectFile ReadPackaged(const std::string& sourceName) {
    gfx::EffectFile file;
    FilePackage* package = FilePackage::Get(kPackage);
    u32 size = 0;
    const auto bytes = package != nullptr ? package->GetFile(sourceName + "o", size) : nullptr;
    if (bytes == nullptr) {
        ADD_FAILURE() << sourceName << "o is not in " << kPackage;
        return file;
    }
    std::string error;
    EXPECT_TRUE(gfx::ParseEffectFile(sourceName + "o",
                                     std::string(reinterpret_cast<const char*>(bytes.get()), size),
                                     file, &error))
        << error;
    return file;
}

TEST(EffectNamesTest, EveryNameTheRendererUsesIsInThePackage) {
    for (const Name& n : kNames) {
        const gfx::EffectFile file = ReadPackaged(n.file);
        switch (n.kind) {
        case Kind::Technique:
            EXPECT_GE(file.FindTechnique(n.name), 0) << n.file << ": technique " << n.name;
            break;
        case Kind::Entry:
            EXPECT_NE(file.FindFragment(n.name), nullptr) << n.file << ": entry " << n.name;
            break;
        case Kind::Param:
            EXPECT_GE(file.FindParam(n.name), 0) << n.file << ": parameter " << n.name;
            break;
        }
    }
}

TEST(EffectNamesTest, ArraysHoldWhatTheRendererSets) {
    for (const ArrayName& a : kArrays) {
        const gfx::EffectFile file = ReadPackaged(a.file);
        const i32 index = file.FindParam(a.name);
        ASSERT_GE(index, 0) << a.file << ": " << a.name;
        EXPECT_EQ(file.params[static_cast<std::size_t>(index)].arraySize, a.size)
            << a.file << ": " << a.name;
    }
}

TEST(EffectNamesTest, TheLightIsTheLightRecord) {
    for (const char* file :
         {"deferredlighting2.fx", "deferredlighting3.fx", "deferredlighting4.fx"}) {
        const gfx::EffectFile effect = ReadPackaged(file);
        const i32 index = effect.FindParam("light");
        ASSERT_GE(index, 0) << file;
        EXPECT_EQ(effect.params[static_cast<std::size_t>(index)].type, gfx::ParamType::Light);
    }
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The three deferred-lighting files are one template with the split count filled in: each
// committed file is the template with "@N@" the count and every "@each " line once per split.
TEST(EffectNamesTest, DeferredLightingFilesDifferOnlyInTheSplitCount) {
    const std::filesystem::path source = GORVANE_SOURCE_DIR;
    const std::string templ = ReadText(source / "tools/content/deferredlighting.fxt");
    ASSERT_FALSE(templ.empty());
    for (int splits = 2; splits <= 4; ++splits) {
        std::istringstream lines(templ);
        std::string expected;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("@each ", 0) == 0) {
                for (int i = 0; i < splits; ++i) {
                    expected += Replace(line.substr(6), "@i@", std::to_string(i)) + "\n";
                }
            } else {
                expected += Replace(line, "@N@", std::to_string(splits)) + "\n";
            }
        }
        const std::string name = "deferredlighting" + std::to_string(splits) + ".fxo";
        EXPECT_EQ(ReadText(source / "data/shaders" / name), expected) << name;
    }
}

TEST(EffectNamesTest, EveryPackagedEffectParses) {
    FilePackage* package = FilePackage::Get(kPackage);
    ASSERT_NE(package, nullptr);
    u32 effects = 0;
    for (const FilePackage::Entry& entry : package->Entries()) {
        const std::string name = entry.m_name;
        if (name.size() > 4 && name.substr(name.size() - 4) == ".fxo") {
            ReadPackaged(name.substr(0, name.size() - 1));
            ++effects;
        }
    }
    EXPECT_EQ(effects, 21u);
}

} // namespace
