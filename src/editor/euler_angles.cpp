#include "editor/euler_angles.h"

#include <algorithm>
#include <cmath>

namespace editor {

namespace {
constexpr float kDegreesPerRadian = 57.2957763671875f;
constexpr float kRadiansPerDegree = 0.01745329238474369f;
} // namespace

Float3 QuaternionToEulerDegrees(const Quaternion& q) {
    const float x = q.x;
    const float y = q.y;
    const float z = q.z;
    const float w = q.w;
    const float sine = std::clamp(2.0f * (w * y - x * z), -1.0f, 1.0f);
    return {-std::atan2(2.0f * (w * x + y * z), w * w - x * x - y * y + z * z) * kDegreesPerRadian,
            std::asin(sine) * kDegreesPerRadian,
            -std::atan2(2.0f * (x * y + z * w), w * w + x * x - y * y - z * z) * kDegreesPerRadian};
}

Quaternion EulerDegreesToQuaternion(const Float3& degrees) {
    const float a = -degrees.x * kRadiansPerDegree * 0.5f;
    const float b = degrees.y * kRadiansPerDegree * 0.5f;
    const float c = -degrees.z * kRadiansPerDegree * 0.5f;
    const float sa = std::sin(a);
    const float ca = std::cos(a);
    const float sb = std::sin(b);
    const float cb = std::cos(b);
    const float sc = std::sin(c);
    const float cc = std::cos(c);
    Quaternion q;
    q.x = sa * cb * cc - ca * sb * sc;
    q.y = ca * sb * cc + sa * cb * sc;
    q.z = ca * cb * sc - sa * sb * cc;
    q.w = sa * sb * sc + ca * cb * cc;
    return q;
}

} // namespace editor
