#pragma once
// The renderer's object effects, its depth-buffer effect with its target, and the cache of
// particle effects: one effect per file name, made on first use. Every effect here is one
// the renderer cannot start without, so a load error ends the process after its message.
#include <map>
#include <memory>
#include <string>

#include "platform/gfx/effect.h"

namespace gfx {
class Device;
}

class RenderTargetDesc;

class ObjectEffects {
  public:
    static constexpr const char* kPhongEffect = "graphics/shaders/phongLighting2.fx";
    static constexpr const char* kBumpEffect = "graphics/shaders/bumpMapping2.fx";
    static constexpr const char* kNoDepthEffect = "graphics/shaders/nodepth.fx";
    static constexpr const char* kFoggedEffect = "graphics/shaders/fogged_objects.fx";
    static constexpr const char* kSimpleEffect = "graphics/shaders/simple_objects.fx";
    static constexpr const char* kDepthBufferEffect = "graphics/shaders/depth_buffer.fx";

    // package null: the game's shaders package.
    explicit ObjectEffects(gfx::Device* device, const char* package = nullptr);
    ~ObjectEffects();
    ObjectEffects(const ObjectEffects&) = delete;
    ObjectEffects& operator=(const ObjectEffects&) = delete;

    // The five object effects in the renderer's order, with "FoggedTechDeferred" and
    // "SimpleTech" selected.
    void LoadObjectTechniques();
    // The back-buffer-sized R32F depth target (own D24S8 depth) and the depth-buffer effect
    // with "BuildDepthBufferTech" selected.
    void LoadDepthBufferTechnique();
    // Cached by the name as given, with "ParticleTech" selected.
    gfx::Effect* GetParticleEffect(const std::string& name);

    gfx::Effect* Phong() const { return m_phong.get(); }
    gfx::Effect* Bump() const { return m_bump.get(); }
    gfx::Effect* NoDepth() const { return m_nodepth.get(); }
    gfx::Effect* Fogged() const { return m_fogged.get(); }
    gfx::Effect* Simple() const { return m_simple.get(); }
    gfx::Effect* DepthBuffer() const { return m_depth_buffer.get(); }
    RenderTargetDesc* DepthTarget() const { return m_depth_target.get(); }

  private:
    gfx::Device* m_device;
    const char* m_package;
    std::unique_ptr<gfx::Effect> m_phong;
    std::unique_ptr<gfx::Effect> m_bump;
    std::unique_ptr<gfx::Effect> m_nodepth;
    std::unique_ptr<gfx::Effect> m_fogged;
    std::unique_ptr<gfx::Effect> m_simple;
    std::unique_ptr<gfx::Effect> m_depth_buffer;
    std::unique_ptr<RenderTargetDesc> m_depth_target;
    std::map<std::string, std::unique_ptr<gfx::Effect>> m_particle_effects;
};
