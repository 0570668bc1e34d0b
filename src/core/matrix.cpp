#include "core/matrix.h"

#include <cmath>

Float4x4 Matrix::FromRotation(float m00, float m01, float m02, float m10, float m11, float m12,
                              float m20, float m21, float m22) {
    return Float4x4{
        {m00, m01, m02, 0.0f, m10, m11, m12, 0.0f, m20, m21, m22, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f}};
}

Vector& Matrix::FromAxisAngle(Vector& P, const Vector& O, const Vector& axis, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float t = 1.0f - c;
    const float ax = axis.x, ay = axis.y, az = axis.z;
    const Float4x4 r = FromRotation(ax * ax * t + c, ax * ay * t - az * s, ax * az * t + ay * s,
                                    ax * ay * t + az * s, ay * ay * t + c, ay * az * t - ax * s,
                                    ax * az * t - ay * s, ay * az * t + ax * s, az * az * t + c);
    P = O + Vector::Transform(P - O, r);
    return P;
}
