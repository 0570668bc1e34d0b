#pragma once
// The "AnimationController" component of the robot's base: owns the robot's clips by name,
// plays them on five layered tracks with cross-fades, adds four animated extra turns
// weighted per body part, and writes the result into the robot's bound skeleton, whose
// joints place the body-part objects. Unknown clip names and indices out of range are
// ignored; getters then answer neutral values.
#include <list>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "animation/animation.h"
#include "animation/skeleton.h"
#include "core/definition_component.h"
#include "core/memory_allocator.h"
#include "core/vector.h"

// One layer of clips: the clip playing and those still fading out under it.
struct AnimationTrack {
    AnimationTrack(std::string name, bool enabled) : m_name(std::move(name)), m_enabled(enabled) {}

    std::string m_name;
    // Oldest first, each with the seconds since its cross-fade began and its length.
    std::list<std::string> m_previous;
    bool m_transitioning = false;
    // The whole track fading in (enabled) or out (disabled).
    bool m_fading = false;
    std::list<float> m_elapsed;
    std::list<float> m_durations;
    // The cross-fade length that PlayAnimation's -1 selects.
    float m_transition_time = 0.25f;
    float m_fade_elapsed = 0.0f;
    float m_fade_duration = 0.51f;
    bool m_enabled;
};

// An extra turn of the pose about an axis through a pivot, eased to each new angle.
struct RotationLayer {
    Vector m_axis;
    Vector m_start_axis;
    // A point on the axis, in the base object's frame.
    Vector m_pivot;
    float m_angle = 0.0f;
    float m_start_angle = 0.0f;
    float m_angle_elapsed = 0.0f;
    float m_angle_duration = 0.0f;
    float m_axis_elapsed = 0.0f;
    float m_axis_duration = 0.0f;
    bool m_angle_fading = false;
    bool m_axis_fading = false;
    // One per joint slot.
    std::vector<float> m_weights;
};

class AnimationController : public DefinitionComponent, public Allocator<AnimationController> {
  public:
    // The clips read from files, in loading order.
    static const std::vector<std::string>& FileClipNames();

    explicit AnimationController(std::string objectType);

    // Advances the clips and, with a skeleton, poses the robot.
    void Update(float dt) override;
    // (Re)loads the clips that come from files.
    void Initialize() override;

    void SetAnimationTime(const std::string& name, float time);
    float GetAnimationTime(const std::string& name) const;
    void SetAnimationSpeed(const std::string& name, float speed);
    float GetAnimationSpeed(const std::string& name) const;
    float GetAnimationLength(const std::string& name) const;
    void ResumeAnimation(const std::string& name);
    bool IsAnimationPaused(const std::string& name) const;
    bool IsAnimationFinished(const std::string& name) const;
    // The idle clip keeps its weight.
    void FadeAnimation(const std::string& name, float weight, float duration);
    void AdjustAnimation(const std::string& name, const Vector& target);

    // Cross-fades the track to the clip over transition seconds (-1: the track's own
    // length); a clip already playing there is left alone until it has finished.
    void PlayAnimation(u32 track, const std::string& name, float transition);
    void EnableTrack(u32 track);
    void DisableTrack(u32 track, float fadeTime);
    bool IsTrackEnabled(u32 track) const;
    std::string GetCurrentAnimationName() const;
    // Whether the clip is still fading out on track 0.
    bool HasTrackAnimation(const std::string& name) const;
    // The clip's share of the track's blended pose as of the last update (0 when it is not
    // on the track).
    float GetTrackWeight(u32 track, const std::string& name) const;

    // Eases the layer from the angle it has reached to the new one over its duration.
    void SetRotationAngle(u32 layer, float angle);
    void SetRotationDuration(u32 layer, float seconds);

    // The clip of that name, or null.
    Animation* FindAnimation(const std::string& name) const;

    std::unordered_map<std::string, boost::shared_ptr<Animation>> m_animations;
    // The robot's bound skeleton, made by the AnimationProcess; null until the robot is
    // assembled.
    Skeleton* m_skeleton = nullptr;
    // The last blended pose.
    Skeleton m_pose{true};
    std::vector<AnimationTrack> m_tracks;
    std::vector<RotationLayer> m_rotations;
    // Where Initialize reads the clip files from.
    std::string m_package_path = Animation::kPackagePath;

  private:
    // The clip's pose; the pose of an empty clip for a name not held.
    Skeleton PoseOf(const std::string& name);
    // The pose of an enabled track, with its cross-fades advanced by dt.
    Skeleton TrackPose(AnimationTrack& track, float dt);
    // The layer's angle this frame, its fade advanced by dt.
    static float LayerAngle(RotationLayer& layer, float dt);
    static Vector LayerAxis(RotationLayer& layer, float dt);
};
