#pragma once
// One named clip of the robot: key frames of six-joint poses and the clip's play state
// (time, speed, finished, looping, paused) with a weight that can be faded. Ten clips are
// built in code by name (the punches, grab, hold, throw and victory); the others are read
// from the art package's animation text files by Load.
#include <iosfwd>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "animation/skeleton.h"
#include "core/entity.h"
#include "core/memory_allocator.h"
#include "core/vector.h"

struct KeyFrame {
    float time = 0.0f;
    // Owning, six AnimationJoints in slot order.
    boost::shared_ptr<Skeleton> skeleton;
};

class Animation : public Entity, public Allocator<Animation> {
  public:
    static constexpr const char* kPackagePath = "./assets/packages/art.kzp";

    // Starts stopped at time 0 with speed and weight 1; the ten combat clips also get their
    // key frames.
    explicit Animation(const std::string& name);

    // The clip of "./assets/art/animation_<name>.txt" in the package: always an animation,
    // without key frames when the file cannot be had.
    static boost::shared_ptr<Animation> Load(const std::string& name,
                                             const std::string& packagePath = kPackagePath);
    // The same from the text of such a file.
    static boost::shared_ptr<Animation> FromText(const std::string& name, const std::string& text);
    // The pose of a clip without key frames: six joints at the origin, unturned, weight 0.
    static Skeleton EmptyPose();

    // Advances the time (unless paused) and the weight fade.
    void Update(float dt) override;
    // The pose at the current time, every weight times the clip's. Wraps a looping clip's
    // time and stops a one-shot clip on its last frame first.
    boost::shared_ptr<Skeleton> GetPose();
    // The time of the last key frame; 0 without key frames.
    float GetLength() const;
    // Moves the weight from its present value to target over duration seconds; at once for 0.
    void Fade(float target, float duration);
    // Back to time 0, playing.
    void Reset();
    // Turns the aim joint (Grab's reaching arm) to point from the shoulder height at target,
    // given in the robot base's frame, and puts it there. Nothing without an aim joint or for
    // a target on the shoulder point itself.
    void AimAt(const Vector& target);

    float GetTime() const { return m_time; }
    void SetTime(float time) { m_time = time; }
    float GetSpeed() const { return m_speed; }
    void SetSpeed(float speed) { m_speed = speed; }
    bool IsFinished() const { return m_finished; }
    bool IsPaused() const { return m_paused; }
    void Resume() { m_paused = false; }
    bool IsLooping() const { return m_looping; }
    void SetLooping(bool looping) { m_looping = looping; }
    // Appends a key frame holding a copy of the pose; frames are expected in ascending time.
    void AddKeyFrame(float time, const Skeleton& pose);
    std::size_t FrameCount() const { return m_frames.size(); }
    float GetWeight() const { return m_weight; }
    const AnimationJoint* AimJoint() const { return m_aim_joint; }
    const std::vector<KeyFrame>& Frames() const { return m_frames; }

  private:
    // The key frames of one of the ten clips built in code; false for any other name.
    bool BuildCombatFrames(const std::string& name);
    // Replaces the key frames by those of the text; the header decides the looping.
    void Read(std::istream& text);
    // Wraps or stops the time at the clip's ends, as GetPose does before it looks.
    void BoundTime();

    std::vector<KeyFrame> m_frames;
    float m_time = 0.0f;
    float m_speed = 1.0f;
    bool m_finished = false;
    bool m_looping = false;
    bool m_paused = false;
    // A joint of one of the own key frames, owned by that frame's skeleton.
    AnimationJoint* m_aim_joint = nullptr;
    float m_weight = 1.0f;
    float m_fade_start = 1.0f;
    float m_fade_target = 1.0f;
    float m_fade_elapsed = 0.0f;
    float m_fade_duration = 0.0f;
};
