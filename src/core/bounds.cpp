#include "core/bounds.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "core/math_functions.h"

namespace {

Float3 CornerAt(const float* corners, int k) {
    return Float3{corners[3 * k], corners[3 * k + 1], corners[3 * k + 2]};
}

Float3 Sub(const Float3& a, const Float3& b) {
    return Float3{a.x - b.x, a.y - b.y, a.z - b.z};
}

struct Interval {
    float lo;
    float hi;
};

Interval BoxOnAxis(const Float3& axis, const Float3& centre, const Float3& half) {
    const float c = Math::Vec3Dot(centre, axis);
    const float r =
        std::fabs(axis.x) * half.x + std::fabs(axis.y) * half.y + std::fabs(axis.z) * half.z;
    return Interval{c - r, c + r};
}

Interval CornersOnAxis(const Float3& axis, const float* corners) {
    Interval range;
    range.lo = range.hi = Math::Vec3Dot(CornerAt(corners, 0), axis);
    for (int k = 1; k < 8; ++k) {
        const float d = Math::Vec3Dot(CornerAt(corners, k), axis);
        if (d < range.lo) {
            range.lo = d;
        }
        if (d > range.hi) {
            range.hi = d;
        }
    }
    return range;
}

bool Overlap(const Interval& box, const Interval& frustum) {
    return !(box.lo > frustum.hi || box.hi < frustum.lo);
}

// The corners whose edges span each face, as (origin, e1 end, e2 end), in test order.
constexpr int kFaceEdges[5][3] = {{0, 3, 1}, {0, 4, 1}, {3, 7, 2}, {1, 5, 2}, {0, 4, 3}};

Float3 FaceAxis(const float* corners, u32 face) {
    const Float3 origin = CornerAt(corners, kFaceEdges[face][0]);
    return Math::Vec3Cross(Sub(CornerAt(corners, kFaceEdges[face][1]), origin),
                           Sub(CornerAt(corners, kFaceEdges[face][2]), origin));
}

} // namespace

void BoundingBox::ComputeCorners(BoxRecord& box, const Float3& min, const Float3& max) {
    box.min = min;
    box.max = max;
    for (int i = 0; i < 8; ++i) {
        box.corners[i] =
            Float3{(i & 1) ? max.x : min.x, (i & 4) ? max.y : min.y, (i & 2) ? max.z : min.z};
    }
}

void BoundingBox::Reset(BoxRecord& box) {
    box.min = Float3{FLT_MAX, FLT_MAX, FLT_MAX};
    box.max = Float3{-FLT_MAX, -FLT_MAX, -FLT_MAX};
}

void BoundingBox::FromPoints(BoxRecord& box, const void* points, u32 stride) {
    Float3 min, max;
    Math::ComputeBoundingBox(points, 8, stride, min, max);
    ComputeCorners(box, min, max);
}

void BoundingBox::Merge(BoxRecord& box, const BoxRecord& other) {
    ComputeCorners(box,
                   Float3{std::min(box.min.x, other.min.x), std::min(box.min.y, other.min.y),
                          std::min(box.min.z, other.min.z)},
                   Float3{std::max(box.max.x, other.max.x), std::max(box.max.y, other.max.y),
                          std::max(box.max.z, other.max.z)});
}

namespace Math {

bool PointInSphere(const float* point, const float* centre, float radius) {
    const float dx = point[0] - centre[0];
    const float dy = point[1] - centre[1];
    const float dz = point[2] - centre[2];
    return dx * dx + dy * dy + dz * dz < radius * radius;
}

bool SeparatingAxisTest(const Float3& axis, const Float3& centre, const Float3& half,
                        const float* corners) {
    return Overlap(BoxOnAxis(axis, centre, half), CornersOnAxis(axis, corners));
}

bool SweptAxisTest(const Float3& axis, const Vector& direction, const Float3& centre,
                   const Float3& half, const float* corners, float& tFirst, float& tLast) {
    const Float3 n = Vec3Normalize(axis);
    const float speed = Vec3Dot(direction, n);
    const Interval box = BoxOnAxis(n, centre, half);
    const Interval frustum = CornersOnAxis(n, corners);
    if (speed == 0.0f) {
        return Overlap(box, frustum);
    }
    const float inv = 1.0f / speed;
    const float t1 = (frustum.lo - box.hi) * inv;
    const float t2 = (frustum.hi - box.lo) * inv;
    const float tEnter = std::min(t1, t2);
    const float tExit = std::max(t1, t2);
    if (tExit < tFirst || tEnter > tLast) {
        return false;
    }
    tFirst = std::max(tFirst, tEnter);
    tLast = std::min(tLast, tExit);
    return true;
}

bool BoxInFrustum(const float* corners, const Vector& direction, u32 frustumIndex,
                  const BoxRecord& box, FrustumFaceMemory& memory) {
    const Float3 centre{(box.min.x + box.max.x) * 0.5f, (box.min.y + box.max.y) * 0.5f,
                        (box.min.z + box.max.z) * 0.5f};
    const Float3 half{(box.max.x - box.min.x) * 0.5f, (box.max.y - box.min.y) * 0.5f,
                      (box.max.z - box.min.z) * 0.5f};
    float tFirst = 0.0f;
    float tLast = FLT_MAX;
    const bool remembered = frustumIndex < FrustumFaceMemory::kSlots;
    u32 face = remembered ? memory.face[frustumIndex] % 5 : 0;
    for (int tried = 0; tried < 5; ++tried) {
        if (!SweptAxisTest(FaceAxis(corners, face), direction, centre, half, corners, tFirst,
                           tLast)) {
            if (remembered) {
                memory.face[frustumIndex] = face;
            }
            return false;
        }
        face = (face + 1) % 5;
    }
    return true;
}

int RaySphereIntersect(const Vector& origin, const Vector& centre, const Vector& direction,
                       float radius, std::vector<float>* hits) {
    const Float3 d = direction;
    const Float3 p = origin - centre;
    const float a = Vec3Dot(d, d);
    const float b = 2.0f * Vec3Dot(d, p);
    const float c = Vec3Dot(p, p) - radius * radius;
    const float disc = b * b - 4.0f * a * c;
    if (disc < 0.0f) {
        return 0;
    }
    int count = 0;
    const auto take = [&](float t) {
        if (t >= 0.0f) {
            if (hits != nullptr) {
                hits->push_back(t);
            }
            ++count;
        }
    };
    if (disc == 0.0f) {
        take(-b / (2.0f * a));
        return count;
    }
    const float s = std::sqrt(disc);
    take((s - b) / (2.0f * a));
    take((-b - s) / (2.0f * a));
    return count;
}

int BoxIntersect(const Vector& centre, const Vector& half, const Quaternion* orientation,
                 const Vector& origin, const Vector& direction) {
    const Vector min = centre - half;
    const Vector max = centre + half;
    Vector o = origin;
    Vector v = direction;
    if (orientation != nullptr) {
        const Float4x4 toLocal = Quaternion::ToMatrix(QuaternionInverse(*orientation));
        o = Vector::Transform(origin - centre, toLocal) + centre;
        v = Vector::Transform(direction, toLocal);
    }
    // Only t ≥ 0 is on the ray, so a box wholly behind the origin is missed.
    float tEnter = 0.0f;
    float tExit = FLT_MAX;
    for (unsigned i = 0; i < 3; ++i) {
        if (std::fabs(v[i]) < 1e-5f) {
            if (o[i] < min[i] || o[i] > max[i]) {
                return 0;
            }
            continue;
        }
        const float inv = 1.0f / v[i];
        const float t1 = (min[i] - o[i]) * inv;
        const float t2 = (max[i] - o[i]) * inv;
        tEnter = std::max(tEnter, std::min(t1, t2));
        tExit = std::min(tExit, std::max(t1, t2));
    }
    if (tExit < tEnter) {
        return 0;
    }
    return tExit == tEnter ? 1 : 2;
}

} // namespace Math
