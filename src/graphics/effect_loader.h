#pragma once
// Effects and raw pixel shaders from the shaders package. A name is given as the game spells
// it ("graphics/shaders/phongLighting2.fx"); the package holds the file under its lowercased
// base name with "o" appended ("phonglighting2.fxo"). Errors come back as text naming the
// file, the line and GL's log; the callers decide whether the game can go on.
#include <memory>
#include <string>

#include "core/types.h"
#include "platform/gfx/effect.h"
#include "platform/gfx/pixel_shader.h"

namespace gfx {
class Device;
}

// The renderer's state cache as a state device, so effect passes set and put back their
// states through it.
class CachedStateDevice : public gfx::StateDevice {
  public:
    explicit CachedStateDevice(gfx::StateDevice& device) : m_device(device) {}
    void SetRenderState(u32 state, u32 value) override;
    u32 GetRenderState(u32 state) const override;
    void SetSamplerState(u32 sampler, u32 state, u32 value) override;
    u32 GetSamplerState(u32 sampler, u32 state) const override;

  private:
    gfx::StateDevice& m_device;
};

// The optimisation flag the renderer passes; accepted and ignored, as are the profiles.
inline constexpr u32 kEffectOptimizationFlag = 0x8000;

// Parses the effect and, with a device, attaches it and, on the render thread, compiles
// and links it (elsewhere its first Begin does). False with the reason in *errors (a
// missing file is an error too). package null: the game's shaders package.
bool CreateEffectFromPackage(gfx::Device* device, const std::string& name, u32 flags,
                             std::unique_ptr<gfx::Effect>& out, std::string* errors,
                             const char* package = nullptr);

// The fragment block `entry` of the file as a raw pixel shader with its constant table.
bool CompileShaderFromPackage(gfx::Device& device, const std::string& name,
                              const std::string& entry, const std::string& profile,
                              std::unique_ptr<gfx::PixelShader>& out, std::string* errors,
                              const char* package = nullptr);

// The renderer's effects that it cannot start without: on an error the text goes to the
// message box and the process ends with exit code 0 (through the graphics exit hook). Null
// only when an installed hook returns.
std::unique_ptr<gfx::Effect> LoadRequiredEffect(gfx::Device* device, const std::string& name,
                                                const char* package = nullptr);
std::unique_ptr<gfx::PixelShader> LoadRequiredShader(gfx::Device& device, const std::string& name,
                                                     const std::string& entry,
                                                     const std::string& profile,
                                                     const char* package = nullptr);
// The sky's effects: an error shows the text in a message box and the game goes on without
// the effect (null).
std::unique_ptr<gfx::Effect> LoadOptionalEffect(gfx::Device* device, const std::string& name,
                                                const char* package = nullptr);
