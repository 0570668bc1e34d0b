#include "app/level_building_services.h"

#include "app/particle_markers.h"

#include "audio/sound_instance.h"
#include "audio/sound_player.h"
#include "audio/sound_process.h"
#include "content/game_object_definition_map.h"
#include "content/parser_process.h"
#include "core/bounds.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "graphics/graphic_component.h"
#include "graphics/graphic_definition.h"
#include "graphics/light.h"
#include "graphics/particle_system_cpu.h"

namespace {

SoundPlayer* PlayerOf(GameObject* object) {
    return object != nullptr
               ? dynamic_cast<SoundPlayer*>(object->GetComponent(ComponentType::SoundPlayer))
               : nullptr;
}

constexpr const char* kMarker = "Objective";
// Advances a marker after a change so that it shows at once.
constexpr float kMarkerSettle = 0.0001f;

ParticleSystemCPU* MarkerOf(GameObject* object) {
    return object != nullptr ? particle_markers::Find(*object, kMarker) : nullptr;
}

} // namespace

GraphicComponent* LevelBuildingServices::Graphic(GameObject* object) {
    return object != nullptr
               ? dynamic_cast<GraphicComponent*>(object->GetComponent(ComponentType::Graphic))
               : nullptr;
}

bool LevelBuildingServices::HasGraphic(GameObject* object) {
    return object != nullptr && object->GetComponent(ComponentType::Graphic) != nullptr;
}

void LevelBuildingServices::SetDamageShade(GameObject* object, float shade) {
    if (GraphicComponent* graphic = Graphic(object)) {
        graphic->SetDamageShade(shade);
    }
}

void LevelBuildingServices::SwitchOffLights(GameObject* object) {
    if (object == nullptr) {
        return;
    }
    // The lit windows go dark with the lights.
    if (const auto graphics = object->components.find(ComponentType::Graphic);
        graphics != object->components.end()) {
        for (Component* component : graphics->second) {
            if (auto* graphic = dynamic_cast<GraphicComponent*>(component)) {
                graphic->SwitchOffWindows();
            }
        }
    }
    const auto lights = object->components.find(ComponentType::Light);
    if (lights == object->components.end()) {
        return;
    }
    for (Component* component : lights->second) {
        if (auto* light = dynamic_cast<Light*>(component)) {
            light->m_enabled = false;
        }
    }
}

bool LevelBuildingServices::IsGraphicAnchored(GameObject* object) {
    if (object == nullptr || m_parser == nullptr) {
        return true;
    }
    // The definitions the level was made from; nothing is read here.
    const GameObjectDefinitionMap* definitions = &m_parser->m_definitions;
    const auto type = definitions->find(object->name);
    if (type == definitions->end()) {
        return true;
    }
    const auto graphic = type->second.find(ComponentType::Graphic);
    if (graphic == type->second.end()) {
        return true;
    }
    StreamMap stream = graphic->second;
    stream.BeginRead();
    std::string names;
    stream.ReadString(names);
    stream.ReadString(names);
    return GraphicDefinition::Read(stream).m_anchored;
}

bool LevelBuildingServices::GetMeshBounds(GameObject* object, Vector* min, Vector* max) {
    // The object's own box stands in for its mesh's until graphics keep mesh bounds.
    if (object == nullptr || object->boundingBox == nullptr) {
        return false;
    }
    *max = object->boundingBox->m_extents;
    *min = *max * -1.0f;
    return true;
}

void LevelBuildingServices::PreloadSound(const std::string& path) {
    if (m_sound != nullptr) {
        m_sound->LoadSound(path, false);
    }
}

void LevelBuildingServices::PlayInstanceAt(SoundInstance* instance, const Vector& at,
                                           float volume) {
    if (instance != nullptr) {
        instance->PlayAt(volume, at);
    }
}

bool LevelBuildingServices::HasSoundPlayer(GameObject* object) {
    return PlayerOf(object) != nullptr;
}

void LevelBuildingServices::PlaySound(GameObject* object, const std::string& path, float volume) {
    SoundPlayer* player = PlayerOf(object);
    if (player == nullptr || m_sound == nullptr) {
        return;
    }
    Sound* sound = m_sound->FindSound(path);
    if (sound == nullptr) {
        sound = m_sound->LoadSound(path, false);
    }
    if (SoundInstance* instance = player->GetSoundInstance(sound)) {
        instance->Play(volume, false);
    }
}

bool LevelBuildingServices::HasObjectiveMarker(GameObject* object) {
    return MarkerOf(object) != nullptr;
}

void LevelBuildingServices::AddObjectiveMarker(GameObject* object) {
    if (object != nullptr) {
        particle_markers::Attach(*object, {kMarker});
    }
}

void LevelBuildingServices::RemoveObjectiveMarker(GameObject* object) {
    if (ParticleSystemCPU* const marker = MarkerOf(object)) {
        particle_markers::Remove(*object, marker);
    }
}

// The level's processes run between the renderer's frames, so the particle workers are idle
// while a marker is advanced here.
void LevelBuildingServices::SetObjectiveOffset(GameObject* object, const Vector& offset) {
    if (ParticleSystemCPU* const marker = MarkerOf(object)) {
        marker->settings.offsetPosition[0] = offset.x;
        marker->settings.offsetPosition[1] = offset.y;
        marker->settings.offsetPosition[2] = offset.z;
        marker->Simulate(kMarkerSettle);
    }
}

void LevelBuildingServices::SetObjectiveLife(GameObject* object, float life, float dt) {
    if (ParticleSystemCPU* const marker = MarkerOf(object)) {
        marker->settings.lifeInitialLow = life;
        marker->settings.lifeInitialHigh = life;
        marker->Simulate(dt);
    }
}

void LevelBuildingServices::FadeObjectiveMarker(GameObject* object, float dt) {
    if (ParticleSystemCPU* const marker = MarkerOf(object)) {
        for (float* colour : {marker->settings.colorFinalLow, marker->settings.colorFinalHigh}) {
            colour[0] = 1.0f;
            colour[1] = 1.0f;
            colour[2] = 1.0f;
            colour[3] = 0.0f;
        }
        marker->settings.lifeInitialLow = 2.0f;
        marker->settings.lifeInitialHigh = 2.0f;
        marker->Simulate(dt);
    }
}
