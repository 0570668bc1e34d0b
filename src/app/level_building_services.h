#pragma once
// What the level's buildings get from the layers above the city: their sounds (the objects'
// sound players and the sound process's cache), whether an object has a graphic and whether
// its definition anchors it, its graphic (shaded by damage, broken into pieces), its lights,
// and the object's box for its footprint. Particles and AI queries keep the city's defaults.
#include <string>

#include "city/building_services.h"

class ParserProcess;
class SoundProcess;

class LevelBuildingServices : public BuildingServices {
  public:
    LevelBuildingServices(SoundProcess* sound, ParserProcess* parser)
        : m_sound(sound), m_parser(parser) {}

    GraphicComponent* Graphic(GameObject* object) override;
    bool HasGraphic(GameObject* object) override;
    void SetDamageShade(GameObject* object, float shade) override;
    void SwitchOffLights(GameObject* object) override;
    // The "Anchored" value of the object type's graphic definition (true without one).
    bool IsGraphicAnchored(GameObject* object) override;
    bool GetMeshBounds(GameObject* object, Vector* min, Vector* max) override;

    void PreloadSound(const std::string& path) override;
    void PlayInstanceAt(SoundInstance* instance, const Vector& at, float volume) override;
    bool HasSoundPlayer(GameObject* object) override;
    void PlaySound(GameObject* object, const std::string& path, float volume) override;

    // The "Objective" particle system riding on the object.
    bool HasObjectiveMarker(GameObject* object) override;
    void AddObjectiveMarker(GameObject* object) override;
    void RemoveObjectiveMarker(GameObject* object) override;
    void SetObjectiveOffset(GameObject* object, const Vector& offset) override;
    void SetObjectiveLife(GameObject* object, float life, float dt) override;
    void FadeObjectiveMarker(GameObject* object, float dt) override;

  private:
    SoundProcess* const m_sound;
    ParserProcess* const m_parser;
};
