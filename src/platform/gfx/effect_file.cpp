#include "platform/gfx/effect_file.h"

#include <charconv>
#include <sstream>

#include "platform/gfx/render_states.h"

namespace gfx {
namespace {

struct TypeName {
    const char* name;
    ParamType type;
    const char* glsl;
};

constexpr TypeName kTypes[] = {
    {"bool", ParamType::Bool, "bool"},
    {"int", ParamType::Int, "int"},
    {"float", ParamType::Float, "float"},
    {"float2", ParamType::Float2, "vec2"},
    {"float3", ParamType::Float3, "vec3"},
    {"float4", ParamType::Float4, "vec4"},
    {"float4x4", ParamType::Float4x4, "mat4"},
    {"light", ParamType::Light, "LightRecord"},
    {"sampler2D", ParamType::Sampler2D, "sampler2D"},
    {"samplerCube", ParamType::SamplerCube, "samplerCube"},
    {"sampler3D", ParamType::Sampler3D, "sampler3D"},
};

const char* GlslType(ParamType type) {
    for (const TypeName& t : kTypes) {
        if (t.type == type) {
            return t.glsl;
        }
    }
    return "float";
}

struct NamedValue {
    const char* name;
    u32 value;
};

constexpr NamedValue kStateNames[] = {
    {"ZENABLE", kRsZEnable},
    {"FILLMODE", kRsFillMode},
    {"ZWRITEENABLE", kRsZWriteEnable},
    {"ALPHATESTENABLE", kRsAlphaTestEnable},
    {"SRCBLEND", kRsSrcBlend},
    {"DESTBLEND", kRsDestBlend},
    {"CULLMODE", kRsCullMode},
    {"ZFUNC", kRsZFunc},
    {"ALPHABLENDENABLE", kRsAlphaBlendEnable},
    {"STENCILENABLE", kRsStencilEnable},
};

// Value words; each state takes the words of its kind and numbers.
constexpr NamedValue kBoolValues[] = {{"FALSE", 0}, {"TRUE", 1}};
constexpr NamedValue kFillValues[] = {
    {"POINT", kFillPoint}, {"WIREFRAME", kFillWireframe}, {"SOLID", kFillSolid}};
constexpr NamedValue kCullValues[] = {{"NONE", kCullNone}, {"CW", kCullCw}, {"CCW", kCullCcw}};
constexpr NamedValue kBlendValues[] = {
    {"ZERO", kBlendZero},           {"ONE", kBlendOne},
    {"SRCCOLOR", kBlendSrcColor},   {"INVSRCCOLOR", kBlendInvSrcColor},
    {"SRCALPHA", kBlendSrcAlpha},   {"INVSRCALPHA", kBlendInvSrcAlpha},
    {"DESTALPHA", kBlendDestAlpha}, {"INVDESTALPHA", kBlendInvDestAlpha},
    {"DESTCOLOR", kBlendDestColor}, {"INVDESTCOLOR", kBlendInvDestColor}};
constexpr NamedValue kCompareValues[] = {{"NEVER", kCmpNever},
                                         {"LESS", kCmpLess},
                                         {"EQUAL", kCmpEqual},
                                         {"LESSEQUAL", kCmpLessEqual},
                                         {"GREATER", kCmpGreater},
                                         {"NOTEQUAL", kCmpNotEqual},
                                         {"GREATEREQUAL", kCmpGreaterEqual},
                                         {"ALWAYS", kCmpAlways}};

template <std::size_t N>
bool Lookup(const NamedValue (&table)[N], std::string_view name, u32& out) {
    for (const NamedValue& entry : table) {
        if (name == entry.name) {
            out = entry.value;
            return true;
        }
    }
    return false;
}

bool ParseNumber(std::string_view text, u32& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
            ++at;
        }
        std::size_t end = at;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t') {
            ++end;
        }
        if (end > at) {
            words.push_back(line.substr(at, end - at));
        }
        at = end;
    }
    return words;
}

std::string_view Trim(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
        line.remove_prefix(1);
    }
    return line;
}

class Parser {
  public:
    Parser(const std::string& fileName, std::string_view text, EffectFile& out)
        : m_file_name(fileName), m_out(out) {
        std::size_t at = 0;
        while (at <= text.size()) {
            const std::size_t end = text.find('\n', at);
            const std::size_t stop = end == std::string_view::npos ? text.size() : end;
            m_lines.push_back(text.substr(at, stop - at));
            if (end == std::string_view::npos) {
                break;
            }
            at = end + 1;
        }
    }

    bool Run(std::string* error) {
        m_out = EffectFile{};
        m_out.fileName = m_file_name;
        u32 line = 0;
        std::string_view text;
        while (NextStatement(line, text)) {
            if (!TopLevel(line, Words(text))) {
                if (error != nullptr) {
                    *error = m_error;
                }
                return false;
            }
        }
        return true;
    }

  private:
    bool Fail(u32 line, const std::string& what) {
        std::ostringstream text;
        text << m_file_name << ":" << line << ": " << what;
        m_error = text.str();
        return false;
    }

    bool TopLevel(u32 line, const std::vector<std::string_view>& words) {
        const std::string_view keyword = words[0];
        if (keyword == "shared" || keyword == "vertex" || keyword == "fragment") {
            return GlslBlock(line, words);
        }
        if (keyword == "param") {
            return Param(line, words);
        }
        if (keyword == "technique") {
            return Technique(line, words);
        }
        return Fail(line, "unknown entry \"" + std::string(keyword) + "\"");
    }

    bool GlslBlock(u32 line, const std::vector<std::string_view>& words) {
        const bool shared = words[0] == "shared";
        const std::size_t expected = shared ? 2 : 3;
        if (words.size() != expected || words.back() != "{{") {
            return Fail(line,
                        "expected \"" + std::string(words[0]) + (shared ? " {{\"" : " Name {{\""));
        }
        EffectBlock block;
        block.name = shared ? "" : std::string(words[1]);
        block.line = line + 1;
        bool closed = false;
        while (m_next < m_lines.size()) {
            const std::string_view text = m_lines[m_next++];
            if (Trim(text) == "}}") {
                closed = true;
                break;
            }
            block.source.append(text);
            block.source.push_back('\n');
        }
        if (!closed) {
            return Fail(line, "block \"" + std::string(words[0]) + " " + block.name +
                                  "\" is not closed with \"}}\"");
        }
        if (shared) {
            if (!m_out.shared.source.empty() || m_out.shared.line != 0) {
                return Fail(line, "a second shared block");
            }
            m_out.shared = std::move(block);
            return true;
        }
        std::vector<EffectBlock>& blocks =
            words[0] == "vertex" ? m_out.vertexBlocks : m_out.fragmentBlocks;
        for (const EffectBlock& other : blocks) {
            if (other.name == block.name) {
                return Fail(line,
                            "duplicate " + std::string(words[0]) + " block \"" + block.name + "\"");
            }
        }
        blocks.push_back(std::move(block));
        return true;
    }

    bool Param(u32 line, const std::vector<std::string_view>& words) {
        if (words.size() < 3) {
            return Fail(line, "expected \"param type name\"");
        }
        EffectParam param;
        param.line = line;
        bool known = false;
        for (const TypeName& t : kTypes) {
            if (words[1] == t.name) {
                param.type = t.type;
                known = true;
            }
        }
        if (!known) {
            return Fail(line, "unknown parameter type \"" + std::string(words[1]) + "\"");
        }
        std::string_view name = words[2];
        const std::size_t bracket = name.find('[');
        if (bracket != std::string_view::npos) {
            if (name.back() != ']' ||
                !ParseNumber(name.substr(bracket + 1, name.size() - bracket - 2),
                             param.arraySize) ||
                param.arraySize == 0) {
                return Fail(line, "bad array size in \"" + std::string(name) + "\"");
            }
            name = name.substr(0, bracket);
        }
        param.name = std::string(name);
        if (m_out.FindParam(param.name) >= 0) {
            return Fail(line, "duplicate parameter \"" + param.name + "\"");
        }
        if (IsSampler(param.type)) {
            if (!SamplerBinding(line, words, param)) {
                return false;
            }
        } else if (words.size() > 3 && !Defaults(line, words, param)) {
            return false;
        }
        m_out.params.push_back(std::move(param));
        return true;
    }

    bool Defaults(u32 line, const std::vector<std::string_view>& words, EffectParam& param) {
        const std::size_t capacity = ParamFloatCount(param.type) * param.ElementCount();
        if (words[3] != "=" || words.size() == 4 || words.size() - 4 > capacity) {
            return Fail(line, "bad starting value of \"" + param.name + "\"");
        }
        for (std::size_t i = 4; i < words.size(); ++i) {
            if (words[i] == "true" || words[i] == "false") {
                param.defaults.push_back(words[i] == "true" ? 1.0f : 0.0f);
                continue;
            }
            float value = 0.0f;
            const auto [end, ec] =
                std::from_chars(words[i].data(), words[i].data() + words[i].size(), value);
            if (ec != std::errc() || end != words[i].data() + words[i].size()) {
                return Fail(line, "bad starting value of \"" + param.name + "\"");
            }
            param.defaults.push_back(value);
        }
        return true;
    }

    bool SamplerBinding(u32 line, const std::vector<std::string_view>& words, EffectParam& param) {
        if (param.arraySize != 0) {
            return Fail(line, "sampler \"" + param.name + "\" cannot be an array");
        }
        if (words.size() < 5 || !ParseNumber(words[4], param.unit)) {
            return Fail(line, "sampler \"" + param.name + "\" needs \"unit N\" or \"stage N\"");
        }
        if (words[3] == "stage") {
            param.deviceStage = true;
            if (param.unit >= kSamplerStageCount || words.size() != 5) {
                return Fail(line, "sampler \"" + param.name + "\": device stage is 0 to 7");
            }
            return true;
        }
        if (words[3] != "unit" || param.unit < kSamplerStageCount) {
            return Fail(line, "sampler \"" + param.name + "\": own units start at 8");
        }
        for (std::size_t i = 5; i < words.size(); ++i) {
            if (words[i] == "linear" || words[i] == "point") {
                param.linear = words[i] == "linear";
            } else if (words[i] == "wrap" || words[i] == "clamp") {
                param.clamp = words[i] == "clamp";
            } else {
                return Fail(line, "unknown sampler option \"" + std::string(words[i]) + "\"");
            }
        }
        return true;
    }

    bool Technique(u32 line, const std::vector<std::string_view>& words) {
        if (words.size() != 3 || words[2] != "{") {
            return Fail(line, "expected \"technique Name {\"");
        }
        EffectTechnique technique;
        technique.name = std::string(words[1]);
        technique.line = line;
        if (m_out.FindTechnique(technique.name) >= 0) {
            return Fail(line, "duplicate technique \"" + technique.name + "\"");
        }
        u32 at = 0;
        std::string_view text;
        while (NextStatement(at, text)) {
            if (text == "}") {
                if (technique.passes.empty()) {
                    return Fail(line, "technique \"" + technique.name + "\" has no pass");
                }
                m_out.techniques.push_back(std::move(technique));
                return true;
            }
            const std::vector<std::string_view> inner = Words(text);
            if (inner.size() != 2 || inner[0] != "pass" || inner[1] != "{") {
                return Fail(at,
                            "expected \"pass {\" or \"}\" in technique \"" + technique.name + "\"");
            }
            EffectPass pass;
            if (!Pass(at, pass)) {
                return false;
            }
            technique.passes.push_back(std::move(pass));
        }
        return Fail(line, "technique \"" + technique.name + "\" is not closed with \"}\"");
    }

    // The next line that is neither blank nor a comment, trimmed, with its 1-based number;
    // false at the end of the text.
    bool NextStatement(u32& number, std::string_view& text) {
        while (m_next < m_lines.size()) {
            number = static_cast<u32>(m_next + 1);
            text = Trim(m_lines[m_next++]);
            if (!text.empty() && !text.starts_with("//")) {
                return true;
            }
        }
        return false;
    }

    bool Pass(u32 line, EffectPass& pass) {
        pass.line = line;
        u32 at = 0;
        std::string_view text;
        while (NextStatement(at, text)) {
            if (text == "}") {
                if (pass.vertex.empty() || pass.fragment.empty()) {
                    return Fail(line, "pass needs a vertex and a fragment block");
                }
                return true;
            }
            const std::vector<std::string_view> words = Words(text);
            if (words[0] == "vertex" || words[0] == "fragment") {
                const bool vertex = words[0] == "vertex";
                if (words.size() != 2) {
                    return Fail(at, "expected \"" + std::string(words[0]) + " Name\"");
                }
                if ((vertex ? m_out.FindVertex(words[1]) : m_out.FindFragment(words[1])) ==
                    nullptr) {
                    return Fail(at, "unknown " + std::string(words[0]) + " block \"" +
                                        std::string(words[1]) + "\"");
                }
                (vertex ? pass.vertex : pass.fragment) = std::string(words[1]);
            } else if (words[0] == "state") {
                EffectPassState state;
                if (words.size() != 3 || !ParsePassState(words[1], words[2], state)) {
                    return Fail(at, "bad state \"" + std::string(text.substr(6)) + "\"");
                }
                pass.states.push_back(state);
            } else {
                return Fail(at, "unknown pass entry \"" + std::string(words[0]) + "\"");
            }
        }
        return Fail(line, "pass is not closed with \"}\"");
    }

    const std::string& m_file_name;
    EffectFile& m_out;
    std::vector<std::string_view> m_lines;
    std::size_t m_next = 0;
    std::string m_error;
};

} // namespace

u32 ParamFloatCount(ParamType type) {
    switch (type) {
    case ParamType::Bool:
    case ParamType::Int:
    case ParamType::Float:
        return 1;
    case ParamType::Float2:
        return 2;
    case ParamType::Float3:
        return 3;
    case ParamType::Float4:
        return 4;
    case ParamType::Float4x4:
        return 16;
    case ParamType::Light:
        // kind, three colours, position, direction, range, falloff, three attenuation
        // factors and the two cone angles.
        return 1 + 12 + 3 + 3 + 7;
    default:
        return 0;
    }
}

bool IsSampler(ParamType type) {
    return type == ParamType::Sampler2D || type == ParamType::SamplerCube ||
           type == ParamType::Sampler3D;
}

i32 EffectFile::FindParam(std::string_view name) const {
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (params[i].name == name) {
            return static_cast<i32>(i);
        }
    }
    return -1;
}

i32 EffectFile::FindTechnique(std::string_view name) const {
    for (std::size_t i = 0; i < techniques.size(); ++i) {
        if (techniques[i].name == name) {
            return static_cast<i32>(i);
        }
    }
    return -1;
}

const EffectBlock* EffectFile::FindVertex(std::string_view name) const {
    for (const EffectBlock& block : vertexBlocks) {
        if (block.name == name) {
            return &block;
        }
    }
    return nullptr;
}

const EffectBlock* EffectFile::FindFragment(std::string_view name) const {
    for (const EffectBlock& block : fragmentBlocks) {
        if (block.name == name) {
            return &block;
        }
    }
    return nullptr;
}

std::string EffectFile::StageSource(const EffectBlock& block, bool vertex) const {
    std::ostringstream out;
    out << "struct LightRecord {\n"
           "    int kind; vec4 diffuse; vec4 specular; vec4 ambient;\n"
           "    vec3 position; vec3 direction; float range; float falloff;\n"
           "    vec3 attenuation; float inner_cone; float outer_cone;\n"
           "};\n";
    for (const EffectParam& p : params) {
        out << "uniform " << GlslType(p.type) << " " << p.name;
        if (p.arraySize != 0) {
            out << "[" << p.arraySize << "]";
        }
        out << ";\n";
    }
    if (vertex) {
        out << "layout(location = 0) in vec4 in_position;\n"
               "layout(location = 1) in vec3 in_normal;\n"
               "layout(location = 2) in vec2 in_texcoord0;\n"
               "layout(location = 3) in vec3 in_tangent;\n"
               "layout(location = 4) in vec3 in_binormal;\n"
               "layout(location = 5) in vec4 in_colour;\n"
               // Pixel-positioned vertices (x, y from the target's top-left corner, as the
               // screen quads give them) to GL's clip space; the device sets u_viewport.
               "uniform vec4 u_viewport;\n"
               "vec4 PixelToGlClip(vec4 p) {\n"
               "    vec2 q = (p.xy + 0.5 - u_viewport.xy) / u_viewport.zw * 2.0 - 1.0;\n"
               "    return vec4(q, p.z * 2.0 - 1.0, 1.0);\n"
               "}\n";
    } else {
        out << "layout(location = 0) out vec4 o_colour0;\n"
               "layout(location = 1) out vec4 o_colour1;\n";
    }
    // Shared code that only one stage can compile (gl_FragCoord, discard) goes inside
    // "#ifdef FRAGMENT_STAGE" or "#ifdef VERTEX_STAGE".
    out << (vertex ? "#define VERTEX_STAGE 1\n" : "#define FRAGMENT_STAGE 1\n");
    if (shared.line != 0) {
        out << "#line " << shared.line << "\n" << shared.source;
    }
    out << "#line " << block.line << "\n" << block.source;
    return out.str();
}

bool ParseEffectFile(const std::string& fileName, std::string_view text, EffectFile& out,
                     std::string* error) {
    Parser parser(fileName, text, out);
    return parser.Run(error);
}

bool ParsePassState(std::string_view name, std::string_view value, EffectPassState& out) {
    if (!Lookup(kStateNames, name, out.state)) {
        return false;
    }
    if (ParseNumber(value, out.value)) {
        return true;
    }
    switch (out.state) {
    case kRsFillMode:
        return Lookup(kFillValues, value, out.value);
    case kRsCullMode:
        return Lookup(kCullValues, value, out.value);
    case kRsSrcBlend:
    case kRsDestBlend:
        return Lookup(kBlendValues, value, out.value);
    case kRsZFunc:
        return Lookup(kCompareValues, value, out.value);
    default:
        return Lookup(kBoolValues, value, out.value);
    }
}

} // namespace gfx
