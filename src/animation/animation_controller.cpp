#include "animation/animation_controller.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "platform/system/log.h"

namespace {

// Transition time that selects the track's own.
constexpr float kDefaultTransition = -1.0f;
constexpr float kTransitionTolerance = 1e-5f;
constexpr float kTrackFadeIn = 0.51f;

// How far a fade of this length has got; a fade without length is complete.
float Progress(float elapsed, float duration) {
    return duration > 0.0f ? elapsed / duration : 1.0f;
}

RotationLayer Layer(const Vector& axis, const Vector& pivot, float angleDuration,
                    float axisDuration, std::vector<float> weights) {
    RotationLayer layer;
    layer.m_axis = axis;
    layer.m_start_axis = axis;
    layer.m_pivot = pivot;
    layer.m_angle_duration = angleDuration;
    layer.m_axis_duration = axisDuration;
    layer.m_weights = std::move(weights);
    return layer;
}

} // namespace

const std::vector<std::string>& AnimationController::FileClipNames() {
    static const std::vector<std::string> names = {"Walk", "Idle", "Juggernaut",    "Jump", "Fall",
                                                   "Land", "Die",  "WalkBackwards", "Laser"};
    return names;
}

AnimationController::AnimationController(std::string objectType)
    : DefinitionComponent(std::move(objectType)) {
    for (const char* name :
         {"Right Punch Charge", "Right Punch Release", "Right Punch Rest", "Left Punch Charge",
          "Left Punch Release", "Left Punch Rest", "Grab", "Hold", "Throw", "Victory"}) {
        m_animations[name] = boost::shared_ptr<Animation>(new Animation(name));
    }

    // Track 0 is the whole body, 2 and 3 the right and left arm.
    const std::pair<const char*, float> tracks[] = {{"Idle", 0.25f},
                                                    {"Juggernaut", 0.0f},
                                                    {"Right Punch Charge", 0.0f},
                                                    {"Left Punch Charge", 0.0f},
                                                    {"Spin", 0.0f}};
    for (const auto& [name, transition] : tracks) {
        m_tracks.emplace_back(name, m_tracks.empty());
        m_tracks.back().m_transition_time = transition;
    }

    const Vector up(0.0f, 1.0f, 0.0f);
    const Vector side(1.0f, 0.0f, 0.0f);
    m_rotations.push_back(Layer(up, Vector(), 0.1f, 0.1f, {1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f}));
    m_rotations.push_back(Layer(side, Vector(0.0f, 10.0f, 0.0f), 0.1f, 0.1f,
                                {1.0f, 0.75f, 0.75f, 0.75f, 0.0f, 0.0f}));
    m_rotations.push_back(
        Layer(up, Vector(), 0.5f, 0.1f, {0.25f, 0.15f, 0.25f, 0.25f, 1.0f, 1.0f}));
    m_rotations.push_back(Layer(side, Vector(0.0f, 16.0f, 0.0f), 0.5f, 0.5f,
                                {0.75f, 1.0f, 0.75f, 0.75f, 0.0f, 0.0f}));
}

void AnimationController::Initialize() {
    sys::LogLine("Initialize Animations");
    for (const std::string& name : FileClipNames()) {
        m_animations[name] = Animation::Load(name, m_package_path);
    }
    sys::LogLine("Initialize Animations Done");
}

Animation* AnimationController::FindAnimation(const std::string& name) const {
    const auto found = m_animations.find(name);
    return found == m_animations.end() ? nullptr : found->second.get();
}

void AnimationController::SetAnimationTime(const std::string& name, float time) {
    if (Animation* clip = FindAnimation(name)) {
        clip->SetTime(time);
    }
}

float AnimationController::GetAnimationTime(const std::string& name) const {
    const Animation* clip = FindAnimation(name);
    return clip != nullptr ? clip->GetTime() : 0.0f;
}

void AnimationController::SetAnimationSpeed(const std::string& name, float speed) {
    if (Animation* clip = FindAnimation(name)) {
        clip->SetSpeed(speed);
    }
}

float AnimationController::GetAnimationSpeed(const std::string& name) const {
    const Animation* clip = FindAnimation(name);
    return clip != nullptr ? clip->GetSpeed() : 1.0f;
}

float AnimationController::GetAnimationLength(const std::string& name) const {
    const Animation* clip = FindAnimation(name);
    return clip != nullptr ? clip->GetLength() : 0.0f;
}

void AnimationController::ResumeAnimation(const std::string& name) {
    if (Animation* clip = FindAnimation(name)) {
        clip->Resume();
    }
}

bool AnimationController::IsAnimationPaused(const std::string& name) const {
    const Animation* clip = FindAnimation(name);
    return clip != nullptr ? clip->IsPaused() : true;
}

bool AnimationController::IsAnimationFinished(const std::string& name) const {
    const Animation* clip = FindAnimation(name);
    return clip != nullptr && clip->IsFinished();
}

void AnimationController::FadeAnimation(const std::string& name, float weight, float duration) {
    // The idle pose is the floor every other clip blends over.
    if (name == "Idle") {
        return;
    }
    if (Animation* clip = FindAnimation(name)) {
        clip->Fade(weight, duration);
    }
}

void AnimationController::AdjustAnimation(const std::string& name, const Vector& target) {
    if (Animation* clip = FindAnimation(name)) {
        clip->AimAt(target);
    }
}

void AnimationController::PlayAnimation(u32 index, const std::string& name, float transition) {
    if (index >= m_tracks.size()) {
        return;
    }
    Animation* const clip = FindAnimation(name);
    if (clip == nullptr) {
        return;
    }
    AnimationTrack& track = m_tracks[index];
    if (name == track.m_name) {
        if (!clip->IsFinished() && track.m_enabled) {
            return;
        }
        // Restarting a still frame would change nothing.
        if (clip->FrameCount() <= 1) {
            return;
        }
    }
    if (!track.m_enabled) {
        EnableTrack(index);
    }
    track.m_previous.push_back(track.m_name);
    track.m_name = name;
    clip->Reset();
    track.m_transitioning = true;
    track.m_elapsed.push_back(0.0f);
    track.m_durations.push_back(std::fabs(transition - kDefaultTransition) < kTransitionTolerance
                                    ? track.m_transition_time
                                    : transition);
}

void AnimationController::EnableTrack(u32 index) {
    if (index >= m_tracks.size() || m_tracks[index].m_enabled) {
        return;
    }
    AnimationTrack& track = m_tracks[index];
    track.m_enabled = true;
    track.m_fade_elapsed = 0.0f;
    track.m_fading = true;
    track.m_fade_duration = kTrackFadeIn;
}

void AnimationController::DisableTrack(u32 index, float fadeTime) {
    if (index >= m_tracks.size() || !m_tracks[index].m_enabled) {
        return;
    }
    AnimationTrack& track = m_tracks[index];
    track.m_enabled = false;
    track.m_fade_elapsed = 0.0f;
    track.m_fading = true;
    track.m_fade_duration = fadeTime;
}

bool AnimationController::IsTrackEnabled(u32 index) const {
    return index < m_tracks.size() && m_tracks[index].m_enabled;
}

std::string AnimationController::GetCurrentAnimationName() const {
    return m_tracks.empty() ? std::string() : m_tracks.front().m_name;
}

bool AnimationController::HasTrackAnimation(const std::string& name) const {
    if (m_tracks.empty()) {
        return false;
    }
    for (const std::string& previous : m_tracks.front().m_previous) {
        if (previous == name) {
            return true;
        }
    }
    return false;
}

void AnimationController::SetRotationAngle(u32 index, float angle) {
    if (index >= m_rotations.size()) {
        return;
    }
    RotationLayer& layer = m_rotations[index];
    if (angle == layer.m_angle) {
        return;
    }
    float current = layer.m_angle;
    if (layer.m_angle_duration >= layer.m_angle_elapsed) {
        const float r = Progress(layer.m_angle_elapsed, layer.m_angle_duration);
        current = (1.0f - r) * layer.m_start_angle + r * layer.m_angle;
    }
    layer.m_start_angle = current;
    layer.m_angle = angle;
    layer.m_angle_fading = true;
    layer.m_angle_elapsed = 0.0f;
}

void AnimationController::SetRotationDuration(u32 index, float seconds) {
    if (index < m_rotations.size()) {
        m_rotations[index].m_angle_duration = seconds;
    }
}

Skeleton AnimationController::PoseOf(const std::string& name) {
    // Only a track that never played a clip names none ("Spin"); it contributes nothing.
    Animation* const clip = FindAnimation(name);
    return clip != nullptr ? Skeleton(*clip->GetPose()) : Animation::EmptyPose();
}

Skeleton AnimationController::TrackPose(AnimationTrack& track, float dt) {
    if (track.m_transitioning) {
        auto name = track.m_previous.begin();
        auto elapsed = track.m_elapsed.begin();
        auto duration = track.m_durations.begin();
        while (name != track.m_previous.end()) {
            *elapsed = std::min(*elapsed + dt, *duration);
            if (*duration <= *elapsed) {
                name = track.m_previous.erase(name);
                elapsed = track.m_elapsed.erase(elapsed);
                duration = track.m_durations.erase(duration);
            } else {
                ++name;
                ++elapsed;
                ++duration;
            }
        }
        track.m_transitioning = !track.m_previous.empty();
    }
    if (!track.m_transitioning) {
        return PoseOf(track.m_name);
    }

    // Each newer clip takes over the share of the running sums of elapsed over duration.
    auto name = track.m_previous.begin();
    auto elapsed = track.m_elapsed.begin();
    auto duration = track.m_durations.begin();
    Skeleton pose = PoseOf(*name);
    float elapsedSum = 0.0f;
    float durationSum = 0.0f;
    for (++name; name != track.m_previous.end(); ++name, ++elapsed, ++duration) {
        elapsedSum += *elapsed;
        durationSum += *duration;
        const float r = elapsedSum / durationSum;
        pose = pose * (1.0f - r) + PoseOf(*name) * r;
    }
    elapsedSum += *elapsed;
    durationSum += *duration;
    const float r = elapsedSum / durationSum;
    return pose * (1.0f - r) + PoseOf(track.m_name) * r;
}

float AnimationController::LayerAngle(RotationLayer& layer, float dt) {
    if (!layer.m_angle_fading) {
        return layer.m_angle;
    }
    layer.m_angle_elapsed += dt;
    if (layer.m_angle_duration >= layer.m_angle_elapsed && layer.m_angle_duration > 0.0f) {
        const float r = layer.m_angle_elapsed / layer.m_angle_duration;
        return (1.0f - r) * layer.m_start_angle + r * layer.m_angle;
    }
    layer.m_angle_fading = false;
    return layer.m_angle;
}

Vector AnimationController::LayerAxis(RotationLayer& layer, float dt) {
    if (!layer.m_axis_fading) {
        return layer.m_axis;
    }
    layer.m_axis_elapsed += dt;
    if (layer.m_axis_duration >= layer.m_axis_elapsed && layer.m_axis_duration > 0.0f) {
        const float r = layer.m_axis_elapsed / layer.m_axis_duration;
        return layer.m_axis * r + layer.m_start_axis * (1.0f - r);
    }
    layer.m_axis_fading = false;
    return layer.m_axis;
}

void AnimationController::Update(float dt) {
    // Each clip advances once, however many tracks play or fade it.
    std::unordered_set<std::string> advanced;
    const auto advance = [&](const std::string& name) {
        Animation* const clip = FindAnimation(name);
        if (clip != nullptr && advanced.insert(name).second) {
            clip->Update(dt);
        }
    };
    for (const AnimationTrack& track : m_tracks) {
        if (!track.m_enabled && !track.m_fading) {
            continue;
        }
        advance(track.m_name);
        if (track.m_transitioning) {
            for (const std::string& name : track.m_previous) {
                advance(name);
            }
        }
    }
    if (m_skeleton == nullptr) {
        return;
    }

    std::vector<Skeleton> poses;
    for (AnimationTrack& track : m_tracks) {
        if (track.m_enabled) {
            poses.push_back(TrackPose(track, dt));
            if (track.m_fading) {
                track.m_fade_elapsed += dt;
                if (track.m_fade_duration <= track.m_fade_elapsed) {
                    track.m_fading = false;
                } else {
                    poses.back().ScaleWeights(track.m_fade_elapsed / track.m_fade_duration);
                }
            }
        } else if (track.m_fading) {
            track.m_fade_elapsed += dt;
            if (track.m_fade_duration <= track.m_fade_elapsed) {
                track.m_fading = false;
            } else {
                poses.push_back(PoseOf(track.m_name));
                poses.back().ScaleWeights(1.0f - track.m_fade_elapsed / track.m_fade_duration);
            }
        }
    }

    // Later tracks take over the joints of earlier ones by their weights.
    Skeleton pose(true);
    if (!poses.empty()) {
        pose = poses.front();
        for (std::size_t i = 1; i < poses.size(); ++i) {
            pose.Accumulate(poses[i], BlendMode::Weighted);
        }
    }

    for (RotationLayer& layer : m_rotations) {
        const float angle = LayerAngle(layer, dt);
        const Vector axis = LayerAxis(layer, dt);
        if (angle != 0.0f && !layer.m_weights.empty()) {
            pose.ApplyAxisRotation(AxisRotation{axis, layer.m_pivot, angle}, layer.m_weights);
        }
    }

    *m_skeleton = pose;
    for (const boost::shared_ptr<Joint>& joint : m_skeleton->m_joints) {
        if (auto* part = dynamic_cast<JointComponent*>(joint.get())) {
            part->ApplyToOwner();
        }
    }
    m_pose = pose;
}

float AnimationController::GetTrackWeight(u32 index, const std::string& name) const {
    if (index >= m_tracks.size()) {
        return 0.0f;
    }
    const AnimationTrack& track = m_tracks[index];
    if (!track.m_transitioning || track.m_previous.empty()) {
        return track.m_name == name ? 1.0f : 0.0f;
    }
    // The same running shares as the blend: walk from the newest clip back, each older one
    // keeping what the newer ones left.
    std::vector<const std::string*> names;
    std::vector<float> shares;
    float elapsedSum = 0.0f;
    float durationSum = 0.0f;
    auto elapsed = track.m_elapsed.begin();
    auto duration = track.m_durations.begin();
    auto previous = track.m_previous.begin();
    names.push_back(&*previous);
    shares.push_back(1.0f);
    for (++previous; previous != track.m_previous.end(); ++previous, ++elapsed, ++duration) {
        elapsedSum += *elapsed;
        durationSum += *duration;
        names.push_back(&*previous);
        shares.push_back(durationSum > 0.0f ? elapsedSum / durationSum : 1.0f);
    }
    elapsedSum += *elapsed;
    durationSum += *duration;
    names.push_back(&track.m_name);
    shares.push_back(durationSum > 0.0f ? elapsedSum / durationSum : 1.0f);
    float weight = 0.0f;
    float left = 1.0f;
    for (std::size_t i = names.size(); i-- > 0;) {
        const float share = left * shares[i];
        if (*names[i] == name) {
            weight += share;
        }
        left -= share;
    }
    return weight;
}
