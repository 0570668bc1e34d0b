#pragma once
// The game's sound (handler 2 at the Game's router): loads sound effects and music from the
// sounds package and caches them by path, hands out playable instances, keeps the master
// volume and the group volumes and mutes, and creates the "SoundPlayer" components.
//
// The resource loader calls it from its own thread while the main thread plays sounds, so
// every public call and every message it handles may come from either thread.
//
// Messages: MSG_SOUND_SET_MASTER_VOLUME (float), MSG_SOUND_SET_GROUP_VOLUME (pair of group
// and volume), MSG_SOUND_MUTE_GROUP and MSG_SOUND_UNMUTE_GROUP (group), MSG_LOAD_SOUND and
// MSG_LOAD_SOUND_STREAM (path), and the requests MSG_GET_SOUND_INSTANCE and
// MSG_GET_SOUND_STREAM_INSTANCE (path), which are answered at once to the asking handler
// with MSG_SOUND_INSTANCE carrying the new instance or null.
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/sound.h"
#include "audio/sound_instance.h"
#include "core/asset_paths.h"
#include "core/component_list_process.h"
#include "core/handler_ids.h"
#include "platform/sound/sound_system.h"

class SoundProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_SOUND_PROCESS;
    static constexpr const char* kPackagePath = asset_path::kSoundsPackage;

    SoundProcess();
    ~SoundProcess() override;

    void Update(float dt) override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    Component* CreateComponent(StreamMap* parameters) override;
    void RemoveComponent(Component* component) override;

    // The sound cached under path, or the file of path's base name from the sounds package,
    // cached under path; null when it cannot be read or decoded. Either way it is in use.
    Sound* LoadSound(const std::string& path, bool stream);
    // A new instance of a cached sound, or null (no sound, or one this process does not hold).
    SoundInstance* GetSoundInstance(Sound* sound);

    void SetMasterVolume(f32 volume);
    f32 GetMasterVolume() const;
    void SetGroupVolume(u32 group, f32 volume);
    void SetGroupMuted(u32 group, bool muted);

    // Game states call these around a change of state: every sound is marked unused when a
    // state ends, the next state asks again for what it needs, and then releases the rest.
    void MarkSoundsUnused();
    // Deletes the sounds still marked unused (every sound with all) and their instances.
    void ReleaseUnusedSounds(bool all);

    std::size_t SoundCount() const;
    std::size_t InstanceCount() const;
    sound::System& GetSystem() { return m_system; }

    // Where sounds are read from; tests point it at a package of their own.
    std::string m_package_path = kPackagePath;

  private:
    Sound* FindSound(const std::string& path) const;
    void ReplyInstance(const std::string& path, bool stream, u32 fromId);

    // Declared first: the sounds that use the device go before it closes.
    sound::System m_system;
    mutable std::recursive_mutex m_mutex;
    std::map<std::string, std::unique_ptr<Sound>> m_sounds;
    std::vector<std::unique_ptr<SoundInstance>> m_instances;
    f32 m_master_volume = 1.0f;
};
