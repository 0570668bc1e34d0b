#include "core/quaternion.h"

#include <cmath>

#include "core/math_functions.h"

namespace {

// No check for zero: the game's quaternions are unit length.
Vector Unit(float a, float b, float c) {
    const float r = 1.0f / std::sqrt(a * a + b * b + c * c);
    return Vector(a * r, b * r, c * r);
}

} // namespace

Quaternion& Quaternion::Integrate(Quaternion& q, const Vector& angularVelocity, float dt) {
    const Quaternion spin{angularVelocity.x * dt, angularVelocity.y * dt, angularVelocity.z * dt,
                          0.0f};
    const Quaternion t = Math::QuaternionMultiply(spin, q);
    q.x += 0.5f * t.x;
    q.y += 0.5f * t.y;
    q.z += 0.5f * t.z;
    q.w += 0.5f * t.w;
    q = Math::QuaternionNormalize(q);
    return q;
}

Vector Quaternion::GetDirection(const Quaternion& q) {
    return Unit(2.0f * (q.x * q.z - q.w * q.y), 2.0f * (q.w * q.x + q.y * q.z),
                1.0f - 2.0f * (q.x * q.x + q.y * q.y));
}

Vector Quaternion::GetBackward(const Quaternion& q) {
    return GetDirection(q) * -1.0f;
}

Vector Quaternion::GetRight(const Quaternion& q) {
    return Unit(1.0f - 2.0f * (q.y * q.y + q.z * q.z), 2.0f * (q.x * q.y - q.w * q.z),
                2.0f * (q.x * q.z + q.w * q.y));
}

Vector Quaternion::GetLeft(const Quaternion& q) {
    return GetRight(q) * -1.0f;
}

Float4x4 Quaternion::ToMatrix(const Quaternion& q) {
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    Float4x4 r;
    r.m[0] = 1.0f - (2.0f * y * y + 2.0f * z * z);
    r.m[1] = 2.0f * x * y - 2.0f * w * z;
    r.m[2] = 2.0f * (x * z + w * y);
    r.m[4] = 2.0f * (w * z + x * y);
    r.m[5] = 1.0f - (2.0f * x * x + 2.0f * z * z);
    r.m[6] = 2.0f * y * z - 2.0f * w * x;
    r.m[8] = 2.0f * x * z - 2.0f * w * y;
    r.m[9] = 2.0f * (w * x + y * z);
    r.m[10] = 1.0f - (2.0f * x * x + 2.0f * y * y);
    r.m[15] = 1.0f;
    return r;
}
