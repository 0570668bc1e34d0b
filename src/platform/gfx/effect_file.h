#pragma once
// Our effect file format, parsed without GL. A file holds GLSL in named blocks and says
// which parameters the game may set and which techniques it may select:
//
//   // a comment line
//   shared {{            GLSL given to every vertex and fragment block; code for one
//   ...                  stage only goes inside #ifdef VERTEX_STAGE or FRAGMENT_STAGE
//   }}
//   vertex Name {{       a vertex stage body (main included); ToGlClip and PixelToGlClip are
//   ...                  there to call, as are the in_* attributes at the fixed locations
//   }}
//   fragment Name {{     a fragment stage body; o_colour0 and o_colour1 are the two targets
//   ...
//   }}
//   param float4x4 gWVP
//   param float hdr_multiplier = 1           (starting values, floats or true/false)
//   param float g_splitplane[3]
//   param light light                        (the LightRecord struct, see below)
//   param sampler2D gTex unit 8 linear wrap  (a unit of the effect's own, 8 and up)
//   param sampler2D scene stage 0            (whatever the device has on stage 0)
//   technique Name {
//     pass {
//       vertex Name
//       fragment Name
//       state ZENABLE FALSE
//     }
//   }
//
// A GLSL block ends at a line that is "}}" alone. Parameter types: bool, int, float, float2,
// float3, float4, float4x4, light, sampler2D, samplerCube, sampler3D. The uniforms are
// declared by the loader, so the blocks use the parameters without declaring them.
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/types.h"

namespace gfx {

enum class ParamType {
    Bool,
    Int,
    Float,
    Float2,
    Float3,
    Float4,
    Float4x4,
    Light,
    Sampler2D,
    SamplerCube,
    Sampler3D,
};

// The floats one element of a parameter keeps in the store (samplers keep none).
u32 ParamFloatCount(ParamType type);
bool IsSampler(ParamType type);

struct EffectParam {
    std::string name;
    ParamType type = ParamType::Float;
    // Elements of an array; 0 for a single value.
    u32 arraySize = 0;
    // Samplers: the texture unit, and whether it is a device stage (0..7) rather than a unit
    // of the effect's own (8 and up), with the filter and wrap of an own unit.
    u32 unit = 0;
    bool deviceStage = false;
    bool linear = true;
    bool clamp = false;
    // The starting values, first elements first; the rest start at 0.
    std::vector<float> defaults;
    u32 line = 0;

    u32 ElementCount() const { return arraySize == 0 ? 1 : arraySize; }
};

struct EffectBlock {
    std::string name;
    std::string source;
    // The file line of the block's first GLSL line, so GL's messages point into the file.
    u32 line = 0;
};

struct EffectPassState {
    u32 state = 0;
    u32 value = 0;
};

struct EffectPass {
    std::string vertex;
    std::string fragment;
    std::vector<EffectPassState> states;
    u32 line = 0;
};

struct EffectTechnique {
    std::string name;
    std::vector<EffectPass> passes;
    u32 line = 0;
};

struct EffectFile {
    std::string fileName;
    EffectBlock shared;
    std::vector<EffectBlock> vertexBlocks;
    std::vector<EffectBlock> fragmentBlocks;
    std::vector<EffectParam> params;
    std::vector<EffectTechnique> techniques;

    i32 FindParam(std::string_view name) const;
    i32 FindTechnique(std::string_view name) const;
    const EffectBlock* FindVertex(std::string_view name) const;
    const EffectBlock* FindFragment(std::string_view name) const;

    // The GLSL the loader puts before a stage's own block: the light struct, the parameters'
    // uniforms, the shared block and, for a vertex stage, the attributes; for a fragment
    // stage the two outputs. Each piece carries #line so GL's messages name file lines.
    std::string StageSource(const EffectBlock& block, bool vertex) const;
};

// False with "file:line: what" in *error for the first fault in the text.
bool ParseEffectFile(const std::string& fileName, std::string_view text, EffectFile& out,
                     std::string* error);

// A state name of a pass ("ZENABLE") and a value ("FALSE", "CCW", "LESSEQUAL", "ONE", a
// number) to the device's numbering; false for a name or value we do not know.
bool ParsePassState(std::string_view name, std::string_view value, EffectPassState& out);

} // namespace gfx
