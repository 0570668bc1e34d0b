// The device's states, texture stages, vertex layouts, built-in programs and draws.
#include <epoxy/gl.h>

#include "platform/gfx/buffer.h"
#include "platform/gfx/device.h"
#include "platform/gfx/program.h"
#include "platform/system/log.h"

namespace gfx {
namespace {

struct Attribute {
    GLuint location;
    GLint size;
    GLenum type;
    GLboolean normalised;
    u32 offset;
};

struct LayoutInfo {
    u32 stride;
    std::vector<Attribute> attributes;
    bool colour;
    bool normal;
};

// Locations: position 0, normal 1, texcoord0 2, tangent 3, binormal 4, colour 5. A packed
// colour is B, G, R, A in memory, which GL_BGRA reads as R, G, B, A.
const LayoutInfo& Layout(VertexLayout layout) {
    static const LayoutInfo kObject{56,
                                    {{0, 3, GL_FLOAT, GL_FALSE, 0},
                                     {3, 3, GL_FLOAT, GL_FALSE, 12},
                                     {4, 3, GL_FLOAT, GL_FALSE, 24},
                                     {1, 3, GL_FLOAT, GL_FALSE, 36},
                                     {2, 2, GL_FLOAT, GL_FALSE, 48}},
                                    false,
                                    true};
    static const LayoutInfo kScreen{
        24, {{0, 4, GL_FLOAT, GL_FALSE, 0}, {2, 2, GL_FLOAT, GL_FALSE, 16}}, false, false};
    static const LayoutInfo kColourTexture{24,
                                           {{0, 3, GL_FLOAT, GL_FALSE, 0},
                                            {5, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 12},
                                            {2, 2, GL_FLOAT, GL_FALSE, 16}},
                                           true,
                                           false};
    static const LayoutInfo kColour{
        16,
        {{0, 3, GL_FLOAT, GL_FALSE, 0}, {5, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 12}},
        true,
        false};
    switch (layout) {
    case VertexLayout::Object:
        return kObject;
    case VertexLayout::ScreenTexture:
        return kScreen;
    case VertexLayout::Colour:
        return kColour;
    case VertexLayout::ColourTexture:
    case VertexLayout::FadingQuad:
        break;
    }
    return kColourTexture;
}

struct Primitive {
    GLenum mode;
    u32 vertices;
};

Primitive ToGL(PrimitiveType type, u32 count) {
    switch (type) {
    case PrimitiveType::PointList:
        return {GL_POINTS, count};
    case PrimitiveType::LineList:
        return {GL_LINES, count * 2};
    case PrimitiveType::LineStrip:
        return {GL_LINE_STRIP, count + 1};
    case PrimitiveType::TriangleStrip:
        return {GL_TRIANGLE_STRIP, count + 2};
    case PrimitiveType::TriangleFan:
        return {GL_TRIANGLE_FAN, count + 2};
    case PrimitiveType::TriangleList:
        break;
    }
    return {GL_TRIANGLES, count * 3};
}

GLenum BlendFactor(u32 blend) {
    static constexpr GLenum kFactors[] = {GL_ZERO,      GL_ONE,
                                          GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR,
                                          GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                                          GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA,
                                          GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR};
    return blend >= kBlendZero && blend <= kBlendInvDestColor ? kFactors[blend - 1] : GL_ONE;
}

GLenum CompareFunction(u32 func) {
    static constexpr GLenum kFunctions[] = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                                            GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return func >= kCmpNever && func <= kCmpAlways ? kFunctions[func - 1] : GL_LEQUAL;
}

GLint AddressMode(u32 mode) {
    switch (mode) {
    case kAddressMirror:
        return GL_MIRRORED_REPEAT;
    case kAddressClamp:
        return GL_CLAMP_TO_EDGE;
    case kAddressBorder:
        return GL_CLAMP_TO_BORDER;
    default:
        return GL_REPEAT;
    }
}

GLint MinFilter(u32 min, u32 mip) {
    const bool linear = min == kFilterLinear;
    if (mip == kFilterPoint) {
        return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    }
    if (mip == kFilterLinear) {
        return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
    return linear ? GL_LINEAR : GL_NEAREST;
}

void Toggle(GLenum capability, bool on) {
    if (on) {
        glEnable(capability);
    } else {
        glDisable(capability);
    }
}

constexpr const char* kScreenVertex = R"(
layout(location = 0) in vec4 in_position;
layout(location = 2) in vec2 in_texcoord0;
uniform vec4 u_viewport;
out vec2 v_uv;
void main() {
    // Pixel x of the target is GL window x + 0.5, so a quad from -0.5 covers whole pixels.
    vec2 p = (in_position.xy + 0.5 - u_viewport.xy) / u_viewport.zw * 2.0 - 1.0;
    gl_Position = vec4(p, in_position.z * 2.0 - 1.0, 1.0);
    v_uv = in_texcoord0;
}
)";

constexpr const char* kScreenFragment = R"(
in vec2 v_uv;
uniform sampler2D s_stage0;
uniform int u_textured;
out vec4 o_colour;
void main() {
    o_colour = u_textured != 0 ? texture(s_stage0, v_uv) : vec4(1.0);
}
)";

constexpr const char* kTransformedVertex = R"(
layout(location = 0) in vec3 in_position;
layout(location = 1) in vec3 in_normal;
layout(location = 2) in vec2 in_texcoord0;
layout(location = 5) in vec4 in_colour;
uniform mat4 u_world;
uniform mat4 u_view;
uniform mat4 u_projection;
uniform vec4 u_colour;
uniform int u_has_colour;
out vec4 v_colour;
out vec2 v_uv;
out vec3 v_normal;
void main() {
    vec4 world = vec4(in_position, 1.0) * u_world;
    gl_Position = ToGlClip(world * u_view * u_projection);
    v_colour = u_has_colour != 0 ? in_colour : u_colour;
    v_uv = in_texcoord0;
    v_normal = (vec4(in_normal, 0.0) * u_world).xyz;
}
)";

constexpr const char* kTransformedFragment = R"(
in vec4 v_colour;
in vec2 v_uv;
in vec3 v_normal;
uniform sampler2D s_stage0;
uniform int u_textured;
uniform int u_has_normal;
uniform vec4 u_light_direction;
out vec4 o_colour;
void main() {
    vec4 colour = v_colour;
#ifdef LIT
    if (u_has_normal != 0) {
        colour.rgb *= 0.3 + 0.7 * max(dot(normalize(v_normal), -u_light_direction.xyz), 0.0);
    }
#endif
    if (u_textured != 0) {
        colour *= texture(s_stage0, v_uv);
    }
    o_colour = colour;
}
)";

std::unique_ptr<Program> BuildProgram(const char* name, const std::string& vertex,
                                      const std::string& fragment) {
    std::string error;
    std::unique_ptr<Program> program = Program::Create(vertex, fragment, &error);
    if (program == nullptr) {
        sys::Log() << "Built-in program " << name << ": " << error;
    }
    return program;
}

} // namespace

u32 VertexStride(VertexLayout layout) {
    return Layout(layout).stride;
}

void Device::ApplyDefaultStates() {
    m_render_states.fill(0);
    m_render_states[kRsZEnable - 1] = 1;
    m_render_states[kRsFillMode - 1] = kFillSolid;
    m_render_states[kRsZWriteEnable - 1] = 1;
    m_render_states[kRsSrcBlend - 1] = kBlendOne;
    m_render_states[kRsDestBlend - 1] = kBlendZero;
    m_render_states[kRsCullMode - 1] = kCullCcw;
    m_render_states[kRsZFunc - 1] = kCmpLessEqual;
    m_render_states[kRsLighting - 1] = 1;
    for (const u32 state :
         {kRsZEnable, kRsFillMode, kRsZWriteEnable, kRsAlphaTestEnable, kRsSrcBlend, kRsDestBlend,
          kRsCullMode, kRsZFunc, kRsAlphaBlendEnable, kRsStencilEnable, kRsLighting}) {
        SetRenderState(state, m_render_states[state - 1]);
    }
    glFrontFace(GL_CCW);

    for (u32 stage = 0; stage < kSamplerStageCount; ++stage) {
        auto& states = m_sampler_states[stage];
        states.fill(0);
        states[kSampAddressU - 1] = kAddressWrap;
        states[kSampAddressV - 1] = kAddressWrap;
        states[kSampAddressW - 1] = kAddressWrap;
        states[kSampMagFilter - 1] = kFilterPoint;
        states[kSampMinFilter - 1] = kFilterPoint;
        states[kSampMipFilter - 1] = kFilterNone;
        if (m_stages[stage].sampler == 0) {
            glGenSamplers(1, &m_stages[stage].sampler);
        }
        glBindSampler(stage, m_stages[stage].sampler);
        ApplySampler(stage);
    }
}

void Device::SetRenderState(u32 state, u32 value) {
    if (state == 0 || state > kRenderStateCount) {
        return;
    }
    m_render_states[state - 1] = value;
    switch (state) {
    case kRsZEnable:
        Toggle(GL_DEPTH_TEST, value != 0);
        break;
    case kRsFillMode:
        glPolygonMode(GL_FRONT_AND_BACK, value == kFillPoint       ? GL_POINT
                                         : value == kFillWireframe ? GL_LINE
                                                                   : GL_FILL);
        break;
    case kRsZWriteEnable:
        glDepthMask(value != 0 ? GL_TRUE : GL_FALSE);
        break;
    case kRsSrcBlend:
    case kRsDestBlend:
        glBlendFunc(BlendFactor(m_render_states[kRsSrcBlend - 1]),
                    BlendFactor(m_render_states[kRsDestBlend - 1]));
        break;
    case kRsCullMode:
        // Row 0 at the top turns the game's clockwise front faces into GL's
        // counter-clockwise ones.
        Toggle(GL_CULL_FACE, value == kCullCw || value == kCullCcw);
        glCullFace(value == kCullCw ? GL_FRONT : GL_BACK);
        break;
    case kRsZFunc:
        glDepthFunc(CompareFunction(value));
        break;
    case kRsAlphaBlendEnable:
        Toggle(GL_BLEND, value != 0);
        break;
    case kRsStencilEnable:
        Toggle(GL_STENCIL_TEST, value != 0);
        break;
    default:
        // Alpha test and lighting are read at draw time; the rest are only kept.
        break;
    }
}

u32 Device::GetRenderState(u32 state) const {
    return state == 0 || state > kRenderStateCount ? 0 : m_render_states[state - 1];
}

void Device::SetSamplerState(u32 sampler, u32 state, u32 value) {
    if (sampler >= kSamplerStageCount || state == 0 || state > kSamplerStateCount) {
        return;
    }
    m_sampler_states[sampler][state - 1] = value;
    ApplySampler(sampler);
}

u32 Device::GetSamplerState(u32 sampler, u32 state) const {
    if (sampler >= kSamplerStageCount || state == 0 || state > kSamplerStateCount) {
        return 0;
    }
    return m_sampler_states[sampler][state - 1];
}

void Device::ApplySampler(u32 stage) {
    const GLuint sampler = m_stages[stage].sampler;
    const auto& states = m_sampler_states[stage];
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, AddressMode(states[kSampAddressU - 1]));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, AddressMode(states[kSampAddressV - 1]));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, AddressMode(states[kSampAddressW - 1]));
    const u32 argb = states[kSampBorderColor - 1];
    const float border[4] = {static_cast<float>((argb >> 16) & 0xFF) / 255.0f,
                             static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
                             static_cast<float>(argb & 0xFF) / 255.0f,
                             static_cast<float>((argb >> 24) & 0xFF) / 255.0f};
    glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER,
                        states[kSampMagFilter - 1] == kFilterLinear ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER,
                        MinFilter(states[kSampMinFilter - 1], states[kSampMipFilter - 1]));
}

void Device::SetTexture(u32 stage, Texture* texture) {
    if (stage >= kSamplerStageCount) {
        return;
    }
    Stage& slot = m_stages[stage];
    const GLuint name = texture != nullptr ? texture->GLName() : 0;
    const GLenum target = texture != nullptr ? texture->GLTarget() : 0;
    glActiveTexture(GL_TEXTURE0 + stage);
    if (slot.target != 0 && slot.target != target) {
        glBindTexture(slot.target, 0);
    }
    if (texture != nullptr) {
        glBindTexture(target, name);
    }
    slot.texture = texture;
    slot.target = target;
}

void Device::SetStreamSource(VertexBuffer* buffer, u32 stride) {
    m_stream = buffer;
    m_stream_stride = stride;
}

void Device::SetTransform(TransformKind kind, const float matrix[16]) {
    float* target = kind == TransformKind::World  ? m_world
                    : kind == TransformKind::View ? m_view
                                                  : m_projection;
    std::copy(matrix, matrix + 16, target);
}

void Device::SetMaterialColour(const float rgba[4]) {
    std::copy(rgba, rgba + 4, m_material);
}

void Device::SetLightDirection(const float xyz[3]) {
    std::copy(xyz, xyz + 3, m_light_direction);
}

void Device::CreateVertexDeclarations() {
    for (u32& array : m_vertex_arrays) {
        if (array == 0) {
            glGenVertexArrays(1, &array);
        }
    }
}

void Device::ReleaseVertexDeclarations() {
    for (u32& array : m_vertex_arrays) {
        if (array != 0) {
            glDeleteVertexArrays(1, &array);
            array = 0;
        }
    }
}

bool Device::PrepareDraw() {
    CreateVertexDeclarations();
    glBindVertexArray(m_vertex_arrays[static_cast<std::size_t>(m_layout)]);
    if (m_program != 0) {
        glUseProgram(m_program);
        // Programs of the caller's that place pixel-positioned quads read the viewport too.
        const GLint viewport = glGetUniformLocation(m_program, "u_viewport");
        if (viewport >= 0) {
            glUniform4f(viewport, static_cast<float>(m_viewport.x),
                        static_cast<float>(m_viewport.y),
                        static_cast<float>(std::max(m_viewport.width, 1)),
                        static_cast<float>(std::max(m_viewport.height, 1)));
        }
        return true;
    }
    if (!m_programs_built) {
        m_programs_built = true;
        m_screen_program = BuildProgram("screen", kScreenVertex, kScreenFragment);
        m_unlit_program = BuildProgram("unlit", kTransformedVertex, kTransformedFragment);
        m_lit_program = BuildProgram("lit", kTransformedVertex,
                                     std::string("#define LIT\n") + kTransformedFragment);
    }
    const LayoutInfo& layout = Layout(m_layout);
    const bool textured = m_stages[0].target == GL_TEXTURE_2D;
    if (m_layout == VertexLayout::ScreenTexture) {
        const Program* program = m_screen_program.get();
        if (program == nullptr) {
            return false;
        }
        const float viewport[4] = {static_cast<float>(m_viewport.x),
                                   static_cast<float>(m_viewport.y),
                                   static_cast<float>(std::max(m_viewport.width, 1)),
                                   static_cast<float>(std::max(m_viewport.height, 1))};
        program->SetVector("u_viewport", viewport);
        program->SetInt("u_textured", textured ? 1 : 0);
        program->SetInt("s_stage0", 0);
        return true;
    }
    const bool lit = GetRenderState(kRsLighting) != 0;
    const Program* program = lit ? m_lit_program.get() : m_unlit_program.get();
    if (program == nullptr) {
        return false;
    }
    program->SetMatrix("u_world", m_world);
    program->SetMatrix("u_view", m_view);
    program->SetMatrix("u_projection", m_projection);
    program->SetVector("u_colour", m_material);
    program->SetVector("u_light_direction", m_light_direction);
    program->SetInt("u_has_colour", layout.colour ? 1 : 0);
    program->SetInt("u_has_normal", layout.normal ? 1 : 0);
    program->SetInt("u_textured", textured && m_layout != VertexLayout::Colour ? 1 : 0);
    program->SetInt("s_stage0", 0);
    return true;
}

void Device::SetAttributes(u32 stride) {
    for (const Attribute& a : Layout(m_layout).attributes) {
        glEnableVertexAttribArray(a.location);
        glVertexAttribPointer(a.location, a.size, a.type, a.normalised,
                              static_cast<GLsizei>(stride),
                              reinterpret_cast<const void*>(static_cast<std::uintptr_t>(a.offset)));
    }
}

void Device::DrawPrimitive(PrimitiveType type, u32 startVertex, u32 primitiveCount) {
    if (m_stream == nullptr || primitiveCount == 0 || !PrepareDraw()) {
        return;
    }
    m_stream->Bind();
    SetAttributes(m_stream_stride);
    const Primitive primitive = ToGL(type, primitiveCount);
    glDrawArrays(primitive.mode, static_cast<GLint>(startVertex),
                 static_cast<GLsizei>(primitive.vertices));
}

void Device::DrawIndexedPrimitive(PrimitiveType type, i32 baseVertex, u32 startIndex,
                                  u32 primitiveCount) {
    if (m_stream == nullptr || m_indices == nullptr || primitiveCount == 0 || !PrepareDraw()) {
        return;
    }
    m_stream->Bind();
    SetAttributes(m_stream_stride);
    m_indices->Bind();
    const Primitive primitive = ToGL(type, primitiveCount);
    const std::size_t indexSize = m_indices->IsWide() ? 4 : 2;
    glDrawElementsBaseVertex(primitive.mode, static_cast<GLsizei>(primitive.vertices),
                             m_indices->IsWide() ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(startIndex * indexSize), baseVertex);
}

void Device::DrawPrimitiveUP(PrimitiveType type, u32 primitiveCount, const void* vertices,
                             u32 stride) {
    if (vertices == nullptr || primitiveCount == 0 || !PrepareDraw()) {
        return;
    }
    const Primitive primitive = ToGL(type, primitiveCount);
    if (m_streaming_buffer == 0) {
        glGenBuffers(1, &m_streaming_buffer);
    }
    glBindBuffer(GL_ARRAY_BUFFER, m_streaming_buffer);
    // A fresh store for every draw, so the driver never waits for the previous one.
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(primitive.vertices) * stride, vertices,
                 GL_STREAM_DRAW);
    SetAttributes(stride);
    glDrawArrays(primitive.mode, 0, static_cast<GLsizei>(primitive.vertices));
}

} // namespace gfx
