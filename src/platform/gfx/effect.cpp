#include "platform/gfx/effect.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>
#include <iostream>

#include "platform/gfx/device.h"
#include "platform/gfx/program.h"
#include "platform/gfx/texture.h"

namespace gfx {
namespace {

// The light record as the game keeps it: a u32 kind, diffuse, specular and ambient colours
// (four floats each), position and direction (three each), range, falloff, three
// attenuation factors and the inner and outer cone angles: 104 bytes.
constexpr u32 kLightRecordBytes = 104;

constexpr const char* kLightFields[] = {"kind",        "diffuse",    "specular",  "ambient",
                                        "position",    "direction",  "range",     "falloff",
                                        "attenuation", "inner_cone", "outer_cone"};
constexpr u32 kLightFieldCount = 11;

void UploadLight(const i32* at, const float* v) {
    glUniform1i(at[0], static_cast<i32>(v[0]));
    glUniform4fv(at[1], 1, v + 1);
    glUniform4fv(at[2], 1, v + 5);
    glUniform4fv(at[3], 1, v + 9);
    glUniform3fv(at[4], 1, v + 13);
    glUniform3fv(at[5], 1, v + 16);
    glUniform1f(at[6], v[19]);
    glUniform1f(at[7], v[20]);
    glUniform3fv(at[8], 1, v + 21);
    glUniform1f(at[9], v[24]);
    glUniform1f(at[10], v[25]);
}

GLenum SamplerTarget(ParamType type) {
    return type == ParamType::SamplerCube ? GL_TEXTURE_CUBE_MAP
           : type == ParamType::Sampler3D ? GL_TEXTURE_3D
                                          : GL_TEXTURE_2D;
}

} // namespace

ParameterStore::ParameterStore(const EffectFile& file)
    : m_file(file), m_values(file.params.size()), m_textures(file.params.size(), nullptr),
      m_samplers(file.params.size(), 0) {
    for (std::size_t i = 0; i < file.params.size(); ++i) {
        const EffectParam& p = file.params[i];
        m_values[i].assign(ParamFloatCount(p.type) * p.ElementCount(), 0.0f);
        std::copy(p.defaults.begin(), p.defaults.end(), m_values[i].begin());
    }
}

ParameterStore::~ParameterStore() {
    for (const u32 sampler : m_samplers) {
        if (sampler != 0) {
            glDeleteSamplers(1, &sampler);
        }
    }
}

EffectHandle ParameterStore::Find(std::string_view name) const {
    return EffectHandle{m_file.FindParam(name)};
}

void ParameterStore::SetFloats(EffectHandle param, const float* values, u32 count) {
    if (!param) {
        return;
    }
    std::vector<float>& store = m_values[static_cast<std::size_t>(param.index)];
    std::copy_n(values, std::min<std::size_t>(count, store.size()), store.begin());
}

void ParameterStore::SetBool(EffectHandle param, bool value) {
    const float v = value ? 1.0f : 0.0f;
    SetFloats(param, &v, 1);
}

void ParameterStore::SetTexture(EffectHandle param, Texture* texture) {
    if (param && IsSampler(m_file.params[static_cast<std::size_t>(param.index)].type)) {
        m_textures[static_cast<std::size_t>(param.index)] = texture;
    }
}

void ParameterStore::SetValue(EffectHandle param, const void* data, u32 bytes) {
    if (!param) {
        return;
    }
    const std::size_t index = static_cast<std::size_t>(param.index);
    if (m_file.params[index].type != ParamType::Light) {
        std::vector<float> floats(bytes / sizeof(float));
        std::memcpy(floats.data(), data, floats.size() * sizeof(float));
        SetFloats(param, floats.data(), static_cast<u32>(floats.size()));
        return;
    }
    if (bytes < kLightRecordBytes) {
        return;
    }
    u32 kind = 0;
    std::memcpy(&kind, data, sizeof(kind));
    std::vector<float>& store = m_values[index];
    store[0] = static_cast<float>(kind);
    // After the kind the record is 25 floats, which the store keeps in the same order.
    std::memcpy(store.data() + 1, static_cast<const u8*>(data) + 4, 25 * sizeof(float));
}

const std::vector<i32>& ParameterStore::Locations(const Program& program) {
    for (const auto& [name, locations] : m_locations) {
        if (name == program.Name()) {
            return locations;
        }
    }
    // One location per parameter, then the fields of each light in declaration order.
    std::vector<i32> locations;
    for (const EffectParam& p : m_file.params) {
        locations.push_back(glGetUniformLocation(program.Name(), p.name.c_str()));
    }
    for (const EffectParam& p : m_file.params) {
        if (p.type == ParamType::Light) {
            for (const char* field : kLightFields) {
                locations.push_back(
                    glGetUniformLocation(program.Name(), (p.name + "." + field).c_str()));
            }
        }
    }
    m_locations.emplace_back(program.Name(), std::move(locations));
    return m_locations.back().second;
}

void ParameterStore::Upload(const Program& program, Device& device) {
    const std::vector<i32>& locations = Locations(program);
    std::size_t lightFields = m_file.params.size();
    for (std::size_t i = 0; i < m_file.params.size(); ++i) {
        const EffectParam& p = m_file.params[i];
        const float* v = m_values[i].data();
        const GLsizei count = static_cast<GLsizei>(p.ElementCount());
        if (p.type == ParamType::Light) {
            UploadLight(&locations[lightFields], v);
            lightFields += kLightFieldCount;
            continue;
        }
        const i32 at = locations[i];
        if (IsSampler(p.type)) {
            Texture* texture = m_textures[i];
            if (p.deviceStage) {
                if (texture != nullptr) {
                    device.SetTexture(p.unit, texture);
                }
            } else {
                if (m_samplers[i] == 0) {
                    glGenSamplers(1, &m_samplers[i]);
                    const GLint filter = p.linear ? GL_LINEAR : GL_NEAREST;
                    const GLint wrap = p.clamp ? GL_CLAMP_TO_EDGE : GL_REPEAT;
                    glSamplerParameteri(m_samplers[i], GL_TEXTURE_MAG_FILTER, filter);
                    glSamplerParameteri(m_samplers[i], GL_TEXTURE_MIN_FILTER,
                                        p.linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST);
                    glSamplerParameteri(m_samplers[i], GL_TEXTURE_WRAP_S, wrap);
                    glSamplerParameteri(m_samplers[i], GL_TEXTURE_WRAP_T, wrap);
                    glSamplerParameteri(m_samplers[i], GL_TEXTURE_WRAP_R, wrap);
                }
                const GLenum target = SamplerTarget(p.type);
                const GLuint name =
                    texture != nullptr && texture->GLTarget() == target ? texture->GLName() : 0;
                glActiveTexture(GL_TEXTURE0 + p.unit);
                glBindTexture(target, name);
                glBindSampler(p.unit, m_samplers[i]);
            }
            glUniform1i(at, static_cast<GLint>(p.unit));
            continue;
        }
        if (at < 0) {
            continue;
        }
        switch (p.type) {
        case ParamType::Bool:
        case ParamType::Int: {
            std::vector<GLint> ints(m_values[i].size());
            std::transform(m_values[i].begin(), m_values[i].end(), ints.begin(),
                           [](float f) { return static_cast<GLint>(f); });
            glUniform1iv(at, count, ints.data());
            break;
        }
        case ParamType::Float:
            glUniform1fv(at, count, v);
            break;
        case ParamType::Float2:
            glUniform2fv(at, count, v);
            break;
        case ParamType::Float3:
            glUniform3fv(at, count, v);
            break;
        case ParamType::Float4:
            glUniform4fv(at, count, v);
            break;
        case ParamType::Float4x4:
            // Row-major as the game keeps them, so the shaders compute v * M.
            glUniformMatrix4fv(at, count, GL_TRUE, v);
            break;
        default:
            break;
        }
    }
}

std::unique_ptr<Program> BuildEffectProgram(const EffectFile& file, const EffectBlock& vertex,
                                            const EffectBlock& fragment, const std::string& what,
                                            std::string* error) {
    std::string log;
    std::unique_ptr<Program> program =
        Program::Create(file.StageSource(vertex, true), file.StageSource(fragment, false), &log);
    if (program == nullptr && error != nullptr) {
        *error = file.fileName + ": " + what + ": " + log;
    }
    return program;
}

Effect::Effect(std::unique_ptr<EffectFile> file) : m_file(std::move(file)), m_params(*m_file) {}

Effect::~Effect() = default;

std::unique_ptr<Effect> Effect::Parse(const std::string& fileName, std::string_view text,
                                      std::string* error) {
    auto file = std::make_unique<EffectFile>();
    if (!ParseEffectFile(fileName, text, *file, error)) {
        return nullptr;
    }
    return std::unique_ptr<Effect>(new Effect(std::move(file)));
}

void Effect::Attach(Device& device, std::unique_ptr<StateDevice> states) {
    m_device = &device;
    m_states = std::move(states);
}

bool Effect::Build(std::string* error) {
    if (m_built) {
        return true;
    }
    if (m_device == nullptr || m_build_failed) {
        return false;
    }
    m_programs.clear();
    for (const EffectTechnique& technique : m_file->techniques) {
        auto& programs = m_programs.emplace_back();
        for (std::size_t i = 0; i < technique.passes.size(); ++i) {
            const EffectPass& pass = technique.passes[i];
            const std::string what = "technique " + technique.name + " pass " + std::to_string(i);
            programs.push_back(BuildEffectProgram(*m_file, *m_file->FindVertex(pass.vertex),
                                                  *m_file->FindFragment(pass.fragment), what,
                                                  error));
            if (programs.back() == nullptr) {
                m_programs.clear();
                m_build_failed = true;
                return false;
            }
        }
    }
    m_built = true;
    return true;
}

EffectHandle Effect::GetTechniqueByName(std::string_view name) const {
    return EffectHandle{m_file->FindTechnique(name)};
}

bool Effect::SetTechnique(std::string_view name) {
    return SetTechnique(GetTechniqueByName(name));
}

bool Effect::SetTechnique(EffectHandle technique) {
    if (!technique) {
        return false;
    }
    m_technique = static_cast<u32>(technique.index);
    return true;
}

const std::string& Effect::CurrentTechnique() const {
    static const std::string kNone;
    return m_file->techniques.empty() ? kNone : m_file->techniques[m_technique].name;
}

bool Effect::Begin(u32* passes, u32 /*flags*/) {
    if (!m_built && !m_build_failed && m_device != nullptr) {
        std::string error;
        if (!Build(&error)) {
            std::cerr << error << std::endl;
        }
    }
    const bool usable = m_built && m_technique < m_file->techniques.size();
    if (passes != nullptr) {
        *passes = usable ? static_cast<u32>(m_file->techniques[m_technique].passes.size()) : 0;
    }
    return usable;
}

void Effect::BeginPass(u32 pass) {
    if (!m_built || m_technique >= m_programs.size() || pass >= m_programs[m_technique].size()) {
        return;
    }
    if (m_active_pass >= 0) {
        EndPass();
    }
    m_active_pass = static_cast<i32>(pass);
    for (const EffectPassState& s : m_file->techniques[m_technique].passes[pass].states) {
        m_saved_states.push_back({s.state, m_states->GetRenderState(s.state)});
        m_states->SetRenderState(s.state, s.value);
    }
    CommitChanges();
}

void Effect::CommitChanges() {
    if (m_active_pass < 0) {
        return;
    }
    const Program& program = *m_programs[m_technique][static_cast<std::size_t>(m_active_pass)];
    program.Use();
    m_params.Upload(program, *m_device);
    m_device->SetProgram(program.Name());
}

void Effect::EndPass() {
    if (m_active_pass < 0) {
        return;
    }
    PutBackStates();
    m_device->SetProgram(0);
    m_active_pass = -1;
}

void Effect::End() {
    EndPass();
}

void Effect::PutBackStates() {
    for (auto it = m_saved_states.rbegin(); it != m_saved_states.rend(); ++it) {
        m_states->SetRenderState(it->state, it->value);
    }
    m_saved_states.clear();
}

} // namespace gfx
