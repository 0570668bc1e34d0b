#pragma once
// Rotation quaternion: x, y, z and the scalar part w, in this order.
//
// Two matrix conventions meet here. Quaternion::ToMatrix and the direction helpers build
// the matrix whose rows are the turned axes of the object's frame as the game logic uses
// it; Math::MatrixRotationQuaternion builds the row-vector rotation by q that the renderer
// uses. For a unit quaternion one is the transpose of the other:
// ToMatrix(q) == MatrixRotationQuaternion(QuaternionInverse(q)).

#include "core/math_types.h"
#include "core/vector.h"

struct Quaternion {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    // q ← normalise(q + 0.5 · QuaternionMultiply((ω·dt, 0), q)); returns q.
    static Quaternion& Integrate(Quaternion& q, const Vector& angularVelocity, float dt);
    Quaternion& Integrate(const Vector& angularVelocity, float dt) {
        return Integrate(*this, angularVelocity, dt);
    }

    // Row 2 of ToMatrix(q), normalised: where the object looks.
    static Vector GetDirection(const Quaternion& q);
    static Vector GetBackward(const Quaternion& q);
    // Row 0 of ToMatrix(q), normalised.
    static Vector GetRight(const Quaternion& q);
    static Vector GetLeft(const Quaternion& q);

    static Float4x4 ToMatrix(const Quaternion& q);
};
