#pragma once
// The play state of the animation sets a mesh carries. Each set is a GraphicsAnimation:
// per animated frame a track of key frames, with the set's time, length, speed, weight and
// flags. A graphic component keeps its sets by name in a GraphicsAnimationMap; the renderer
// advances, applies and blends them every frame, the AI drives them by name and the level
// editor by index. Names and indices the map does not hold are ignored; getters then
// answer 0 or false.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "animation/animation_sets.h"
#include "core/math_types.h"
#include "core/memory_allocator.h"
#include "core/quaternion.h"
#include "core/types.h"

// One animated frame in one set, with the pose last sampled.
class GraphicsAnimationTrack : public Allocator<GraphicsAnimationTrack> {
  public:
    explicit GraphicsAnimationTrack(std::vector<GraphicsAnimationKey> keys = {})
        : m_keys(std::move(keys)) {}

    // Samples the keys at t seconds: between the two keys around it, scale and translation
    // linearly and rotation along the shorter arc. Before the first key or after the last
    // it takes that end key; one key is that key. No keys leave the pose as it was.
    void Sample(float t);

    std::vector<GraphicsAnimationKey> m_keys;
    u32 m_tickA = 0;
    u32 m_tickB = 0;
    // Where the next search starts: the last key found.
    u32 m_index = 0;
    Float3 m_scale{1.0f, 1.0f, 1.0f};
    Float3 m_translation;
    Quaternion m_rotation;
};

// One animation set.
class GraphicsAnimation : public Allocator<GraphicsAnimation> {
  public:
    GraphicsAnimation() = default;
    GraphicsAnimation(const GraphicsAnimation& other);
    GraphicsAnimation& operator=(const GraphicsAnimation&) = delete;

    void Play(bool loop);
    // Back to time 0, inactive, its pose applied there.
    void Stop();
    void Pause() { m_paused = true; }
    void Resume() { m_paused = false; }
    void SetTime(float t);
    bool IsFinished() const { return m_finished; }
    // From the first track's first and last key; 0 without tracks or keys.
    void RecomputeLength();
    // While active and not paused: advances by speed × dt, wrapping at the length (which
    // marks it finished); a set that does not loop stops at time 0 once finished. A set of
    // length 0 or less stays at time 0 and is finished as soon as it plays.
    void Update(float dt);
    // Samples every track at the current time; unless forced, only while active and not
    // paused.
    void ApplyPose(bool force);
    float* GetWeightRef() { return &m_weight; }
    // The track of that frame, or null.
    const GraphicsAnimationTrack* Track(const std::string& frame) const;

    std::map<std::string, std::unique_ptr<GraphicsAnimationTrack>> m_tracks;
    float m_length = 0.0f;
    bool m_finished = false;
    float m_time = 0.0f;
    bool m_active = false;
    float m_weight = 1.0f;
    bool m_loop = false;
    bool m_paused = false;
    std::string m_name;
    float m_speed = 1.0f;
};

// The sets of one mesh by name, in name order.
class GraphicsAnimationMap : public Allocator<GraphicsAnimationMap> {
  public:
    // The n-th set in name order, or null.
    GraphicsAnimation* At(u32 n) const;
    // The set of that name, or null.
    GraphicsAnimation* Find(const std::string& name) const;

    std::map<std::string, std::unique_ptr<GraphicsAnimation>> m_animations;
    // The index last played by index.
    u32 m_currentIndex = 0;
    // Whether loading found sets.
    bool m_hasAnimations = false;
};

// --- by name ---
// Starts the set from time 0 with the loop flag and weight 1.
void PlayAnimation(GraphicsAnimationMap& map, const std::string& name, bool loop);
float GetAnimationTime(const GraphicsAnimationMap& map, const std::string& name);
// Also re-applies its pose.
void SetAnimationTime(GraphicsAnimationMap& map, const std::string& name, float t);
// Doubles the set's speed: its speed becomes 2.
void SpeedUpAnimation(GraphicsAnimationMap& map, const std::string& name);
bool IsAnimationPaused(const GraphicsAnimationMap& map, const std::string& name);
bool IsAnimationActive(const GraphicsAnimationMap& map, const std::string& name);
bool IsAnimationFinished(const GraphicsAnimationMap& map, const std::string& name);
void PauseAnimation(GraphicsAnimationMap& map, const std::string& name);
void ResumeAnimation(GraphicsAnimationMap& map, const std::string& name);

// --- every set ---
void StopAllAnimations(GraphicsAnimationMap& map);
void SetAnimationSpeedAll(GraphicsAnimationMap& map, float speed);
void PauseAllAnimations(GraphicsAnimationMap& map);
bool IsAnyAnimationPlaying(const GraphicsAnimationMap& map);
void UpdateAnimations(GraphicsAnimationMap& map, float dt);
void ApplyAnimationPoses(GraphicsAnimationMap& map);
// The frame's pose blended over the active sets that animate it, each by its weight, as
// scaling × rotation × translation. False (and the identity) when no active set does.
bool BlendAnimations(const GraphicsAnimationMap& map, const std::string& frameName,
                     Float4x4& matrix);

// --- by index, in name order ---
std::string GetAnimationNameAt(const GraphicsAnimationMap& map, u32 n);
float GetAnimationTimeAt(const GraphicsAnimationMap& map, u32 n);
void SetAnimationTimeAt(GraphicsAnimationMap& map, u32 n, float t);
bool IsAnimationPausedAt(const GraphicsAnimationMap& map, u32 n);
bool IsAnimationActiveAt(const GraphicsAnimationMap& map, u32 n);
// Remembers n and plays that set looped.
void PlayAnimationAt(GraphicsAnimationMap& map, u32 n);
// Remembers n; when the set exists, stops all and plays it looped.
void PlayOnlyAnimationAt(GraphicsAnimationMap& map, u32 n);
void SpeedUpFirstAnimation(GraphicsAnimationMap& map);
void PauseSecondAnimation(GraphicsAnimationMap& map);

// --- the map itself ---
// The mesh's sets read through the registered source, each stopped at time 0, looping,
// weight and speed 1. Logs "No animation sets found" when the mesh has none.
std::unique_ptr<GraphicsAnimationMap> LoadAnimationSets(const std::string& meshName);
// An independent deep copy, play state included, for another graphic component.
std::unique_ptr<GraphicsAnimationMap> CopyAnimations(const GraphicsAnimationMap& map);
void ReleaseAnimations(GraphicsAnimationMap& map);
