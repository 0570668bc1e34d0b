#include "animation/graphics_animation.h"

#include <algorithm>
#include <iterator>

#include "core/math_functions.h"
#include "platform/system/log.h"

namespace {

AnimationSetSource* g_set_source = nullptr;

constexpr float kSecondsPerTick = 1.0f / GraphicsAnimationKey::kTicksPerSecond;

Float3 Lerp(const Float3& a, const Float3& b, float t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

// A frame's sampled pose in one set, with the set's weight.
struct Sample {
    Float3 scale;
    Float3 translation;
    Quaternion rotation;
    float weight;
};

// Moves the result t of the way toward the sample.
void MoveToward(Sample& result, const Sample& sample, float t) {
    result.scale = Lerp(result.scale, sample.scale, t);
    result.translation = Lerp(result.translation, sample.translation, t);
    result.rotation = Math::QuaternionSlerp(result.rotation, sample.rotation, t);
}

} // namespace

void SetAnimationSetSource(AnimationSetSource* source) {
    g_set_source = source;
}

AnimationSetSource* GetAnimationSetSource() {
    return g_set_source;
}

void GraphicsAnimationTrack::Sample(float t) {
    if (m_keys.empty()) {
        return;
    }
    const float tick = t * GraphicsAnimationKey::kTicksPerSecond;
    const u32 last = static_cast<u32>(m_keys.size() - 1);
    // Outside the keys (or with only one) the nearest end key stands.
    const auto hold = [this](u32 i) {
        const GraphicsAnimationKey& key = m_keys[i];
        m_index = i;
        m_tickA = m_tickB = key.tick;
        m_scale = key.scale;
        m_translation = key.translation;
        m_rotation = key.rotation;
    };
    if (last == 0 || tick <= static_cast<float>(m_keys.front().tick)) {
        hold(0);
        return;
    }
    if (tick >= static_cast<float>(m_keys.back().tick)) {
        hold(last);
        return;
    }
    // From the last key found, forward, once round at most.
    u32 i = std::min(m_index, last);
    for (u32 steps = 0; steps <= last; ++steps) {
        if (i < last && static_cast<float>(m_keys[i].tick) <= tick &&
            tick <= static_cast<float>(m_keys[i + 1].tick)) {
            break;
        }
        i = i + 1 >= last ? 0 : i + 1;
    }
    if (i >= last || !(static_cast<float>(m_keys[i].tick) <= tick &&
                       tick <= static_cast<float>(m_keys[i + 1].tick))) {
        // Keys out of tick order: no pair holds the time.
        hold(0);
        return;
    }
    const GraphicsAnimationKey& a = m_keys[i];
    const GraphicsAnimationKey& b = m_keys[i + 1];
    m_index = i;
    m_tickA = a.tick;
    m_tickB = b.tick;
    // Two keys at one tick: the first stands.
    const float span = static_cast<float>(b.tick) - static_cast<float>(a.tick);
    const float u = span > 0.0f ? (tick - static_cast<float>(a.tick)) / span : 0.0f;
    m_scale = Lerp(a.scale, b.scale, u);
    m_translation = Lerp(a.translation, b.translation, u);
    m_rotation = Math::QuaternionSlerp(a.rotation, b.rotation, u);
}

GraphicsAnimation::GraphicsAnimation(const GraphicsAnimation& other)
    : m_length(other.m_length), m_finished(other.m_finished), m_time(other.m_time),
      m_active(other.m_active), m_weight(other.m_weight), m_loop(other.m_loop),
      m_paused(other.m_paused), m_name(other.m_name), m_speed(other.m_speed) {
    for (const auto& [frame, track] : other.m_tracks) {
        m_tracks.emplace(frame, std::make_unique<GraphicsAnimationTrack>(*track));
    }
}

void GraphicsAnimation::Play(bool loop) {
    m_loop = loop;
    m_time = 0.0f;
    m_finished = false;
    m_active = true;
    m_paused = false;
    RecomputeLength();
}

void GraphicsAnimation::Stop() {
    m_time = 0.0f;
    m_active = false;
    ApplyPose(true);
}

void GraphicsAnimation::SetTime(float t) {
    m_time = t;
    ApplyPose(true);
}

void GraphicsAnimation::RecomputeLength() {
    m_length = 0.0f;
    if (m_tracks.empty() || m_tracks.begin()->second->m_keys.empty()) {
        return;
    }
    const std::vector<GraphicsAnimationKey>& keys = m_tracks.begin()->second->m_keys;
    m_length = (static_cast<float>(keys.back().tick) - static_cast<float>(keys.front().tick)) *
               kSecondsPerTick;
}

void GraphicsAnimation::Update(float dt) {
    if (!m_active || m_paused) {
        return;
    }
    m_time += m_speed * dt;
    if (m_time >= m_length) {
        m_finished = true;
        if (m_length > 0.0f) {
            // The length is positive here, so the wrap ends.
            while (m_time >= m_length) {
                m_time -= m_length;
            }
        } else {
            m_time = 0.0f;
        }
    }
    if (m_finished && !m_loop) {
        m_time = 0.0f;
        m_active = false;
        ApplyPose(true);
    }
}

void GraphicsAnimation::ApplyPose(bool force) {
    if ((!m_active || m_paused) && !force) {
        return;
    }
    for (const auto& [frame, track] : m_tracks) {
        track->Sample(m_time);
    }
}

const GraphicsAnimationTrack* GraphicsAnimation::Track(const std::string& frame) const {
    const auto found = m_tracks.find(frame);
    return found != m_tracks.end() ? found->second.get() : nullptr;
}

GraphicsAnimation* GraphicsAnimationMap::At(u32 n) const {
    if (n >= m_animations.size()) {
        return nullptr;
    }
    return std::next(m_animations.begin(), n)->second.get();
}

GraphicsAnimation* GraphicsAnimationMap::Find(const std::string& name) const {
    const auto found = m_animations.find(name);
    return found != m_animations.end() ? found->second.get() : nullptr;
}

void PlayAnimation(GraphicsAnimationMap& map, const std::string& name, bool loop) {
    if (GraphicsAnimation* set = map.Find(name)) {
        set->Play(loop);
        set->m_weight = 1.0f;
    }
}

float GetAnimationTime(const GraphicsAnimationMap& map, const std::string& name) {
    const GraphicsAnimation* set = map.Find(name);
    return set != nullptr ? set->m_time : 0.0f;
}

void SetAnimationTime(GraphicsAnimationMap& map, const std::string& name, float t) {
    if (GraphicsAnimation* set = map.Find(name)) {
        set->SetTime(t);
    }
}

void SpeedUpAnimation(GraphicsAnimationMap& map, const std::string& name) {
    if (GraphicsAnimation* set = map.Find(name)) {
        set->m_speed = 2.0f;
    }
}

bool IsAnimationPaused(const GraphicsAnimationMap& map, const std::string& name) {
    const GraphicsAnimation* set = map.Find(name);
    return set != nullptr && set->m_paused;
}

bool IsAnimationActive(const GraphicsAnimationMap& map, const std::string& name) {
    const GraphicsAnimation* set = map.Find(name);
    return set != nullptr && set->m_active;
}

bool IsAnimationFinished(const GraphicsAnimationMap& map, const std::string& name) {
    const GraphicsAnimation* set = map.Find(name);
    return set != nullptr && set->IsFinished();
}

void PauseAnimation(GraphicsAnimationMap& map, const std::string& name) {
    if (GraphicsAnimation* set = map.Find(name)) {
        set->Pause();
    }
}

void ResumeAnimation(GraphicsAnimationMap& map, const std::string& name) {
    if (GraphicsAnimation* set = map.Find(name)) {
        set->Resume();
    }
}

void StopAllAnimations(GraphicsAnimationMap& map) {
    for (const auto& [name, set] : map.m_animations) {
        set->Stop();
    }
}

void SetAnimationSpeedAll(GraphicsAnimationMap& map, float speed) {
    for (const auto& [name, set] : map.m_animations) {
        set->m_speed = speed;
    }
}

void PauseAllAnimations(GraphicsAnimationMap& map) {
    for (const auto& [name, set] : map.m_animations) {
        set->Pause();
    }
}

bool IsAnyAnimationPlaying(const GraphicsAnimationMap& map) {
    return std::any_of(map.m_animations.begin(), map.m_animations.end(), [](const auto& entry) {
        return entry.second->m_active && !entry.second->m_paused;
    });
}

void UpdateAnimations(GraphicsAnimationMap& map, float dt) {
    for (const auto& [name, set] : map.m_animations) {
        if (set->m_active) {
            set->Update(dt);
        }
    }
}

void ApplyAnimationPoses(GraphicsAnimationMap& map) {
    for (const auto& [name, set] : map.m_animations) {
        set->ApplyPose(false);
    }
}

bool BlendAnimations(const GraphicsAnimationMap& map, const std::string& frameName,
                     Float4x4& matrix) {
    matrix = Math::MatrixIdentity();
    std::vector<Sample> samples;
    for (const auto& [name, set] : map.m_animations) {
        if (!set->m_active) {
            continue;
        }
        // A set that does not animate the frame takes no part, nor does its weight.
        const GraphicsAnimationTrack* track = set->Track(frameName);
        if (track == nullptr || track->m_scale.x < -0.5f) {
            continue;
        }
        samples.push_back({track->m_scale, track->m_translation, track->m_rotation, set->m_weight});
    }
    if (samples.empty()) {
        return false;
    }
    // Each further sample pulls the result by its share of the weights so far, so equal
    // weights give equal shares.
    Sample result = samples.front();
    float total = result.weight;
    for (std::size_t k = 1; k < samples.size(); ++k) {
        total += samples[k].weight;
        MoveToward(result, samples[k], total != 0.0f ? samples[k].weight / total : 0.0f);
    }
    matrix = Math::MatrixMultiply(
        Math::MatrixMultiply(Math::MatrixScaling(result.scale.x, result.scale.y, result.scale.z),
                             Math::MatrixRotationQuaternion(result.rotation)),
        Math::MatrixTranslation(result.translation.x, result.translation.y, result.translation.z));
    return true;
}

std::string GetAnimationNameAt(const GraphicsAnimationMap& map, u32 n) {
    if (n >= map.m_animations.size()) {
        return std::string();
    }
    return std::next(map.m_animations.begin(), n)->first;
}

float GetAnimationTimeAt(const GraphicsAnimationMap& map, u32 n) {
    const GraphicsAnimation* set = map.At(n);
    return set != nullptr ? set->m_time : 0.0f;
}

void SetAnimationTimeAt(GraphicsAnimationMap& map, u32 n, float t) {
    if (GraphicsAnimation* set = map.At(n)) {
        set->SetTime(t);
    }
}

bool IsAnimationPausedAt(const GraphicsAnimationMap& map, u32 n) {
    const GraphicsAnimation* set = map.At(n);
    return set != nullptr && set->m_paused;
}

bool IsAnimationActiveAt(const GraphicsAnimationMap& map, u32 n) {
    const GraphicsAnimation* set = map.At(n);
    return set != nullptr && set->m_active;
}

void PlayAnimationAt(GraphicsAnimationMap& map, u32 n) {
    map.m_currentIndex = n;
    if (GraphicsAnimation* set = map.At(n)) {
        set->Play(true);
    }
}

void PlayOnlyAnimationAt(GraphicsAnimationMap& map, u32 n) {
    map.m_currentIndex = n;
    if (GraphicsAnimation* set = map.At(n)) {
        StopAllAnimations(map);
        set->Play(true);
    }
}

void SpeedUpFirstAnimation(GraphicsAnimationMap& map) {
    if (GraphicsAnimation* set = map.At(0)) {
        set->m_speed = 2.0f;
    }
}

void PauseSecondAnimation(GraphicsAnimationMap& map) {
    if (GraphicsAnimation* set = map.At(1)) {
        set->Pause();
    }
}

std::unique_ptr<GraphicsAnimationMap> LoadAnimationSets(const std::string& meshName) {
    auto map = std::make_unique<GraphicsAnimationMap>();
    std::vector<AnimationSet> sets;
    if (g_set_source != nullptr) {
        sets = g_set_source->ReadAnimationSets(meshName);
    }
    for (AnimationSet& read : sets) {
        auto set = std::make_unique<GraphicsAnimation>();
        set->m_loop = true;
        for (AnimationSetTrack& track : read.tracks) {
            set->m_tracks[track.frame] =
                std::make_unique<GraphicsAnimationTrack>(std::move(track.keys));
        }
        set->RecomputeLength();
        // A later set of the same name replaces the earlier one, as a map keeps names once.
        map->m_animations[read.name] = std::move(set);
    }
    map->m_hasAnimations = !sets.empty();
    if (sets.empty()) {
        sys::LogLine("No animation sets found");
    }
    return map;
}

std::unique_ptr<GraphicsAnimationMap> CopyAnimations(const GraphicsAnimationMap& map) {
    auto copy = std::make_unique<GraphicsAnimationMap>();
    for (const auto& [name, set] : map.m_animations) {
        copy->m_animations.emplace(name, std::make_unique<GraphicsAnimation>(*set));
    }
    copy->m_hasAnimations = map.m_hasAnimations;
    return copy;
}

void ReleaseAnimations(GraphicsAnimationMap& map) {
    map.m_animations.clear();
}
