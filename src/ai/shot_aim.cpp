#include "ai/shot_aim.h"

#include <cmath>

#include "core/math_functions.h"

Vector RotateByUnit(const Quaternion& q, const Vector& v) {
    const Float4x4 axes = Quaternion::ToMatrix(q);
    return Vector(v.x * axes(0, 0) + v.y * axes(1, 0) + v.z * axes(2, 0),
                  v.x * axes(0, 1) + v.y * axes(1, 1) + v.z * axes(2, 1),
                  v.x * axes(0, 2) + v.y * axes(1, 2) + v.z * axes(2, 2));
}

Quaternion OrientationAlong(const Vector& v) {
    const Vector up(0.0f, 1.0f, 0.0f);
    Vector right = up.Cross(v);
    if (right.LengthSquared() < 1e-12f) {
        // Straight up or down: any horizontal axis will do.
        right = Vector(1.0f, 0.0f, 0.0f);
    }
    right.Normalize();
    const Vector top = v.Cross(right);
    Float4x4 m = Math::MatrixIdentity();
    const Vector* rows[3] = {&right, &top, &v};
    for (int r = 0; r < 3; ++r) {
        m(r, 0) = rows[r]->x;
        m(r, 1) = rows[r]->y;
        m(r, 2) = rows[r]->z;
    }
    // Our frame matrix has the axes as rows; the rotation matrix the conversion expects is
    // its transpose.
    return Math::QuaternionNormalize(Math::QuaternionRotationMatrix(Math::MatrixTranspose(m)));
}

Quaternion QuarterTurnZ() {
    const float angle = 3.14159265f / 2.0f;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    Float4x4 m = Math::MatrixIdentity();
    m(0, 0) = c;
    m(0, 1) = s;
    m(1, 0) = -s;
    m(1, 1) = c;
    return Math::QuaternionRotationMatrix(m);
}
