#include "animation/animation.h"

#include <algorithm>
#include <cmath>

#include "core/math_functions.h"
#include "core/matrix.h"

namespace {

// Key times closer than this to the current time are taken as reached.
constexpr float kSnap = 9.9999997e-6f;
// The height of the shoulder point that AimAt measures from.
constexpr float kAimHeight = 10.0f;

} // namespace

Animation::Animation(const std::string& name) {
    BuildCombatFrames(name);
}

Skeleton Animation::EmptyPose() {
    Skeleton pose(true);
    for (int i = 0; i < Skeleton::kSlotCount; ++i) {
        pose.AddJoint(new AnimationJoint(Quaternion{}, Vector(), 0.0f));
    }
    return pose;
}

void Animation::AddKeyFrame(float time, const Skeleton& pose) {
    m_frames.push_back(KeyFrame{time, boost::shared_ptr<Skeleton>(new Skeleton(pose))});
}

void Animation::Update(float dt) {
    if (!m_paused) {
        m_time += m_speed * dt;
    }
    if (m_fade_duration <= m_fade_elapsed) {
        m_weight = m_fade_target;
        return;
    }
    m_fade_elapsed += dt;
    if (m_fade_target == m_weight) {
        m_fade_elapsed = m_fade_duration;
        return;
    }
    const float r = std::clamp(m_fade_elapsed / m_fade_duration, 0.0f, 1.0f);
    m_weight = (1.0f - r) * m_fade_start + r * m_fade_target;
}

void Animation::BoundTime() {
    if (m_frames.size() == 1) {
        m_time = 0.0f;
        m_finished = true;
        if (!m_looping) {
            m_paused = true;
        }
        return;
    }
    const float length = m_frames.back().time;
    if (m_looping && length <= 0.0f) {
        // Subtracting a length of 0 or less would never bring the time down: such a clip
        // plays as a single frame.
        m_time = 0.0f;
        m_finished = true;
        return;
    }
    while (length < m_time) {
        m_finished = true;
        if (!m_looping) {
            m_paused = true;
            m_time = length;
            break;
        }
        const float wrapped = m_time - length;
        // A time too large for the length to change it in single precision.
        m_time = wrapped < m_time ? wrapped : std::fmod(m_time, length);
    }
}

boost::shared_ptr<Skeleton> Animation::GetPose() {
    boost::shared_ptr<Skeleton> result(new Skeleton(true));
    if (m_frames.empty()) {
        result->CopyFrom(EmptyPose());
        return result;
    }
    if (!m_paused) {
        BoundTime();
    }
    float t = m_time;
    if (m_frames.size() == 1) {
        result->CopyFrom(*m_frames.front().skeleton);
    } else {
        const KeyFrame* previous = &m_frames.back();
        const KeyFrame* next = nullptr;
        for (const KeyFrame& frame : m_frames) {
            if (std::fabs(t - frame.time) < kSnap) {
                t = frame.time;
                next = &frame;
                break;
            }
            if (t < frame.time) {
                next = &frame;
                break;
            }
            previous = &frame;
        }
        if (next == nullptr) {
            // Only a paused clip whose time was set beyond its end gets here.
            result->CopyFrom(*m_frames.back().skeleton);
        } else {
            const float gap = next->time - previous->time;
            const float alpha = gap == 0.0f ? 1.0f : (t - previous->time) / gap;
            Skeleton::Interpolate(*result, *previous->skeleton, *next->skeleton, alpha);
        }
    }
    result->ScaleWeights(m_weight);
    return result;
}

float Animation::GetLength() const {
    return m_frames.empty() ? 0.0f : m_frames.back().time;
}

void Animation::Fade(float target, float duration) {
    m_fade_start = m_weight;
    m_fade_target = target;
    m_fade_elapsed = 0.0f;
    m_fade_duration = duration;
    if (duration == 0.0f) {
        m_weight = target;
    }
}

void Animation::Reset() {
    m_time = 0.0f;
    m_finished = false;
    m_paused = false;
}

void Animation::AimAt(const Vector& target) {
    if (m_aim_joint == nullptr) {
        return;
    }
    const Vector reach = target - Vector(0.0f, kAimHeight, 0.0f);
    const float distance = reach.Length();
    if (distance == 0.0f) {
        // No direction to point in.
        return;
    }
    // The axis lies flat, square to the target: the arm swings up from hanging straight
    // down towards the target.
    Vector axis(target.z, 0.0f, -target.x);
    const float axisLength = axis.Length();
    if (axisLength != 0.0f) {
        axis /= axisLength;
    } else {
        // A target straight above or below the shoulder: any flat axis swings the arm there.
        axis = Vector(1.0f, 0.0f, 0.0f);
    }
    const float down = std::clamp(reach.Dot(Vector(0.0f, -1.0f, 0.0f)) / distance, -1.0f, 1.0f);
    const float angle = -std::acos(down);

    const Vector origin;
    Vector rows[3] = {Vector(1.0f, 0.0f, 0.0f), Vector(0.0f, 1.0f, 0.0f), Vector(0.0f, 0.0f, 1.0f)};
    for (Vector& row : rows) {
        Matrix::FromAxisAngle(row, origin, axis, angle);
    }
    m_aim_joint->m_rotation = Math::QuaternionRotationMatrix(
        Matrix::FromRotation(rows[0].x, rows[0].y, rows[0].z, rows[1].x, rows[1].y, rows[1].z,
                             rows[2].x, rows[2].y, rows[2].z));
    m_aim_joint->m_position = target;
}
