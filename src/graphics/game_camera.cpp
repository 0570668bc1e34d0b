#include "graphics/game_camera.h"

#include <cassert>
#include <cmath>

#include "core/math_functions.h"

GameCamera g_game_camera;

namespace {

// The keys k and k + 1 around time, with the blend s between them; false when time is at or
// past the last key or there are fewer than two keys (the last key holds then).
template <class Key>
bool Bracket(const std::vector<Key>& keys, float time, std::size_t* k, float* s) {
    if (keys.size() < 2 || time >= keys.back().time) {
        return false;
    }
    for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
        if (keys[i + 1].time > time) {
            *k = i;
            *s = (time - keys[i].time) / (keys[i + 1].time - keys[i].time);
            return true;
        }
    }
    return false;
}

} // namespace

void GameCamera::Update(float dt) {
    if (finished || duration <= 0.0f) {
        return;
    }
    time += dt;
    while (time >= duration) {
        time -= duration;
        finished = true;
    }
}

Vector GameCamera::EvaluatePath() {
    if (pathKeys.empty()) {
        return Vector(0.0f, 0.0f, 0.0f);
    }
    std::size_t at = 0;
    while (at + 1 < pathKeys.size() && pathKeys[at + 1].startTime <= time) {
        ++at;
    }
    PathSegment& segment = pathKeys[at];
    if (segment.rebuild) {
        segment.curve.ClearCaches();
        segment.rebuild = false;
    }
    float t = time;
    if (t < segment.startTime) {
        t = segment.startTime;
    }
    if (t > segment.endTime) {
        t = segment.endTime;
    }
    const float length = segment.endTime - segment.startTime;
    return segment.curve.EvaluateCurve(length != 0.0f ? (t - segment.startTime) / length : 0.0f);
}

Quaternion GameCamera::EvaluateRotation() const {
    if (rotationKeys.empty()) {
        return Quaternion{};
    }
    std::size_t k = 0;
    float s = 0.0f;
    if (!Bracket(rotationKeys, time, &k, &s)) {
        return rotationKeys.back().rotation;
    }
    return Math::QuaternionSlerp(rotationKeys[k].rotation, rotationKeys[k + 1].rotation, s);
}

Vector GameCamera::GetTarget() {
    if (!linearTarget) {
        return EvaluatePath() +
               Math::RotateByQuaternion(Vector(0.0f, 0.0f, -1.0f), EvaluateRotation());
    }
    if (targetKeys.empty()) {
        return Vector(0.0f, 0.0f, 0.0f);
    }
    std::size_t k = 0;
    float s = 0.0f;
    if (!Bracket(targetKeys, time, &k, &s)) {
        return targetKeys.back().point;
    }
    const Vector& a = targetKeys[k].point;
    const Vector& b = targetKeys[k + 1].point;
    return a * (1.0f - s) + b * s;
}

GameCamera::PathSegment& GameCamera::GetPathKey(std::size_t index) {
    assert(index < pathKeys.size());
    return pathKeys[index];
}

GameCamera::TargetKey& GameCamera::GetTargetKey(std::size_t index) {
    assert(index < targetKeys.size());
    return targetKeys[index];
}
