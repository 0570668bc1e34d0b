#pragma once
// What the level's buildings get from the layers above the city: for now their sounds
// (the objects' sound players and the sound process's cache). Graphic, light, particle and
// AI queries keep the city's defaults until those components exist.
#include <string>

#include "city/building_services.h"

class SoundProcess;

class LevelBuildingServices : public BuildingServices {
  public:
    explicit LevelBuildingServices(SoundProcess* sound) : m_sound(sound) {}

    void PreloadSound(const std::string& path) override;
    void PlayInstanceAt(SoundInstance* instance, const Vector& at, float volume) override;
    bool HasSoundPlayer(GameObject* object) override;
    void PlaySound(GameObject* object, const std::string& path, float volume) override;

  private:
    SoundProcess* const m_sound;
};
