#include "core/math_functions.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/system/crt_rand.h"

Float4x4 operator*(const Float4x4& a, const Float4x4& b) {
    return Math::MatrixMultiply(a, b);
}

namespace Math {

namespace {

Float3 Sub(const Float3& a, const Float3& b) {
    return Float3{a.x - b.x, a.y - b.y, a.z - b.z};
}

Float4x4 RowsOf(const Float3& r0, const Float3& r1, const Float3& r2) {
    return Float4x4{{r0.x, r0.y, r0.z, 0.0f, r1.x, r1.y, r1.z, 0.0f, r2.x, r2.y, r2.z, 0.0f, 0.0f,
                     0.0f, 0.0f, 1.0f}};
}

// A turn in the plane of axes a and b: a towards b for positive angles.
Float4x4 PlaneRotation(int a, int b, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    Float4x4 r = MatrixIdentity();
    r(a, a) = c;
    r(a, b) = s;
    r(b, a) = -s;
    r(b, b) = c;
    return r;
}

Quaternion Scaled(const Quaternion& q, float s) {
    return Quaternion{q.x * s, q.y * s, q.z * s, q.w * s};
}

float QuaternionDot(const Quaternion& a, const Quaternion& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}

} // namespace

float Cos(float angle) {
    return static_cast<float>(std::cos(static_cast<double>(angle)));
}

float Sin(float angle) {
    return static_cast<float>(std::sin(static_cast<double>(angle)));
}

float Abs(float value) {
    return std::bit_cast<float>(std::bit_cast<u32>(value) & 0x7FFFFFFFu);
}

float RandomRange(float lo, float hi, float steps) {
    // Fewer than one step, and NaN, give lo; counts past int are clamped, as converting
    // them is undefined.
    if (!(steps >= 1.0f)) {
        return lo;
    }
    constexpr float kPastInt = 2147483648.0f;
    const int n = steps >= kPastInt ? std::numeric_limits<int>::max() : static_cast<int>(steps);
    const int r = crt::Rand() % n;
    return lo + (hi - lo) * (static_cast<float>(r) / steps);
}

float RandomRange(float lo, float hi) {
    return lo + static_cast<float>(crt::Rand()) * (1.0f / 32767.0f) * (hi - lo);
}

float Vec3Dot(const Float3& a, const Float3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Float3 Vec3Cross(const Float3& a, const Float3& b) {
    return Float3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Vec3Length(const Float3& v) {
    return std::sqrt(Vec3Dot(v, v));
}

Float3 Vec3Normalize(const Float3& v) {
    const float length = Vec3Length(v);
    if (length == 0.0f) {
        return Float3{};
    }
    const float r = 1.0f / length;
    return Float3{v.x * r, v.y * r, v.z * r};
}

Float4 Vec3Transform(const Float3& v, const Float4x4& m) {
    const float* const r = m.m;
    return Float4{v.x * r[0] + v.y * r[4] + v.z * r[8] + r[12],
                  v.x * r[1] + v.y * r[5] + v.z * r[9] + r[13],
                  v.x * r[2] + v.y * r[6] + v.z * r[10] + r[14],
                  v.x * r[3] + v.y * r[7] + v.z * r[11] + r[15]};
}

Float3 Vec3TransformCoord(const Float3& v, const Float4x4& m) {
    const Float4 h = Vec3Transform(v, m);
    const float r = 1.0f / h.w;
    return Float3{h.x * r, h.y * r, h.z * r};
}

Float3 Vec3TransformNormal(const Float3& v, const Float4x4& m) {
    const float* const r = m.m;
    return Float3{v.x * r[0] + v.y * r[4] + v.z * r[8], v.x * r[1] + v.y * r[5] + v.z * r[9],
                  v.x * r[2] + v.y * r[6] + v.z * r[10]};
}

Float4 PlaneNormalize(const Float4& plane) {
    const float length = Vec3Length(Float3{plane.x, plane.y, plane.z});
    if (length == 0.0f) {
        return Float4{};
    }
    const float r = 1.0f / length;
    return Float4{plane.x * r, plane.y * r, plane.z * r, plane.w * r};
}

bool ComputeBoundingBox(const void* firstPosition, u32 count, u32 stride, Float3& min,
                        Float3& max) {
    min = Float3{FLT_MAX, FLT_MAX, FLT_MAX};
    max = Float3{-FLT_MAX, -FLT_MAX, -FLT_MAX};
    if (firstPosition == nullptr || count == 0) {
        return false;
    }
    const unsigned char* bytes = static_cast<const unsigned char*>(firstPosition);
    for (u32 i = 0; i < count; ++i, bytes += stride) {
        // Vertex buffers need not keep floats aligned.
        Float3 p;
        std::memcpy(&p, bytes, sizeof p);
        min = Float3{std::fmin(min.x, p.x), std::fmin(min.y, p.y), std::fmin(min.z, p.z)};
        max = Float3{std::fmax(max.x, p.x), std::fmax(max.y, p.y), std::fmax(max.z, p.z)};
    }
    return true;
}

Float4x4 MatrixIdentity() {
    return Float4x4{{1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f,
                     0.0f, 0.0f, 1.0f}};
}

Float4x4 MatrixMultiply(const Float4x4& a, const Float4x4& b) {
    Float4x4 r;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            r(row, column) = a(row, 0) * b(0, column) + a(row, 1) * b(1, column) +
                             a(row, 2) * b(2, column) + a(row, 3) * b(3, column);
        }
    }
    return r;
}

std::optional<Float4x4> MatrixInverse(const Float4x4& m, float* determinant) {
    // Cofactors from the 2×2 minors of the top and bottom row pairs, in double precision so
    // that view and projection matrices with large far distances keep their accuracy.
    double a[16];
    for (int i = 0; i < 16; ++i) {
        a[i] = m.m[i];
    }
    const double s0 = a[0] * a[5] - a[4] * a[1];
    const double s1 = a[0] * a[6] - a[4] * a[2];
    const double s2 = a[0] * a[7] - a[4] * a[3];
    const double s3 = a[1] * a[6] - a[5] * a[2];
    const double s4 = a[1] * a[7] - a[5] * a[3];
    const double s5 = a[2] * a[7] - a[6] * a[3];
    const double c5 = a[10] * a[15] - a[14] * a[11];
    const double c4 = a[9] * a[15] - a[13] * a[11];
    const double c3 = a[9] * a[14] - a[13] * a[10];
    const double c2 = a[8] * a[15] - a[12] * a[11];
    const double c1 = a[8] * a[14] - a[12] * a[10];
    const double c0 = a[8] * a[13] - a[12] * a[9];
    const double det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (determinant != nullptr) {
        *determinant = static_cast<float>(det);
    }
    if (det == 0.0) {
        return std::nullopt;
    }
    const double k = 1.0 / det;
    const double r[16] = {
        (a[5] * c5 - a[6] * c4 + a[7] * c3) * k,     (-a[1] * c5 + a[2] * c4 - a[3] * c3) * k,
        (a[13] * s5 - a[14] * s4 + a[15] * s3) * k,  (-a[9] * s5 + a[10] * s4 - a[11] * s3) * k,
        (-a[4] * c5 + a[6] * c2 - a[7] * c1) * k,    (a[0] * c5 - a[2] * c2 + a[3] * c1) * k,
        (-a[12] * s5 + a[14] * s2 - a[15] * s1) * k, (a[8] * s5 - a[10] * s2 + a[11] * s1) * k,
        (a[4] * c4 - a[5] * c2 + a[7] * c0) * k,     (-a[0] * c4 + a[1] * c2 - a[3] * c0) * k,
        (a[12] * s4 - a[13] * s2 + a[15] * s0) * k,  (-a[8] * s4 + a[9] * s2 - a[11] * s0) * k,
        (-a[4] * c3 + a[5] * c1 - a[6] * c0) * k,    (a[0] * c3 - a[1] * c1 + a[2] * c0) * k,
        (-a[12] * s3 + a[13] * s1 - a[14] * s0) * k, (a[8] * s3 - a[9] * s1 + a[10] * s0) * k,
    };
    Float4x4 inverse;
    for (int i = 0; i < 16; ++i) {
        inverse.m[i] = static_cast<float>(r[i]);
    }
    return inverse;
}

Float4x4 MatrixTranspose(const Float4x4& m) {
    Float4x4 r;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            r(row, column) = m(column, row);
        }
    }
    return r;
}

Float4x4 MatrixScaling(float sx, float sy, float sz) {
    return Float4x4{
        {sx, 0.0f, 0.0f, 0.0f, 0.0f, sy, 0.0f, 0.0f, 0.0f, 0.0f, sz, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f}};
}

Float4x4 MatrixTranslation(float x, float y, float z) {
    return Float4x4{
        {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, x, y, z, 1.0f}};
}

Float4x4 MatrixRotationX(float angle) {
    return PlaneRotation(1, 2, angle);
}

Float4x4 MatrixRotationY(float angle) {
    return PlaneRotation(2, 0, angle);
}

Float4x4 MatrixRotationZ(float angle) {
    return PlaneRotation(0, 1, angle);
}

Float4x4 MatrixRotationAxis(const Float3& axis, float angle) {
    const Float3 n = Vec3Normalize(axis);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float t = 1.0f - c;
    return RowsOf(Float3{n.x * n.x * t + c, n.x * n.y * t + n.z * s, n.x * n.z * t - n.y * s},
                  Float3{n.x * n.y * t - n.z * s, n.y * n.y * t + c, n.y * n.z * t + n.x * s},
                  Float3{n.x * n.z * t + n.y * s, n.y * n.z * t - n.x * s, n.z * n.z * t + c});
}

Float4x4 MatrixRotationYawPitchRoll(float yaw, float pitch, float roll) {
    return MatrixRotationZ(roll) * MatrixRotationX(pitch) * MatrixRotationY(yaw);
}

Float4x4 MatrixRotationQuaternion(const Quaternion& q) {
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    return RowsOf(
        Float3{1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + w * z), 2.0f * (x * z - w * y)},
        Float3{2.0f * (x * y - w * z), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + w * x)},
        Float3{2.0f * (x * z + w * y), 2.0f * (y * z - w * x), 1.0f - 2.0f * (x * x + y * y)});
}

Float4x4 MatrixLookAtLH(const Float3& eye, const Float3& at, const Float3& up) {
    const Float3 zAxis = Vec3Normalize(Sub(at, eye));
    const Float3 xAxis = Vec3Normalize(Vec3Cross(up, zAxis));
    const Float3 yAxis = Vec3Cross(zAxis, xAxis);
    return Float4x4{{xAxis.x, yAxis.x, zAxis.x, 0.0f, xAxis.y, yAxis.y, zAxis.y, 0.0f, xAxis.z,
                     yAxis.z, zAxis.z, 0.0f, -Vec3Dot(xAxis, eye), -Vec3Dot(yAxis, eye),
                     -Vec3Dot(zAxis, eye), 1.0f}};
}

Float4x4 MatrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
    const float yScale = 1.0f / std::tan(fovY * 0.5f);
    const float xScale = yScale / aspect;
    const float depth = zFar / (zFar - zNear);
    Float4x4 r;
    r.m[0] = xScale;
    r.m[5] = yScale;
    r.m[10] = depth;
    r.m[11] = 1.0f;
    r.m[14] = -zNear * depth;
    return r;
}

Float4x4 MatrixOrthoLH(float width, float height, float zNear, float zFar) {
    Float4x4 r = MatrixIdentity();
    r.m[0] = 2.0f / width;
    r.m[5] = 2.0f / height;
    r.m[10] = 1.0f / (zFar - zNear);
    r.m[14] = zNear / (zNear - zFar);
    return r;
}

bool MatrixDecompose(const Float4x4& m, Float3& scale, Quaternion& rotation, Float3& translation) {
    translation = Float3{m.m[12], m.m[13], m.m[14]};
    Float3 rows[3] = {
        {m.m[0], m.m[1], m.m[2]}, {m.m[4], m.m[5], m.m[6]}, {m.m[8], m.m[9], m.m[10]}};
    float s[3];
    for (int i = 0; i < 3; ++i) {
        s[i] = Vec3Length(rows[i]);
        if (s[i] == 0.0f) {
            return false;
        }
    }
    if (Vec3Dot(Vec3Cross(rows[0], rows[1]), rows[2]) < 0.0f) {
        s[0] = -s[0];
    }
    for (int i = 0; i < 3; ++i) {
        const float r = 1.0f / s[i];
        rows[i] = Float3{rows[i].x * r, rows[i].y * r, rows[i].z * r};
    }
    scale = Float3{s[0], s[1], s[2]};
    rotation = QuaternionRotationMatrix(RowsOf(rows[0], rows[1], rows[2]));
    return true;
}

Float4x4 MatrixTransformation2D(const Float2& scalingCentre, float scalingRotation,
                                const Float2& scaling, const Float2& rotationCentre, float rotation,
                                const Float2& translation) {
    const Float4x4 toScalingFrame = MatrixTranslation(-scalingCentre.x, -scalingCentre.y, 0.0f) *
                                    MatrixRotationZ(-scalingRotation);
    const Float4x4 fromScalingFrame = MatrixRotationZ(scalingRotation) *
                                      MatrixTranslation(scalingCentre.x, scalingCentre.y, 0.0f);
    const Float4x4 turn = MatrixTranslation(-rotationCentre.x, -rotationCentre.y, 0.0f) *
                          MatrixRotationZ(rotation) *
                          MatrixTranslation(rotationCentre.x, rotationCentre.y, 0.0f);
    return toScalingFrame * MatrixScaling(scaling.x, scaling.y, 1.0f) * fromScalingFrame * turn *
           MatrixTranslation(translation.x, translation.y, 0.0f);
}

Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b) {
    return Quaternion{b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y,
                      b.w * a.y + b.y * a.w + b.z * a.x - b.x * a.z,
                      b.w * a.z + b.z * a.w + b.x * a.y - b.y * a.x,
                      b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z};
}

Quaternion QuaternionNormalize(const Quaternion& q) {
    const float length = std::sqrt(QuaternionDot(q, q));
    if (length == 0.0f) {
        return Quaternion{0.0f, 0.0f, 0.0f, 0.0f};
    }
    return Scaled(q, 1.0f / length);
}

Quaternion QuaternionInverse(const Quaternion& q) {
    const float lengthSquared = QuaternionDot(q, q);
    if (lengthSquared == 0.0f) {
        return Quaternion{0.0f, 0.0f, 0.0f, 0.0f};
    }
    const float r = 1.0f / lengthSquared;
    return Quaternion{-q.x * r, -q.y * r, -q.z * r, q.w * r};
}

Quaternion QuaternionRotationMatrix(const Float4x4& m) {
    // Take the square root of the largest of 4w², 4x², 4y², 4z² for accuracy, then the
    // other components from the off-diagonal sums and differences.
    const float trace = m(0, 0) + m(1, 1) + m(2, 2);
    if (trace > 0.0f) {
        const float s = 2.0f * std::sqrt(trace + 1.0f);
        return Quaternion{(m(1, 2) - m(2, 1)) / s, (m(2, 0) - m(0, 2)) / s, (m(0, 1) - m(1, 0)) / s,
                          0.25f * s};
    }
    if (m(0, 0) >= m(1, 1) && m(0, 0) >= m(2, 2)) {
        const float s = 2.0f * std::sqrt(1.0f + m(0, 0) - m(1, 1) - m(2, 2));
        return Quaternion{0.25f * s, (m(0, 1) + m(1, 0)) / s, (m(0, 2) + m(2, 0)) / s,
                          (m(1, 2) - m(2, 1)) / s};
    }
    if (m(1, 1) >= m(2, 2)) {
        const float s = 2.0f * std::sqrt(1.0f + m(1, 1) - m(0, 0) - m(2, 2));
        return Quaternion{(m(0, 1) + m(1, 0)) / s, 0.25f * s, (m(1, 2) + m(2, 1)) / s,
                          (m(2, 0) - m(0, 2)) / s};
    }
    const float s = 2.0f * std::sqrt(1.0f + m(2, 2) - m(0, 0) - m(1, 1));
    return Quaternion{(m(0, 2) + m(2, 0)) / s, (m(1, 2) + m(2, 1)) / s, 0.25f * s,
                      (m(0, 1) - m(1, 0)) / s};
}

Quaternion QuaternionSlerp(const Quaternion& a, const Quaternion& b, float t) {
    float cosine = QuaternionDot(a, b);
    float sign = 1.0f;
    if (cosine < 0.0f) {
        cosine = -cosine;
        sign = -1.0f;
    }
    float wa = 1.0f - t;
    float wb = t;
    // Below this the sines vanish and the linear blend is as good.
    if (1.0f - cosine > 1e-3f) {
        const float theta = std::acos(cosine);
        const float r = 1.0f / std::sin(theta);
        wa = std::sin(wa * theta) * r;
        wb = std::sin(wb * theta) * r;
    }
    wb *= sign;
    return Quaternion{wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z,
                      wa * a.w + wb * b.w};
}

Vector RotateByQuaternion(const Vector& v, const Quaternion& q) {
    return Vec3TransformNormal(v, MatrixRotationQuaternion(q));
}

bool IntersectTri(const Float3& p0, const Float3& p1, const Float3& p2, const Float3& origin,
                  const Float3& direction, float& u, float& v, float& distance) {
    const Float3 edge1 = Sub(p1, p0);
    const Float3 edge2 = Sub(p2, p0);
    const Float3 p = Vec3Cross(direction, edge2);
    const float det = Vec3Dot(edge1, p);
    if (det == 0.0f) {
        return false;
    }
    const float inv = 1.0f / det;
    const Float3 toOrigin = Sub(origin, p0);
    const float hitU = Vec3Dot(toOrigin, p) * inv;
    const Float3 q = Vec3Cross(toOrigin, edge1);
    const float hitV = Vec3Dot(direction, q) * inv;
    const float t = Vec3Dot(edge2, q) * inv;
    if (hitU < 0.0f || hitV < 0.0f || hitU + hitV > 1.0f || t < 0.0f) {
        return false;
    }
    u = hitU;
    v = hitV;
    distance = t;
    return true;
}

bool SphereBoundProbe(const Float3& centre, float radius, const Float3& origin,
                      const Float3& direction) {
    const Float3 p = Sub(origin, centre);
    const float a = Vec3Dot(direction, direction);
    const float b = 2.0f * Vec3Dot(direction, p);
    const float c = Vec3Dot(p, p) - radius * radius;
    const float disc = b * b - 4.0f * a * c;
    if (a == 0.0f) {
        // No direction: the ray is its origin.
        return c <= 0.0f;
    }
    if (disc < 0.0f) {
        return false;
    }
    // The far intersection decides: a sphere wholly behind the origin is not hit.
    return (-b + std::sqrt(disc)) / (2.0f * a) >= 0.0f;
}

} // namespace Math
