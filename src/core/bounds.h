#pragma once
// Bounds records of game objects and the geometric tests of culling and line of sight:
// point in sphere, ray against sphere and oriented box, and a box (optionally swept along
// a direction) against a frustum given by its eight corners.
//
// Frustum corners: eight points of three floats each. c0-c3 go round one end face, c4-c7
// round the other, ck and ck+4 on one side edge. The five face tests use the end face
// c0-c3 and the four side faces; the other end face is never tested.

#include <vector>

#include "core/math_types.h"
#include "core/memory_allocator.h"
#include "core/quaternion.h"
#include "core/types.h"
#include "core/vector.h"

// The renderer's axis-aligned box: eight corners, then min and max (30 floats). Corner i
// takes x from max when bit 0 of i is set, z when bit 1 is set, y when bit 2 is set.
struct BoxRecord {
    Float3 corners[8];
    Float3 min;
    Float3 max;
};

// The box bounds of a game object, built by the physics set-up from its collision shape.
class BoundingBox : public Allocator<BoundingBox> {
  public:
    explicit BoundingBox(const Vector& extents, const Vector& axis0 = Vector(1.0f, 0.0f, 0.0f),
                         const Vector& axis1 = Vector(0.0f, 1.0f, 0.0f),
                         const Vector& axis2 = Vector(0.0f, 0.0f, 1.0f))
        : m_axes{axis0, axis1, axis2}, m_extents(extents) {}

    // Box record operations.
    static void ComputeCorners(BoxRecord& box, const Float3& min, const Float3& max);
    // Empty: min +FLT_MAX and max −FLT_MAX in every component.
    static void Reset(BoxRecord& box);
    // Min, max and corners of exactly eight points read stride bytes apart.
    static void FromPoints(BoxRecord& box, const void* points, u32 stride);
    // Grows box to hold other as well.
    static void Merge(BoxRecord& box, const BoxRecord& other);

    Vector m_axes[3];
    Vector m_extents;
    u32 m_tag = 0;
};

// The sphere bounds of a game object.
class BoundingSphere : public Allocator<BoundingSphere> {
  public:
    explicit BoundingSphere(float radius) : m_radius(radius) {}

    Vector m_centre;
    f32 m_radius;
    u32 m_tag = 0;
};

// Per frustum slot (camera and shadow splits), the face test that last separated an
// object from that frustum. Starting there lets an object that stays outside fail at its
// first test in most frames.
struct FrustumFaceMemory {
    static constexpr u32 kSlots = 10;
    u32 face[kSlots] = {};
};

namespace Math {

// |point − centre|² < radius² (a point at distance radius is outside).
bool PointInSphere(const float* point, const float* centre, float radius);

// True when the box (centre, half extents) and the frustum corners overlap when projected
// on axis; touching intervals overlap. The axis need not be unit length.
bool SeparatingAxisTest(const Float3& axis, const Float3& centre, const Float3& half,
                        const float* corners);

// One face of the swept test: the box moving from t = 0 along direction against the
// corners, projected on axis (normalised here). Narrows [tFirst, tLast] to the times of
// overlap; false when they do not overlap within it. A direction parallel to the face
// falls back to the static test and leaves the interval alone.
bool SweptAxisTest(const Float3& axis, const Vector& direction, const Float3& centre,
                   const Float3& half, const float* corners, float& tFirst, float& tLast);

// True when the box of `box` (min, max) swept along direction may overlap the frustum.
// Starts at the face remembered for frustumIndex and remembers a separating face; a slot
// beyond FrustumFaceMemory::kSlots starts at face 0 and remembers nothing. Writes only
// that slot, so different objects may be tested on different threads.
bool BoxInFrustum(const float* corners, const Vector& direction, u32 frustumIndex,
                  const BoxRecord& box, FrustumFaceMemory& memory);

// The number of ray parameters t ≥ 0 at which origin + t·direction meets the sphere
// (0, 1 or 2); each is appended to hits when given, the far one first.
int RaySphereIntersect(const Vector& origin, const Vector& centre, const Vector& direction,
                       float radius, std::vector<float>* hits = nullptr);

// The ray origin + t·direction, t ≥ 0, against the box centre ± half turned by
// orientation (none: axis-aligned): 0 for a miss, 1 when it touches in a single parameter,
// 2 when it passes through or starts inside. The box's axes are the rows of
// Quaternion::ToMatrix(*orientation).
int BoxIntersect(const Vector& centre, const Vector& half, const Quaternion* orientation,
                 const Vector& origin, const Vector& direction);

} // namespace Math
