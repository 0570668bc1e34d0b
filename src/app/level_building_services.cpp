#include "app/level_building_services.h"

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

namespace {

SoundPlayer* PlayerOf(GameObject* object) {
    return object != nullptr
               ? dynamic_cast<SoundPlayer*>(object->GetComponent(ComponentType::SoundPlayer))
               : nullptr;
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
