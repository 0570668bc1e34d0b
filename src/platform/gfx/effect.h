#pragma once
// An effect: one parsed effect file, the values of its parameters and, once built on the
// render thread, one linked program per pass. Parameter values are the effect's own CPU
// state: they survive technique switches and Begin/End, and reach GL at BeginPass and
// CommitChanges. Pass states go through the state device given at creation (the renderer's
// state cache) and are put back at EndPass.
//
// A parameter the file does not declare is ignored by every setter.
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gfx/effect_file.h"
#include "platform/gfx/render_states.h"
#include "platform/system/types.h"

namespace gfx {

class Device;
class Program;
class Texture;

// A parameter or technique found by name; invalid when the name is unknown.
struct EffectHandle {
    i32 index = -1;
    explicit operator bool() const { return index >= 0; }
};

// The values of an effect's parameters, and their upload into a linked program.
class ParameterStore {
  public:
    explicit ParameterStore(const EffectFile& file);
    ~ParameterStore();
    ParameterStore(const ParameterStore&) = delete;
    ParameterStore& operator=(const ParameterStore&) = delete;

    EffectHandle Find(std::string_view name) const;
    void SetFloats(EffectHandle param, const float* values, u32 count);
    void SetBool(EffectHandle param, bool value);
    void SetTexture(EffectHandle param, Texture* texture);
    // Raw bytes: floats as they lie in memory, except a light parameter, which decodes the
    // 104-byte light record.
    void SetValue(EffectHandle param, const void* data, u32 bytes);

    const std::vector<float>& Values(u32 param) const { return m_values[param]; }
    Texture* GetTexture(u32 param) const { return m_textures[param]; }

    // Render thread: every parameter into `program` (its current program must be it), and
    // the textures onto their units and device stages.
    void Upload(const Program& program, Device& device);

  private:
    // The uniform locations of a program, looked up once.
    const std::vector<i32>& Locations(const Program& program);

    const EffectFile& m_file;
    std::vector<std::vector<float>> m_values;
    std::vector<Texture*> m_textures;
    // Sampler objects of the effect's own units, made at the first upload.
    std::vector<u32> m_samplers;
    // By program name; an effect has a few programs at most.
    std::vector<std::pair<u32, std::vector<i32>>> m_locations;
};

class Effect {
  public:
    // No GL: the file is parsed and the first technique selected. Null with the message
    // in *error when the text is not a valid effect file.
    static std::unique_ptr<Effect> Parse(const std::string& fileName, std::string_view text,
                                         std::string* error);
    ~Effect();
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    // Any thread: the device to draw with and the states to set passes through (normally
    // the renderer's state cache over the device), kept by the effect.
    void Attach(Device& device, std::unique_ptr<StateDevice> states);
    // Render thread: compiles and links every pass of every technique; false with the
    // file, the pass and GL's log in *error. Begin builds an attached effect that was not
    // built yet (its error then goes to stderr once); a failed build gives no passes.
    bool Build(std::string* error);
    bool IsBuilt() const { return m_built; }

    EffectHandle GetParameterByName(std::string_view name) const { return m_params.Find(name); }
    EffectHandle GetTechniqueByName(std::string_view name) const;
    bool SetTechnique(std::string_view name);
    bool SetTechnique(EffectHandle technique);
    const std::string& CurrentTechnique() const;

    // Sets *passes to the technique's pass count; false when the effect cannot be built.
    bool Begin(u32* passes, u32 flags = 0);
    void BeginPass(u32 pass);
    void CommitChanges();
    void EndPass();
    void End();

    void SetMatrix(std::string_view name, const float m[16]) {
        SetMatrix(GetParameterByName(name), m);
    }
    void SetMatrix(EffectHandle param, const float m[16]) { m_params.SetFloats(param, m, 16); }
    void SetMatrixArray(std::string_view name, const float* m, u32 count) {
        m_params.SetFloats(GetParameterByName(name), m, 16 * count);
    }
    void SetFloat(std::string_view name, float value) {
        m_params.SetFloats(GetParameterByName(name), &value, 1);
    }
    void SetFloatArray(std::string_view name, const float* values, u32 count) {
        m_params.SetFloats(GetParameterByName(name), values, count);
    }
    void SetVectorArray(std::string_view name, const float* vectors, u32 count) {
        m_params.SetFloats(GetParameterByName(name), vectors, 4 * count);
    }
    void SetBool(std::string_view name, bool value) {
        m_params.SetBool(GetParameterByName(name), value);
    }
    void SetTexture(std::string_view name, Texture* texture) {
        m_params.SetTexture(GetParameterByName(name), texture);
    }
    void SetTexture(EffectHandle param, Texture* texture) { m_params.SetTexture(param, texture); }
    void SetValue(std::string_view name, const void* data, u32 bytes) {
        m_params.SetValue(GetParameterByName(name), data, bytes);
    }
    void SetValue(EffectHandle param, const void* data, u32 bytes) {
        m_params.SetValue(param, data, bytes);
    }

    // GL objects survive a back-buffer rebuild, so there is nothing to do.
    void OnLostDevice() {}
    void OnResetDevice() {}

    const EffectFile& File() const { return *m_file; }
    const ParameterStore& Parameters() const { return m_params; }

  private:
    Effect(std::unique_ptr<EffectFile> file);
    void PutBackStates();

    std::unique_ptr<EffectFile> m_file;
    ParameterStore m_params;
    // Per technique, per pass.
    std::vector<std::vector<std::unique_ptr<Program>>> m_programs;
    bool m_built = false;
    bool m_build_failed = false;
    Device* m_device = nullptr;
    std::unique_ptr<StateDevice> m_states;
    u32 m_technique = 0;
    i32 m_active_pass = -1;
    // The values the pass states replaced, in the order they were set.
    std::vector<EffectPassState> m_saved_states;
};

// Compiles the program of one pass: the vertex and fragment blocks with the file's
// declarations. Null with "file: what: GL's log" in *error.
std::unique_ptr<Program> BuildEffectProgram(const EffectFile& file, const EffectBlock& vertex,
                                            const EffectBlock& fragment, const std::string& what,
                                            std::string* error);

} // namespace gfx
