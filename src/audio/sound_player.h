#pragma once
// The "SoundPlayer" component: gives its game object instances of sounds that play at the
// object's position, at most three per path, and deletes one stopped instance a frame.
#include <map>
#include <memory>
#include <string>

#include "core/definition_component.h"
#include "core/memory_allocator.h"
#include "game/sound_cue.h"

class Sound;
class SoundInstance;

class SoundPlayer : public DefinitionComponent, public SoundCue, public Allocator<SoundPlayer> {
  public:
    static constexpr std::size_t kMaxInstancesPerPath = 3;

    using DefinitionComponent::DefinitionComponent;
    ~SoundPlayer() override;

    // A new instance positioned at the owner's (live) position; null for a null sound, one
    // started this frame, a path with three instances already, or no channel. It never hands
    // out an instance twice; the player keeps ownership.
    SoundInstance* GetSoundInstance(Sound* sound);
    // Loads the sound through the owning sound process and plays a new instance of it once
    // at the owner's position; nothing when no instance can be had.
    void PlayOnce(const std::string& path, float volume) override;
    // Updates the volumes and deletes the first stopped instance it finds, then stops.
    void Update(float dt) override;

    std::size_t InstanceCount() const { return m_instances.size(); }

  private:
    std::multimap<std::string, std::unique_ptr<SoundInstance>> m_instances;
};
