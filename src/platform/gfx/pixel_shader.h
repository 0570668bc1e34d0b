#pragma once
// A raw pixel shader: one fragment block of an effect file linked with a fixed vertex stage
// for pixel-positioned screen quads, and its constant table, which sets the file's
// parameters by name. A constant reaches the program as soon as it is set; drawing with the
// shader is Device::SetProgram(shader.Name()) and a screen quad.
//
// Render thread only.
#include <memory>
#include <string>
#include <string_view>

#include "platform/gfx/effect.h"
#include "platform/system/types.h"

namespace gfx {

class Device;
class Program;

class ConstantTable {
  public:
    ConstantTable(Device& device, const EffectFile& file, const Program& program);

    void SetFloat(std::string_view name, float value);
    void SetFloatArray(std::string_view name, const float* values, u32 count);
    void SetVectorArray(std::string_view name, const float* vectors, u32 count);
    void SetValue(std::string_view name, const void* data, u32 bytes);
    void SetBool(std::string_view name, bool value);

    const ParameterStore& Parameters() const { return m_params; }

  private:
    void Upload();

    Device& m_device;
    ParameterStore m_params;
    const Program& m_program;
};

class PixelShader {
  public:
    // The vertex stage every raw shader is linked with: pixel positions through
    // PixelToGlClip, texture coordinate 0 to the fragment stage as v_uv.
    static const EffectBlock& ScreenVertexBlock();

    // Null with "file: entry: GL's log" (or the parse error) in *error.
    static std::unique_ptr<PixelShader> Create(Device& device, const std::string& fileName,
                                               std::string_view text, const std::string& entry,
                                               std::string* error);
    ~PixelShader();
    PixelShader(const PixelShader&) = delete;
    PixelShader& operator=(const PixelShader&) = delete;

    u32 Name() const;
    ConstantTable& Constants() { return *m_constants; }

  private:
    PixelShader() = default;

    std::unique_ptr<EffectFile> m_file;
    std::unique_ptr<Program> m_program;
    std::unique_ptr<ConstantTable> m_constants;
};

} // namespace gfx
