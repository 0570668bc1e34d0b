#include "graphics/effect_loader.h"

#include <string_view>

#include "content/file_package.h"
#include "graphics/graphics_process.h"
#include "graphics/render_state_cache.h"
#include "graphics/start_error.h"
#include "platform/gfx/device.h"
#include "platform/system/log.h"
#include "platform/system/message_box.h"

void CachedStateDevice::SetRenderState(u32 state, u32 value) {
    RenderStateCache::Set(m_device, state, value);
}

u32 CachedStateDevice::GetRenderState(u32 state) const {
    return RenderStateCache::Get(m_device, state);
}

void CachedStateDevice::SetSamplerState(u32 sampler, u32 state, u32 value) {
    RenderStateCache::SetSampler(m_device, sampler, state, value);
}

u32 CachedStateDevice::GetSamplerState(u32 sampler, u32 state) const {
    return RenderStateCache::GetSampler(m_device, sampler, state);
}

namespace {

// The compiled name of an effect source: the base name with "o" appended.
bool ReadShaderFile(const std::string& name, const char* package, std::string& fileName,
                    std::string& text, std::string* errors) {
    fileName = FilePackage::SplitPath(name) + "o";
    const std::string path = package != nullptr ? package : GraphicsProcess::kShaderPackage;
    FilePackage* files = FilePackage::Get(path);
    u32 size = 0;
    const std::unique_ptr<u8[]> bytes = files != nullptr ? files->GetFile(fileName, size) : nullptr;
    if (bytes == nullptr) {
        if (errors != nullptr) {
            *errors = fileName + ": not found in " + path;
        }
        return false;
    }
    text.assign(reinterpret_cast<const char*>(bytes.get()), size);
    return true;
}

} // namespace

bool CreateEffectFromPackage(gfx::Device* device, const std::string& name, u32 /*flags*/,
                             std::unique_ptr<gfx::Effect>& out, std::string* errors,
                             const char* package) {
    out.reset();
    std::string fileName;
    std::string text;
    if (!ReadShaderFile(name, package, fileName, text, errors)) {
        return false;
    }
    std::unique_ptr<gfx::Effect> effect = gfx::Effect::Parse(fileName, text, errors);
    if (effect == nullptr) {
        return false;
    }
    if (device != nullptr) {
        effect->Attach(*device, std::make_unique<CachedStateDevice>(*device));
        // Off the render thread there is no context: the first Begin builds it.
        if (device->OnRenderThread() && !effect->Build(errors)) {
            return false;
        }
    }
    out = std::move(effect);
    return true;
}

bool CompileShaderFromPackage(gfx::Device& device, const std::string& name,
                              const std::string& entry, const std::string& /*profile*/,
                              std::unique_ptr<gfx::PixelShader>& out, std::string* errors,
                              const char* package) {
    out.reset();
    std::string fileName;
    std::string text;
    if (!ReadShaderFile(name, package, fileName, text, errors)) {
        return false;
    }
    out = gfx::PixelShader::Create(device, fileName, text, entry, errors);
    return out != nullptr;
}

std::unique_ptr<gfx::Effect> LoadRequiredEffect(gfx::Device* device, const std::string& name,
                                                const char* package) {
    std::unique_ptr<gfx::Effect> effect;
    std::string errors;
    if (!CreateEffectFromPackage(device, name, kEffectOptimizationFlag, effect, &errors, package)) {
        ShowGraphicsStartError(errors);
    }
    return effect;
}

std::unique_ptr<gfx::PixelShader> LoadRequiredShader(gfx::Device& device, const std::string& name,
                                                     const std::string& entry,
                                                     const std::string& profile,
                                                     const char* package) {
    std::unique_ptr<gfx::PixelShader> shader;
    std::string errors;
    if (!CompileShaderFromPackage(device, name, entry, profile, shader, &errors, package)) {
        ShowGraphicsStartError(errors);
    }
    return shader;
}

std::unique_ptr<gfx::Effect> LoadOptionalEffect(gfx::Device* device, const std::string& name,
                                                const char* package) {
    std::unique_ptr<gfx::Effect> effect;
    std::string errors;
    if (!CreateEffectFromPackage(device, name, kEffectOptimizationFlag, effect, &errors, package)) {
        sys::ShowMessageBox("", errors, sys::MessageBoxIcon::Error);
        sys::LogLine(errors);
    }
    return effect;
}
