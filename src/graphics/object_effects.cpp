#include "graphics/object_effects.h"

#include "graphics/effect_loader.h"
#include "graphics/render_target_desc.h"
#include "platform/gfx/device.h"

ObjectEffects::ObjectEffects(gfx::Device* device, const char* package)
    : m_device(device), m_package(package) {}

ObjectEffects::~ObjectEffects() = default;

void ObjectEffects::LoadObjectTechniques() {
    m_phong = LoadRequiredEffect(m_device, kPhongEffect, m_package);
    m_bump = LoadRequiredEffect(m_device, kBumpEffect, m_package);
    m_nodepth = LoadRequiredEffect(m_device, kNoDepthEffect, m_package);
    m_fogged = LoadRequiredEffect(m_device, kFoggedEffect, m_package);
    m_simple = LoadRequiredEffect(m_device, kSimpleEffect, m_package);
    if (m_fogged != nullptr) {
        m_fogged->SetTechnique("FoggedTechDeferred");
    }
    if (m_simple != nullptr) {
        m_simple->SetTechnique("SimpleTech");
    }
}

void ObjectEffects::LoadDepthBufferTechnique() {
    if (m_device != nullptr) {
        gfx::Viewport viewport;
        viewport.width = m_device->BackBufferWidth();
        viewport.height = m_device->BackBufferHeight();
        m_depth_target = std::make_unique<RenderTargetDesc>(
            m_device, static_cast<u32>(viewport.width), static_cast<u32>(viewport.height), 1,
            gfx::Format::R32F, 0, gfx::Format::D24S8, viewport, true);
        m_depth_target->Create();
    }
    m_depth_buffer = LoadRequiredEffect(m_device, kDepthBufferEffect, m_package);
    if (m_depth_buffer != nullptr) {
        m_depth_buffer->SetTechnique("BuildDepthBufferTech");
    }
}

gfx::Effect* ObjectEffects::GetParticleEffect(const std::string& name) {
    const auto found = m_particle_effects.find(name);
    if (found != m_particle_effects.end()) {
        return found->second.get();
    }
    std::unique_ptr<gfx::Effect> effect = LoadRequiredEffect(m_device, name, m_package);
    if (effect == nullptr) {
        return nullptr;
    }
    effect->SetTechnique("ParticleTech");
    return m_particle_effects.emplace(name, std::move(effect)).first->second.get();
}
