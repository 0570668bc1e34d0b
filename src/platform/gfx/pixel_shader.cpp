#include "platform/gfx/pixel_shader.h"

#include "platform/gfx/program.h"

namespace gfx {

ConstantTable::ConstantTable(Device& device, const EffectFile& file, const Program& program)
    : m_device(device), m_params(file), m_program(program) {
    Upload();
}

void ConstantTable::SetFloat(std::string_view name, float value) {
    m_params.SetFloats(m_params.Find(name), &value, 1);
    Upload();
}

void ConstantTable::SetFloatArray(std::string_view name, const float* values, u32 count) {
    m_params.SetFloats(m_params.Find(name), values, count);
    Upload();
}

void ConstantTable::SetVectorArray(std::string_view name, const float* vectors, u32 count) {
    m_params.SetFloats(m_params.Find(name), vectors, 4 * count);
    Upload();
}

void ConstantTable::SetValue(std::string_view name, const void* data, u32 bytes) {
    m_params.SetValue(m_params.Find(name), data, bytes);
    Upload();
}

void ConstantTable::SetBool(std::string_view name, bool value) {
    m_params.SetBool(m_params.Find(name), value);
    Upload();
}

// The whole store each time: a raw shader has a handful of constants.
void ConstantTable::Upload() {
    m_program.Use();
    m_params.Upload(m_program, m_device);
}

const EffectBlock& PixelShader::ScreenVertexBlock() {
    static const EffectBlock kBlock{"ScreenQuad",
                                    "out vec2 v_uv;\n"
                                    "void main() {\n"
                                    "    gl_Position = PixelToGlClip(in_position);\n"
                                    "    v_uv = in_texcoord0;\n"
                                    "}\n",
                                    1};
    return kBlock;
}

std::unique_ptr<PixelShader> PixelShader::Create(Device& device, const std::string& fileName,
                                                 std::string_view text, const std::string& entry,
                                                 std::string* error) {
    auto file = std::make_unique<EffectFile>();
    if (!ParseEffectFile(fileName, text, *file, error)) {
        return nullptr;
    }
    const EffectBlock* fragment = file->FindFragment(entry);
    if (fragment == nullptr) {
        if (error != nullptr) {
            *error = fileName + ": no fragment block \"" + entry + "\"";
        }
        return nullptr;
    }
    std::unique_ptr<PixelShader> shader(new PixelShader());
    shader->m_program =
        BuildEffectProgram(*file, ScreenVertexBlock(), *fragment, "entry " + entry, error);
    if (shader->m_program == nullptr) {
        return nullptr;
    }
    shader->m_file = std::move(file);
    shader->m_constants =
        std::make_unique<ConstantTable>(device, *shader->m_file, *shader->m_program);
    return shader;
}

PixelShader::~PixelShader() = default;

u32 PixelShader::Name() const {
    return m_program->Name();
}

} // namespace gfx
