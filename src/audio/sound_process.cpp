#include "audio/sound_process.h"

#include <algorithm>
#include <utility>

#include "audio/sound_player.h"
#include "content/file_package.h"
#include "core/message.h"

namespace {

constexpr u32 kNoGroup = 0xFFFFFFFFu;

} // namespace

SoundProcess::SoundProcess() : SoundProcess(sound::MakeMixerBackend(sound::System::kChannels)) {}

SoundProcess::SoundProcess(std::unique_ptr<sound::Backend> backend)
    : m_system(std::move(backend)), m_groups{{SoundInstance::kEffectsGroup, 0.5f},
                                             {SoundInstance::kMusicGroup, 1.0f},
                                             {SoundInstance::kFilmLeaderGroup, 1.0f}} {}

SoundProcess::~SoundProcess() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_instances.clear();
    // Players hold instances whose channels and indices belong to this process.
    while (!m_components.Empty()) {
        m_components.Remove(m_components.At(m_components.Size() - 1));
    }
    m_sounds.clear();
}

void SoundProcess::Update(float dt) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!m_update_enabled) {
        return;
    }
    ComponentListProcess::Update(dt);
    for (auto it = m_instances.begin(); it != m_instances.end();) {
        SoundInstance& instance = *it->second;
        bool remove = false;
        if (instance.FlagsSet()) {
            remove = instance.m_release;
        } else {
            instance.Update(dt);
            if (!instance.IsPlaying()) {
                if (instance.m_persistent) {
                    instance.m_finished = true;
                } else {
                    remove = true;
                }
            }
        }
        it = remove ? m_instances.erase(it) : std::next(it);
    }
    for (auto& entry : m_sounds) {
        entry.second->m_started = false;
    }
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
        MuteGroup(msg->ValueOr<u32>(kNoGroup));
        break;
    case MSG_SOUND_UNMUTE_GROUP:
        UnmuteGroup(msg->ValueOr<u32>(kNoGroup));
        break;
    case MSG_SOUND_LISTENER_POSITION:
        if (const auto* position = msg->Payload<Vector>()) {
            std::lock_guard<std::recursive_mutex> lock(m_mutex);
            m_listener = *position;
        }
        break;
    case MSG_PAUSE_COMPONENT_UPDATE:
    case MSG_UNPAUSE_COMPONENT_UPDATE: {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        m_update_enabled = msg->type == MSG_UNPAUSE_COMPONENT_UPDATE;
        break;
    }
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
    case MSG_RELEASE_SOUND_INSTANCE:
        ReleaseSoundInstance(msg->ValueOr<SoundInstance*>(nullptr));
        break;
    default:
        break;
    }
}

void SoundProcess::ReplyInstance(const std::string& path, bool stream, u32 fromId) {
    // Without a device nothing answers: the asker keeps what it had.
    if (!m_system.IsOpen()) {
        return;
    }
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
    if (!m_system.IsOpen()) {
        return nullptr;
    }
    return CreateFromStream<SoundPlayer>(parameters, ComponentType::SoundPlayer);
}

void SoundProcess::RemoveComponent(Component* component) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    ComponentListProcess::RemoveComponent(component);
}

std::string SoundProcess::CacheKey(const std::string& path) {
    std::size_t start = 0;
    while (path.compare(start, 2, "./") == 0) {
        start += 2;
    }
    return path.substr(start);
}

Sound* SoundProcess::FindSound(const std::string& path) const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const auto found = m_sounds.find(CacheKey(path));
    return found == m_sounds.end() ? nullptr : found->second.get();
}

Sound* SoundProcess::LoadSound(const std::string& path, bool stream) {
    if (!m_system.IsOpen()) {
        return nullptr;
    }
    const std::string key = CacheKey(path);
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        if (Sound* cached = FindSound(key)) {
            cached->m_unused = false;
            return cached;
        }
    }
    // Reading and decoding run unlocked so the main thread keeps playing meanwhile.
    FilePackage* const package = FilePackage::Get(m_package_path);
    u32 size = 0;
    std::unique_ptr<u8[]> bytes =
        package != nullptr ? package->GetFile(FilePackage::SplitPath(key), size) : nullptr;
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
    if (Sound* cached = FindSound(key)) {
        cached->m_unused = false;
        return cached;
    }
    auto sound = std::make_unique<Sound>(key, this, stream, std::move(clip));
    Sound* const result = sound.get();
    m_sounds.emplace(key, std::move(sound));
    return result;
}

SoundInstance* SoundProcess::GetSoundInstance(Sound* sound) {
    if (!m_system.IsOpen() || sound == nullptr) {
        return nullptr;
    }
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const auto held = m_sounds.find(sound->m_path);
    if (held == m_sounds.end() || held->second.get() != sound || sound->m_started ||
        m_instances.count(sound->m_path) >= kMaxInstancesPerPath) {
        return nullptr;
    }
    auto instance = std::make_unique<SoundInstance>(sound, nullptr);
    if (!instance->HasChannel()) {
        return nullptr;
    }
    SoundInstance* const result = instance.get();
    m_instances.emplace(sound->m_path, std::move(instance));
    return result;
}

void SoundProcess::ReleaseSoundInstance(SoundInstance* instance) {
    if (instance == nullptr) {
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const auto found =
        std::find_if(m_instances.begin(), m_instances.end(),
                     [instance](const auto& e) { return e.second.get() == instance; });
    if (found != m_instances.end()) {
        m_instances.erase(found);
    }
}

u32 SoundProcess::AllocateChannelIndex() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const auto clear = std::find(m_channel_indices.begin(), m_channel_indices.end(), false);
    const auto index = static_cast<u32>(clear - m_channel_indices.begin());
    if (clear == m_channel_indices.end()) {
        m_channel_indices.push_back(true);
    } else {
        *clear = true;
    }
    return index;
}

void SoundProcess::FreeChannelIndex(u32 index) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (index < m_channel_indices.size()) {
        m_channel_indices[index] = false;
    }
}

void SoundProcess::SetMasterVolume(f32 volume) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_master_volume = volume;
}

f32 SoundProcess::GetMasterVolume() const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_master_volume;
}

f32 SoundProcess::GetGroupVolume(u32 group) const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (const auto& [id, volume] : m_groups) {
        if (id == group) {
            return volume;
        }
    }
    return 0.0f;
}

void SoundProcess::SetGroupVolume(u32 group, f32 volume) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (auto& entry : m_groups) {
        if (entry.first == group) {
            entry.second = volume;
            return;
        }
    }
    m_groups.emplace_back(group, volume);
}

void SoundProcess::NegateGroup(u32 group, bool whenPositive) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (auto& entry : m_groups) {
        if (entry.first == group) {
            if (whenPositive ? entry.second > 0.0f : entry.second < 0.0f) {
                entry.second = -entry.second;
            }
            return;
        }
    }
}

void SoundProcess::MuteGroup(u32 group) {
    NegateGroup(group, true);
}

void SoundProcess::UnmuteGroup(u32 group) {
    NegateGroup(group, false);
}

Vector SoundProcess::ListenerPosition() const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_listener;
}

void SoundProcess::MarkSoundsUnused() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (auto& entry : m_sounds) {
        entry.second->m_unused = true;
    }
}

void SoundProcess::ReleaseUnusedSounds(bool all) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const auto released = [all](const Sound* sound) { return all || sound->m_unused; };
    std::erase_if(m_instances,
                  [&released](const auto& entry) { return released(entry.second->m_sound); });
    std::erase_if(m_sounds,
                  [&released](const auto& entry) { return released(entry.second.get()); });
}

bool SoundProcess::IsUpdateEnabled() const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_update_enabled;
}

std::size_t SoundProcess::SoundCount() const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_sounds.size();
}

std::size_t SoundProcess::InstanceCount() const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_instances.size();
}

std::size_t SoundProcess::InstanceCount(const std::string& path) const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_instances.count(CacheKey(path));
}
