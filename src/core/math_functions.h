#pragma once
// Scalar helpers and the vector, matrix and quaternion functions of the engine, with the
// conventions the renderer, animation and editor are written against: row vectors times
// matrices (v * M, so A * B applies A first), row-major storage, left-handed coordinates
// and clip z from 0 to 1. Angles are radians.

#include <optional>

#include "core/math_types.h"
#include "core/quaternion.h"
#include "core/types.h"
#include "core/vector.h"

namespace Math {

// Computed in double precision, returned as float.
float Cos(float angle);
float Sin(float angle);
// Clears the sign bit, so -0 gives +0 and a negative NaN a positive one.
float Abs(float value);
// One of n = trunc(steps) evenly spaced values from lo: lo + (hi − lo) · ((rand() mod n) /
// steps), with the calling thread's crt::Rand(). A step count below 1 gives lo.
float RandomRange(float lo, float hi, float steps);
// lo + rand() · (1/32767) · (hi − lo): a value from lo to hi inclusive.
float RandomRange(float lo, float hi);

// --- 3-vectors and planes ---
float Vec3Dot(const Float3& a, const Float3& b);
Float3 Vec3Cross(const Float3& a, const Float3& b);
float Vec3Length(const Float3& v);
// A zero vector stays zero.
Float3 Vec3Normalize(const Float3& v);
// (x, y, z, 1) * m.
Float4 Vec3Transform(const Float3& v, const Float4x4& m);
// (x, y, z, 1) * m, divided by the resulting w.
Float3 Vec3TransformCoord(const Float3& v, const Float4x4& m);
// (x, y, z, 0) * m: a direction, untouched by translation.
Float3 Vec3TransformNormal(const Float3& v, const Float4x4& m);
// The plane scaled so that its normal (x, y, z) has length 1; a zero normal gives zero.
Float4 PlaneNormalize(const Float4& plane);
// Min and max over count positions, each three floats at the start of a stride-byte
// vertex. With no vertices the box is empty (min +FLT_MAX, max −FLT_MAX) and the result
// false.
bool ComputeBoundingBox(const void* firstPosition, u32 count, u32 stride, Float3& min, Float3& max);

// --- matrices ---
Float4x4 MatrixIdentity();
// a * b: a applies first.
Float4x4 MatrixMultiply(const Float4x4& a, const Float4x4& b);
// Empty when the determinant is 0. The determinant is stored when asked for, also then.
std::optional<Float4x4> MatrixInverse(const Float4x4& m, float* determinant = nullptr);
Float4x4 MatrixTranspose(const Float4x4& m);
Float4x4 MatrixScaling(float sx, float sy, float sz);
Float4x4 MatrixTranslation(float x, float y, float z);
// Positive angles turn clockwise when looking along the axis towards the origin.
Float4x4 MatrixRotationX(float angle);
Float4x4 MatrixRotationY(float angle);
Float4x4 MatrixRotationZ(float angle);
// The axis is normalised first.
Float4x4 MatrixRotationAxis(const Float3& axis, float angle);
// Roll about z, then pitch about x, then yaw about y.
Float4x4 MatrixRotationYawPitchRoll(float yaw, float pitch, float roll);
// The rotation by q: v * MatrixRotationQuaternion(q) turns v by q.
Float4x4 MatrixRotationQuaternion(const Quaternion& q);
Float4x4 MatrixLookAtLH(const Float3& eye, const Float3& at, const Float3& up);
// zNear may be 0: every depth then maps to 1.
Float4x4 MatrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);
Float4x4 MatrixOrthoLH(float width, float height, float zNear, float zFar);
// m = scaling · rotation · translation. False when a row of the upper 3×3 is zero. A
// mirroring matrix gives a negative x scale and a proper rotation.
bool MatrixDecompose(const Float4x4& m, Float3& scale, Quaternion& rotation, Float3& translation);
// For a sprite in the x-y plane: scaling by `scaling` in the frame turned by
// scalingRotation about scalingCentre, then rotation about rotationCentre, then
// translation.
Float4x4 MatrixTransformation2D(const Float2& scalingCentre, float scalingRotation,
                                const Float2& scaling, const Float2& rotationCentre, float rotation,
                                const Float2& translation);

// --- quaternions ---
// The rotation a followed by b, so MatrixRotationQuaternion(QuaternionMultiply(a, b)) ==
// MatrixRotationQuaternion(a) * MatrixRotationQuaternion(b). In Hamilton's algebra: b·a.
Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b);
// A zero quaternion stays zero.
Quaternion QuaternionNormalize(const Quaternion& q);
// Conjugate over squared length; a zero quaternion stays zero.
Quaternion QuaternionInverse(const Quaternion& q);
// The rotation of the upper 3×3 of a pure rotation matrix (MatrixRotationQuaternion's
// convention).
Quaternion QuaternionRotationMatrix(const Float4x4& m);
// Along the shorter arc; nearly equal quaternions are blended linearly.
Quaternion QuaternionSlerp(const Quaternion& a, const Quaternion& b, float t);

// v turned by q: v * MatrixRotationQuaternion(q), w dropped.
Vector RotateByQuaternion(const Vector& v, const Quaternion& q);

// --- ray tests used for picking ---
// The ray origin + t·direction (t ≥ 0) meets the triangle at p0 + u·(p1 − p0) + v·(p2 − p0);
// distance is that t. Both sides of the triangle count.
bool IntersectTri(const Float3& p0, const Float3& p1, const Float3& p2, const Float3& origin,
                  const Float3& direction, float& u, float& v, float& distance);
// True when the ray (t ≥ 0) touches or enters the sphere.
bool SphereBoundProbe(const Float3& centre, float radius, const Float3& origin,
                      const Float3& direction);

} // namespace Math
