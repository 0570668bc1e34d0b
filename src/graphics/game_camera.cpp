#include "graphics/game_camera.h"

#include <cassert>
#include <cmath>

GameCamera g_game_camera;

namespace {

// Spherical blend along the shorter arc; nearly equal rotations blend linearly.
Quaternion Slerp(const Quaternion& a, const Quaternion& b, float s) {
    float cosine = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    float sign = 1.0f;
    if (cosine < 0.0f) {
        cosine = -cosine;
        sign = -1.0f;
    }
    float wa = 1.0f - s;
    float wb = s;
    if (1.0f - cosine > 1e-6f) {
        const float angle = std::acos(cosine);
        const float sine = std::sin(angle);
        wa = std::sin((1.0f - s) * angle) / sine;
        wb = std::sin(s * angle) / sine;
    }
    wb *= sign;
    Quaternion q;
    q.x = wa * a.x + wb * b.x;
    q.y = wa * a.y + wb * b.y;
    q.z = wa * a.z + wb * b.z;
    q.w = wa * a.w + wb * b.w;
    return q;
}

// v turned by the rotation of q (as v times q's rotation matrix, in row-vector form).
Vector Rotate(const Vector& v, const Quaternion& q) {
    const float tx = 2.0f * (q.y * v.z - q.z * v.y);
    const float ty = 2.0f * (q.z * v.x - q.x * v.z);
    const float tz = 2.0f * (q.x * v.y - q.y * v.x);
    return Vector(v.x + q.w * tx + (q.y * tz - q.z * ty), v.y + q.w * ty + (q.z * tx - q.x * tz),
                  v.z + q.w * tz + (q.x * ty - q.y * tx));
}

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
        Quaternion identity;
        identity.x = 0.0f;
        identity.y = 0.0f;
        identity.z = 0.0f;
        identity.w = 1.0f;
        return identity;
    }
    std::size_t k = 0;
    float s = 0.0f;
    if (!Bracket(rotationKeys, time, &k, &s)) {
        return rotationKeys.back().rotation;
    }
    return Slerp(rotationKeys[k].rotation, rotationKeys[k + 1].rotation, s);
}

Vector GameCamera::GetTarget() {
    if (!linearTarget) {
        const Vector ahead = Rotate(Vector(0.0f, 0.0f, -1.0f), EvaluateRotation());
        const Vector at = EvaluatePath();
        return Vector(at.x + ahead.x, at.y + ahead.y, at.z + ahead.z);
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
    return Vector(a.x * (1.0f - s) + b.x * s, a.y * (1.0f - s) + b.y * s,
                  a.z * (1.0f - s) + b.z * s);
}

GameCamera::PathSegment& GameCamera::GetPathKey(std::size_t index) {
    assert(index < pathKeys.size());
    return pathKeys[index];
}

GameCamera::TargetKey& GameCamera::GetTargetKey(std::size_t index) {
    assert(index < targetKeys.size());
    return targetKeys[index];
}
