#pragma once
// The game's sound (handler 2 at the Game's router): loads sound effects and music from the
// sounds package and caches them by path, reserves channel indices for instances, owns the
// instances it hands out by message and the "SoundPlayer" components, keeps the listener's
// position, the master volume and the group volumes.
//
// The resource loader calls it from its own thread while the main thread plays sounds, so
// every public call and every message it handles may come from either thread.
//
// Messages: MSG_SOUND_SET_MASTER_VOLUME (float), MSG_SOUND_SET_GROUP_VOLUME (pair of group
// and volume), MSG_SOUND_MUTE_GROUP and MSG_SOUND_UNMUTE_GROUP (group),
// MSG_SOUND_LISTENER_POSITION (Vector), MSG_PAUSE_COMPONENT_UPDATE and
// MSG_UNPAUSE_COMPONENT_UPDATE, MSG_LOAD_SOUND and MSG_LOAD_SOUND_STREAM (path),
// MSG_RELEASE_SOUND_INSTANCE (instance), and the requests MSG_GET_SOUND_INSTANCE and
// MSG_GET_SOUND_STREAM_INSTANCE (path), answered at once to the asking handler with
// MSG_SOUND_INSTANCE carrying the new instance or null (no answer without an audio device).
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "audio/sound.h"
#include "audio/sound_instance.h"
#include "core/asset_paths.h"
#include "core/component_list_process.h"
#include "core/handler_ids.h"
#include "core/vector.h"
#include "platform/sound/sound_system.h"

class SoundProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_SOUND_PROCESS;
    static constexpr const char* kPackagePath = asset_path::kSoundsPackage;
    // At most this many process-owned instances of one path exist at a time.
    static constexpr std::size_t kMaxInstancesPerPath = 11;

    SoundProcess();
    // Plays through the given mixer (a fake in tests).
    explicit SoundProcess(std::unique_ptr<sound::Backend> backend);
    ~SoundProcess() override;

    void Update(float dt) override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    Component* CreateComponent(StreamMap* parameters) override;
    void RemoveComponent(Component* component) override;

    // The cache key of a path: leading "./" dropped, the rest exact.
    static std::string CacheKey(const std::string& path);

    // The sound cached under the path, or the file of the path from the sounds package;
    // null when there is no device or it cannot be read or decoded. Either way it is in use.
    Sound* LoadSound(const std::string& path, bool stream);
    Sound* FindSound(const std::string& path) const;
    // A new process-owned, non-positional instance, or null (no sound, sound started this
    // frame, eleven instances of its path already, no channel).
    SoundInstance* GetSoundInstance(Sound* sound);
    // Deletes a process-owned instance; others are ignored.
    void ReleaseSoundInstance(SoundInstance* instance);

    u32 AllocateChannelIndex();
    void FreeChannelIndex(u32 index);

    // Stored unclamped; channel volumes use it as a factor.
    void SetMasterVolume(f32 volume);
    f32 GetMasterVolume() const;
    // The stored volume, negative while muted; 0 for a group not in the list.
    f32 GetGroupVolume(u32 group) const;
    void SetGroupVolume(u32 group, f32 volume);
    void MuteGroup(u32 group);
    void UnmuteGroup(u32 group);
    Vector ListenerPosition() const;

    // Game states call these around a change of state: every sound is marked unused when a
    // state ends, the next state asks again for what it needs, and then releases the rest.
    void MarkSoundsUnused();
    // Deletes the sounds still marked unused (every sound with all), and the process-owned
    // instances of them first.
    void ReleaseUnusedSounds(bool all);

    bool IsUpdateEnabled() const;
    std::size_t SoundCount() const;
    std::size_t InstanceCount() const;
    std::size_t InstanceCount(const std::string& path) const;
    sound::System& GetSystem() { return m_system; }

    // Where sounds are read from; tests point it at a package of their own.
    std::string m_package_path = kPackagePath;

  private:
    void ReplyInstance(const std::string& path, bool stream, u32 fromId);
    // Negates the first entry of the group when its sign is the given one.
    void NegateGroup(u32 group, bool whenPositive);

    // Declared first: the sounds that use the device go before it closes.
    sound::System m_system;
    mutable std::recursive_mutex m_mutex;
    std::map<std::string, std::unique_ptr<Sound>> m_sounds;
    std::vector<bool> m_channel_indices;
    std::multimap<std::string, std::unique_ptr<SoundInstance>> m_instances;
    Vector m_listener{0.0f, 0.0f, 0.0f};
    std::vector<std::pair<u32, f32>> m_groups;
    f32 m_master_volume = 1.0f;
    bool m_update_enabled = true;
};
