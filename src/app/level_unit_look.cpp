#include "app/level_unit_look.h"

#include <utility>

#include "animation/graphics_animation.h"
#include "app/particle_markers.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "graphics/graphic_component.h"
#include "graphics/particle_system_cpu.h"
#include "graphics/particle_system_manager.h"

namespace {

GraphicComponent* GraphicOf(GameObject& object) {
    return dynamic_cast<GraphicComponent*>(object.GetComponent(ComponentType::Graphic));
}

GraphicsAnimationMap* AnimationsOf(GameObject& object) {
    GraphicComponent* const graphic = GraphicOf(object);
    return graphic != nullptr ? graphic->GetAnimationMap() : nullptr;
}

// The marker's particle life and the step it is advanced by, in the menu's look and in play.
constexpr f32 kMenuMarkerLife = 0.1f;
constexpr f32 kMenuMarkerStep = 0.01f;
constexpr f32 kGameMarkerLife = 0.01f;
constexpr f32 kGameMarkerStep = 0.1f;

} // namespace

GraphicComponent* BreakableGraphicOf(GameObject& object) {
    GraphicComponent* const graphic = GraphicOf(object);
    if (graphic == nullptr || graphic->GetSecondHierarchy() == 0 ||
        graphic->GetSecondRootFrame() == nullptr) {
        return nullptr;
    }
    return graphic;
}

bool LevelUnitLook::HasGraphic(GameObject& object) {
    return GraphicOf(object) != nullptr;
}

bool LevelUnitLook::RenderRed(GameObject& object) {
    GraphicComponent* const graphic = GraphicOf(object);
    return graphic != nullptr && graphic->m_render_red != 0;
}

void LevelUnitLook::SetRenderRed(GameObject& object, bool red) {
    if (GraphicComponent* const graphic = GraphicOf(object)) {
        graphic->m_render_red = red ? 1 : 0;
    }
}

f32 LevelUnitLook::HdrMultiplier(GameObject& object) {
    GraphicComponent* const graphic = GraphicOf(object);
    return graphic != nullptr ? graphic->GetHdrMultiplier() : 1.0f;
}

void LevelUnitLook::SetHdrMultiplier(GameObject& object, f32 multiplier) {
    if (GraphicComponent* const graphic = GraphicOf(object)) {
        graphic->SetHdrMultiplier(multiplier);
    }
}

void LevelUnitLook::SetAnimationSpeedAll(GameObject& object, f32 speed) {
    if (GraphicsAnimationMap* const map = AnimationsOf(object)) {
        ::SetAnimationSpeedAll(*map, speed);
    }
}

void LevelUnitLook::PlayAnimation(GameObject& object, const std::string& clip) {
    GraphicsAnimationMap* const map = AnimationsOf(object);
    if (map != nullptr && map->Find(clip) != nullptr) {
        ::PlayAnimation(*map, clip, false);
    }
}

void LevelUnitLook::BreakObject(GameObject& object, MessageHandler& sender) {
    if (GraphicComponent* const graphic = GraphicOf(object)) {
        Message<std::pair<GraphicComponent*, bool>> shatter(MSG_GRAPHICS_BREAK_OBJECT,
                                                            {graphic, false});
        sender.SendMessage(&shatter, HANDLER_GRAPHICS_PROCESS);
    }
}

void LevelUnitLook::AddObjectiveMarker(GameObject& object) {
    if (particle_markers::Find(object, kMarker) == nullptr) {
        particle_markers::Attach(object, {kMarker});
    }
}

void LevelUnitLook::SetObjectiveMarkerLook(GameObject& object, bool inMenu) {
    if (ParticleSystemCPU* const marker = particle_markers::Find(object, kMarker)) {
        const f32 life = inMenu ? kMenuMarkerLife : kGameMarkerLife;
        marker->settings.lifeInitialLow = life;
        marker->settings.lifeInitialHigh = life;
        // The level's processes run between the renderer's frames, so the manager's workers
        // are idle here.
        marker->Simulate(inMenu ? kMenuMarkerStep : kGameMarkerStep);
    }
}

void LevelUnitLook::SetAnimationPaused(GameObject& object, const std::string& clip, bool paused) {
    GraphicsAnimationMap* const map = AnimationsOf(object);
    if (map == nullptr || map->Find(clip) == nullptr) {
        return;
    }
    if (paused) {
        PauseAnimation(*map, clip);
    } else {
        ResumeAnimation(*map, clip);
    }
}

void LevelUnitLook::SetEmissionPaused(GameObject& object, bool paused) {
    Component* const component = object.GetComponent(ComponentType::ParticleSystem);
    if (ParticleSystemCPU* const system =
            ParticleSystemManager::Instance()->FindSystem(component)) {
        system->emissionStopped = paused ? 1 : 0;
    }
}

void LevelUnitLook::AddParticleSystems(GameObject& object, const std::vector<std::string>& names) {
    particle_markers::Attach(object, names);
}
