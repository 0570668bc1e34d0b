#include "audio/sound_process.h"

#include <algorithm>
#include <utility>

#include "audio/sound_player.h"
#include "content/file_package.h"
#include "core/message.h"

namespace {

constexpr u32 kNoGroup = 0xFFFFFFFFu;

} // namespace

SoundProcess::SoundProcess() = default;

SoundProcess::~SoundProcess() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_instances.clear();
    m_sounds.clear();
}

void SoundProcess::Update(float dt) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    ComponentListProcess::Update(dt);
}

void SoundProcess::HandleMessage(BaseMessage* msg, u32 fromId) {
    switch (msg->type) {
    case MSG_SOUND_SET_MASTER_VOLUME:
        SetMasterVolume(msg->ValueOr<f32>(GetMasterVolume()));
        break;
    case MSG_SOUND_SET_GROUP_VOLUME:
        if (const auto* value = msg->Payload<std::pair<u32, f32>>()) {
            SetGroupVolume(value->first, value->second);
        }
        break;
    case MSG_SOUND_MUTE_GROUP:
    case MSG_SOUND_UNMUTE_GROUP:
        if (const u32 group = msg->ValueOr<u32>(kNoGroup); group != kNoGroup) {
            SetGroupMuted(group, msg->type == MSG_SOUND_MUTE_GROUP);
        }
        break;
    case MSG_LOAD_SOUND:
    case MSG_LOAD_SOUND_STREAM:
        if (const auto* path = msg->Payload<std::string>()) {
            LoadSound(*path, msg->type == MSG_LOAD_SOUND_STREAM);
        }
        break;
    case MSG_GET_SOUND_INSTANCE:
    case MSG_GET_SOUND_STREAM_INSTANCE: {
        const auto* path = msg->Payload<std::string>();
        ReplyInstance(path != nullptr ? *path : std::string(),
                      msg->type == MSG_GET_SOUND_STREAM_INSTANCE, fromId);
        break;
    }
    default:
        break;
    }
}

void SoundProcess::ReplyInstance(const std::string& path, bool stream, u32 fromId) {
    SoundInstance* instance = nullptr;
    if (!path.empty()) {
        instance = GetSoundInstance(LoadSound(path, stream));
    }
    // No lock is held here: the asker may use the instance before the send returns.
    Message<SoundInstance*> reply(MSG_SOUND_INSTANCE, instance);
    SendMessage(&reply, fromId);
}

Component* SoundProcess::CreateComponent(StreamMap* parameters) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return CreateFromStream<SoundPlayer>(parameters, ComponentType::SoundPlayer);
}

void SoundProcess::RemoveComponent(Component* component) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    ComponentListProcess::RemoveComponent(component);
}

Sound* SoundProcess::FindSound(const std::string& path) const {
    const auto found = m_sounds.find(path);
    return found == m_sounds.end() ? nullptr : found->second.get();
}

Sound* SoundProcess::LoadSound(const std::string& path, bool stream) {
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        if (Sound* cached = FindSound(path)) {
            cached->m_in_use = true;
            return cached;
        }
    }
    // Reading and decoding run unlocked so the main thread keeps playing meanwhile.
    FilePackage* const package = FilePackage::Get(m_package_path);
    u32 size = 0;
    std::unique_ptr<u8[]> bytes =
        package != nullptr ? package->GetFile(FilePackage::SplitPath(path), size) : nullptr;
    if (bytes == nullptr) {
        return nullptr;
    }
    std::unique_ptr<sound::Clip> clip =
        m_system.Load(std::vector<u8>(bytes.get(), bytes.get() + size), stream);
    if (clip == nullptr) {
        return nullptr;
    }

    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    // Another thread may have loaded the same path meanwhile; the first one stays.
    if (Sound* cached = FindSound(path)) {
        cached->m_in_use = true;
        return cached;
    }
    auto sound = std::make_unique<Sound>(path, stream, std::move(clip));
    Sound* const result = sound.get();
    m_sounds.emplace(path, std::move(sound));
    return result;
}

SoundInstance* SoundProcess::GetSoundInstance(Sound* sound) {
    if (sound == nullptr) {
        return nullptr;
    }
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const auto held = std::find_if(m_sounds.begin(), m_sounds.end(), [sound](const auto& entry) {
        return entry.second.get() == sound;
    });
    if (held == m_sounds.end()) {
        return nullptr;
    }
    sound->m_in_use = true;
    m_instances.push_back(std::make_unique<SoundInstance>(this, sound));
    return m_instances.back().get();
}

void SoundProcess::SetMasterVolume(f32 volume) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_master_volume = sound::ClampVolume(volume);
    for (const auto& instance : m_instances) {
        instance->ApplyMasterVolume(m_master_volume);
    }
}

f32 SoundProcess::GetMasterVolume() const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_master_volume;
}

void SoundProcess::SetGroupVolume(u32 group, f32 volume) {
    m_system.SetGroupVolume(group, volume);
}

void SoundProcess::SetGroupMuted(u32 group, bool muted) {
    m_system.SetGroupMuted(group, muted);
}

void SoundProcess::MarkSoundsUnused() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (auto& entry : m_sounds) {
        entry.second->m_in_use = false;
    }
}

void SoundProcess::ReleaseUnusedSounds(bool all) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const auto released = [all](const Sound* sound) { return all || !sound->m_in_use; };
    std::erase_if(m_instances,
                  [&released](const auto& instance) { return released(instance->m_sound); });
    std::erase_if(m_sounds,
                  [&released](const auto& entry) { return released(entry.second.get()); });
}

std::size_t SoundProcess::SoundCount() const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_sounds.size();
}

std::size_t SoundProcess::InstanceCount() const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_instances.size();
}
