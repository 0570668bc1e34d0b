#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

#include "core/bounds.h"
#include "support/math_expect.h"

namespace {

// Frustum corners of an axis-aligned box from 0 to size: c0-c3 round the face z = 0,
// c4-c7 the same points at z = size.
std::vector<float> BoxFrustum(float size) {
    const float s = size;
    return {0, 0, 0, 0, s, 0, s, s, 0, s, 0, 0, 0, 0, s, 0, s, s, s, s, s, s, 0, s};
}

// A viewing pyramid along +z: the end face at z = 1 spans ±1, the far one at z = 10 ±10.
const std::vector<float> kPyramid = {-1,  -1,  1,  -1,  1,  1,  1,  1,  1,  1,  -1,  1,
                                     -10, -10, 10, -10, 10, 10, 10, 10, 10, 10, -10, 10};

BoxRecord Box(Float3 min, Float3 max) {
    BoxRecord box;
    BoundingBox::ComputeCorners(box, min, max);
    return box;
}

} // namespace

TEST(BoundsRecords, BoundingBoxHoldsAxesExtentsAndAZeroWord) {
    const BoundingBox box(Vector(2, 3, 4));
    ExpectNear3(box.m_axes[0], Float3{1, 0, 0}, 0.0f);
    ExpectNear3(box.m_axes[1], Float3{0, 1, 0}, 0.0f);
    ExpectNear3(box.m_axes[2], Float3{0, 0, 1}, 0.0f);
    ExpectNear3(box.m_extents, Float3{2, 3, 4}, 0.0f);
    EXPECT_EQ(box.m_tag, 0u);

    const BoundingBox turned(Vector(1, 1, 1), Vector(0, 0, 1), Vector(0, 1, 0), Vector(-1, 0, 0));
    ExpectNear3(turned.m_axes[0], Float3{0, 0, 1}, 0.0f);
    ExpectNear3(turned.m_axes[2], Float3{-1, 0, 0}, 0.0f);

    // Copies keep every embedded Vector aiming at its own floats.
    const BoundingBox copy(box);
    EXPECT_EQ(copy.m_extents.px, &copy.m_extents.x);
    EXPECT_EQ(copy.m_axes[1].pz, &copy.m_axes[1].z);
    BoundingBox assigned(Vector(9, 9, 9));
    assigned = box;
    EXPECT_EQ(assigned.m_extents.py, &assigned.m_extents.y);
    ExpectNear3(assigned.m_extents, Float3{2, 3, 4}, 0.0f);
}

TEST(BoundsRecords, BoundingSphereStartsAtTheOrigin) {
    const BoundingSphere sphere(2.5f);
    ExpectNear3(sphere.m_centre, Float3{0, 0, 0}, 0.0f);
    EXPECT_EQ(sphere.m_radius, 2.5f);
    EXPECT_EQ(sphere.m_tag, 0u);
}

TEST(BoundsRecords, BoundsComeFromTheirPools) {
    MemoryPool* const boxes = Allocator<BoundingBox>::Pool();
    MemoryPool* const spheres = Allocator<BoundingSphere>::Pool();
    const u32 liveBoxes = boxes->LiveCount();
    const u32 liveSpheres = spheres->LiveCount();
    BoundingBox* const box = new BoundingBox(Vector(1, 1, 1));
    BoundingSphere* const sphere = new BoundingSphere(1.0f);
    EXPECT_EQ(boxes->LiveCount(), liveBoxes + (boxes == spheres ? 2 : 1));
    EXPECT_EQ(box->m_extents.px, &box->m_extents.x);
    delete box;
    delete sphere;
    EXPECT_EQ(boxes->LiveCount(), liveBoxes);
    EXPECT_EQ(spheres->LiveCount(), liveSpheres);
}

TEST(BoundsRecords, BoxRecordCornersTakeMaxByBit) {
    const BoxRecord box = Box(Float3{-1, -2, -3}, Float3{4, 5, 6});
    // Bit 0 picks max x, bit 1 max z, bit 2 max y.
    const Float3 expected[8] = {{-1, -2, -3}, {4, -2, -3}, {-1, -2, 6}, {4, -2, 6},
                                {-1, 5, -3},  {4, 5, -3},  {-1, 5, 6},  {4, 5, 6}};
    for (int i = 0; i < 8; ++i) {
        ExpectNear3(box.corners[i], expected[i], 0.0f);
    }
    ExpectNear3(box.min, Float3{-1, -2, -3}, 0.0f);
    ExpectNear3(box.max, Float3{4, 5, 6}, 0.0f);
}

TEST(BoundsRecords, BoxRecordResetFromPointsAndMerge) {
    BoxRecord box = Box(Float3{0, 0, 0}, Float3{1, 1, 1});
    BoundingBox::Reset(box);
    ExpectNear3(box.min, Float3{FLT_MAX, FLT_MAX, FLT_MAX}, 0.0f);
    ExpectNear3(box.max, Float3{-FLT_MAX, -FLT_MAX, -FLT_MAX}, 0.0f);

    // Eight points, each followed by a float that is not part of it.
    const float points[8][4] = {{1, 2, 3, 99}, {-1, 0, 0, -99}, {0, 7, 0, 99}, {0, 0, -5, 99},
                                {2, 2, 2, 99}, {0, -3, 0, 99},  {0, 0, 4, 99}, {0.5f, 0, 0, 99}};
    BoundingBox::FromPoints(box, points, sizeof points[0]);
    ExpectNear3(box.min, Float3{-1, -3, -5}, 0.0f);
    ExpectNear3(box.max, Float3{2, 7, 4}, 0.0f);
    ExpectNear3(box.corners[5], Float3{2, 7, -5}, 0.0f);

    BoundingBox::Merge(box, Box(Float3{-2, 0, 0}, Float3{1, 8, 1}));
    ExpectNear3(box.min, Float3{-2, -3, -5}, 0.0f);
    ExpectNear3(box.max, Float3{2, 8, 4}, 0.0f);
    ExpectNear3(box.corners[6], Float3{-2, 8, 4}, 0.0f);
}

TEST(BoundsTests, PointInSphereIsStrict) {
    struct Case {
        Float3 point;
        Float3 centre;
        float radius;
        bool inside;
    };
    const Case cases[] = {
        {{3, 4, 0}, {0, 0, 0}, 5.0f, false}, // exactly on the surface
        {{3, 4, 0}, {0, 0, 0}, 5.001f, true},      {{0, 0, 4.9f}, {0, 0, 0}, 5.0f, true},
        {{10, 10, 15}, {10, 10, 10}, 5.0f, false}, {{10, 10, 14}, {10, 10, 10}, 5.0f, true},
        {{1, 1, 1}, {1, 1, 1}, 0.0f, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Math::PointInSphere(&c.point.x, &c.centre.x, c.radius), c.inside)
            << c.point.x << " " << c.point.y << " " << c.point.z << " r " << c.radius;
    }
}

TEST(BoundsTests, SeparatingAxisTestCountsTouchingAsOverlap) {
    const std::vector<float> cube = BoxFrustum(1.0f);
    struct Case {
        Float3 axis;
        Float3 centre;
        Float3 half;
        bool overlap;
    };
    const Case cases[] = {
        {{1, 0, 0}, {2, 0.5f, 0.5f}, {1, 1, 1}, true},      // lo = max = 1
        {{1, 0, 0}, {2.5f, 0.5f, 0.5f}, {1, 1, 1}, false},  // lo = 1.5
        {{1, 0, 0}, {-1, 0.5f, 0.5f}, {1, 1, 1}, true},     // hi = min = 0
        {{1, 0, 0}, {-1.5f, 0.5f, 0.5f}, {1, 1, 1}, false}, // hi = -0.5
        {{2, 0, 0}, {2, 0.5f, 0.5f}, {1, 1, 1}, true},      // scaled axis: lo = max = 2
        {{2, 0, 0}, {2.01f, 0.5f, 0.5f}, {1, 1, 1}, false},
        {{0, -1, 0}, {0.5f, 2, 0.5f}, {1, 1, 1}, true}, // the axis's sign changes nothing
        {{0, 1, 0}, {0.5f, 2, 0.5f}, {1, 1, 1}, true},
        {{0, -1, 0}, {0.5f, 2.5f, 0.5f}, {1, 1, 1}, false},
        {{0, 1, 0}, {0.5f, 2.5f, 0.5f}, {1, 1, 1}, false},
        {{1, 1, 0}, {1.5f, 1.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, true}, // diagonal: lo = 2 = max
        {{1, 1, 0}, {1.6f, 1.6f, 0.5f}, {0.5f, 0.5f, 0.5f}, false},
        {{0, 0, 1}, {0.5f, 0.5f, 0.5f}, {0.1f, 0.1f, 0.1f}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Math::SeparatingAxisTest(c.axis, c.centre, c.half, cube.data()), c.overlap)
            << "axis " << c.axis.x << " " << c.axis.y << " " << c.axis.z << " centre " << c.centre.x
            << " " << c.centre.y << " " << c.centre.z;
    }
}

TEST(BoundsTests, SweptAxisTestNarrowsTheTimeInterval) {
    const std::vector<float> cube = BoxFrustum(1.0f);
    const Float3 behind{-3, 0.5f, 0.5f}; // x from -4 to -2; the corners span 0 to 1
    const Float3 half{1, 1, 1};
    struct Case {
        Float3 axis;
        Vector direction;
        float tFirst, tLast;
        bool result;
        float expectFirst, expectLast;
    };
    const Case cases[] = {
        // Moving at 2 along x it meets the corners from t = (0 + 2)/2 to (1 + 4)/2.
        {{1, 0, 0}, Vector(2, 0, 0), 0.0f, FLT_MAX, true, 1.0f, 2.5f},
        {{3, 0, 0}, Vector(2, 0, 0), 0.0f, FLT_MAX, true, 1.0f, 2.5f},
        {{-1, 0, 0}, Vector(2, 0, 0), 0.0f, FLT_MAX, true, 1.0f, 2.5f},
        {{1, 0, 0}, Vector(2, 0, 0), 1.5f, 2.0f, true, 1.5f, 2.0f},
        {{1, 0, 0}, Vector(2, 0, 0), 0.0f, 0.5f, false, 0.0f, 0.5f},        // enters too late
        {{1, 0, 0}, Vector(-2, 0, 0), 0.0f, FLT_MAX, false, 0.0f, FLT_MAX}, // moving away
        {{1, 0, 0}, Vector(2, 5, 0), 3.0f, 4.0f, false, 3.0f, 4.0f},        // already left
    };
    for (const Case& c : cases) {
        float tFirst = c.tFirst, tLast = c.tLast;
        EXPECT_EQ(
            Math::SweptAxisTest(c.axis, c.direction, behind, half, cube.data(), tFirst, tLast),
            c.result)
            << "direction " << c.direction << " interval " << c.tFirst << " " << c.tLast;
        EXPECT_FLOAT_EQ(tFirst, c.expectFirst);
        EXPECT_FLOAT_EQ(tLast, c.expectLast);
    }
}

TEST(BoundsTests, SweptAxisTestAlongTheFaceIsTheStaticTest) {
    const std::vector<float> cube = BoxFrustum(1.0f);
    const Float3 half{1, 1, 1};
    float tFirst = 0.25f, tLast = 7.0f;
    EXPECT_TRUE(Math::SweptAxisTest(Float3{1, 0, 0}, Vector(0, 3, 0), Float3{0.5f, 0.5f, 0.5f},
                                    half, cube.data(), tFirst, tLast));
    EXPECT_EQ(tFirst, 0.25f);
    EXPECT_EQ(tLast, 7.0f);
    EXPECT_TRUE(Math::SweptAxisTest(Float3{1, 0, 0}, Vector(0, 3, 0), Float3{2, 0.5f, 0.5f}, half,
                                    cube.data(), tFirst, tLast)); // touching
    EXPECT_FALSE(Math::SweptAxisTest(Float3{1, 0, 0}, Vector(0, 3, 0), Float3{-3, 0.5f, 0.5f}, half,
                                     cube.data(), tFirst, tLast));
    EXPECT_EQ(tFirst, 0.25f);
    EXPECT_EQ(tLast, 7.0f);

    // Overlapping already and moving: the interval starts now.
    tFirst = 0.0f;
    tLast = FLT_MAX;
    EXPECT_TRUE(Math::SweptAxisTest(Float3{1, 0, 0}, Vector(1, 0, 0), Float3{0.5f, 0.5f, 0.5f},
                                    half, cube.data(), tFirst, tLast));
    EXPECT_EQ(tFirst, 0.0f);
    EXPECT_FLOAT_EQ(tLast, 1.5f);
}

TEST(BoundsTests, BoxInFrustumRemembersTheSeparatingFace) {
    const std::vector<float> frustum = BoxFrustum(10.0f);
    // In this frustum faces 0 test z, 1 and 2 test x, 3 and 4 test y.
    FrustumFaceMemory memory;
    const BoxRecord aboveY = Box(Float3{4, 12, 4}, Float3{6, 14, 6});
    EXPECT_FALSE(Math::BoxInFrustum(frustum.data(), Vector(1, 0, 0), 2, aboveY, memory));
    EXPECT_EQ(memory.face[2], 3u);
    EXPECT_EQ(memory.face[0], 0u);

    // Starting at the remembered face: face 4 fails first, so it stays (from 0 it would be 3).
    memory.face[2] = 4;
    EXPECT_FALSE(Math::BoxInFrustum(frustum.data(), Vector(1, 0, 0), 2, aboveY, memory));
    EXPECT_EQ(memory.face[2], 4u);

    // From face 3 the tests wrap round to face 1, which separates along x.
    const BoxRecord besideX = Box(Float3{12, 4, 4}, Float3{14, 6, 6});
    memory.face[5] = 3;
    EXPECT_FALSE(Math::BoxInFrustum(frustum.data(), Vector(0, 0, 1), 5, besideX, memory));
    EXPECT_EQ(memory.face[5], 1u);

    // Passing all five faces leaves the remembered face alone.
    const BoxRecord inside = Box(Float3{4, 4, 4}, Float3{6, 6, 6});
    EXPECT_TRUE(Math::BoxInFrustum(frustum.data(), Vector(0, 0, 1), 5, inside, memory));
    EXPECT_EQ(memory.face[5], 1u);
}

TEST(BoundsTests, BoxInFrustumSweepsAlongTheDirection) {
    const std::vector<float> frustum = BoxFrustum(10.0f);
    FrustumFaceMemory memory;
    const BoxRecord left = Box(Float3{-4, 4, 4}, Float3{-2, 6, 6});
    EXPECT_TRUE(Math::BoxInFrustum(frustum.data(), Vector(1, 0, 0), 0, left, memory));
    EXPECT_FALSE(Math::BoxInFrustum(frustum.data(), Vector(-1, 0, 0), 0, left, memory));
    EXPECT_FALSE(Math::BoxInFrustum(frustum.data(), Vector(0, 0, 0), 0, left, memory));

    // Diagonally in: x overlaps for t in [2, 14] and y as well.
    const BoxRecord corner = Box(Float3{12, 12, 4}, Float3{14, 14, 6});
    memory.face[1] = 0;
    EXPECT_TRUE(Math::BoxInFrustum(frustum.data(), Vector(-1, -1, 0), 1, corner, memory));
    // Further up, y overlaps only for t in [22, 34], after x has passed: face 3 separates.
    const BoxRecord high = Box(Float3{12, 32, 4}, Float3{14, 34, 6});
    EXPECT_FALSE(Math::BoxInFrustum(frustum.data(), Vector(-1, -1, 0), 1, high, memory));
    EXPECT_EQ(memory.face[1], 3u);
}

TEST(BoundsTests, BoxInFrustumOfAViewingPyramid) {
    FrustumFaceMemory memory;
    const Vector still(0, 0, 0);
    EXPECT_TRUE(Math::BoxInFrustum(kPyramid.data(), still, 0,
                                   Box(Float3{-0.5f, -0.5f, 4.5f}, Float3{0.5f, 0.5f, 5.5f}),
                                   memory));
    // At z = 3 the pyramid spans x from -3 to 3.
    const BoxRecord right = Box(Float3{7.5f, -0.5f, 2.5f}, Float3{8.5f, 0.5f, 3.5f});
    EXPECT_FALSE(Math::BoxInFrustum(kPyramid.data(), still, 0, right, memory));
    EXPECT_EQ(memory.face[0], 2u);
    EXPECT_FALSE(Math::BoxInFrustum(kPyramid.data(), still, 1,
                                    Box(Float3{-8.5f, -0.5f, 2.5f}, Float3{-7.5f, 0.5f, 3.5f}),
                                    memory));
    EXPECT_EQ(memory.face[1], 1u);
    EXPECT_FALSE(Math::BoxInFrustum(kPyramid.data(), still, 3,
                                    Box(Float3{-0.5f, -0.5f, -3}, Float3{0.5f, 0.5f, -2}), memory));
    EXPECT_EQ(memory.face[3], 0u);
    EXPECT_TRUE(Math::BoxInFrustum(kPyramid.data(), Vector(-1, 0, 0), 0, right, memory));
}

TEST(BoundsTests, BoxInFrustumBeyondTheRememberedSlotsRemembersNothing) {
    const std::vector<float> frustum = BoxFrustum(10.0f);
    FrustumFaceMemory memory;
    for (u32& face : memory.face) {
        face = 2;
    }
    const BoxRecord aboveY = Box(Float3{4, 12, 4}, Float3{6, 14, 6});
    EXPECT_FALSE(Math::BoxInFrustum(frustum.data(), Vector(1, 0, 0), FrustumFaceMemory::kSlots,
                                    aboveY, memory));
    for (const u32 face : memory.face) {
        EXPECT_EQ(face, 2u);
    }
}

TEST(BoundsTests, RaySphereIntersectCountsAndListsNonNegativeHits) {
    struct Case {
        Vector origin;
        Vector direction;
        float radius;
        std::vector<float> hits;
    };
    const Vector centre(0, 0, 0);
    const std::vector<Case> cases = {
        {Vector(-5, 0, 0), Vector(1, 0, 0), 1.0f, {6.0f, 4.0f}}, // through: far hit first
        {Vector(-5, 0, 0), Vector(2, 0, 0), 1.0f, {3.0f, 2.0f}}, // in units of the direction
        {Vector(0, 0, 0), Vector(1, 0, 0), 2.0f, {2.0f}},        // from inside: exit only
        {Vector(0, 1, -5), Vector(0, 0, 1), 1.0f, {5.0f}},       // tangent
        {Vector(0, 1, 5), Vector(0, 0, 1), 1.0f, {}},            // tangent behind
        {Vector(0, 2, -5), Vector(0, 0, 1), 1.0f, {}},           // line misses
        {Vector(5, 0, 0), Vector(1, 0, 0), 1.0f, {}},            // sphere wholly behind
    };
    for (const Case& c : cases) {
        std::vector<float> hits = {-7.0f};
        EXPECT_EQ(Math::RaySphereIntersect(c.origin, centre, c.direction, c.radius, &hits),
                  static_cast<int>(c.hits.size()))
            << c.origin << " along " << c.direction;
        ASSERT_EQ(hits.size(), c.hits.size() + 1);
        EXPECT_EQ(hits[0], -7.0f);
        for (std::size_t i = 0; i < c.hits.size(); ++i) {
            EXPECT_FLOAT_EQ(hits[i + 1], c.hits[i]);
        }
        EXPECT_EQ(Math::RaySphereIntersect(c.origin, centre, c.direction, c.radius),
                  static_cast<int>(c.hits.size()));
    }
    // Off-centre sphere.
    std::vector<float> hits;
    EXPECT_EQ(
        Math::RaySphereIntersect(Vector(10, 10, 0), Vector(10, 10, 10), Vector(0, 0, 1), 3, &hits),
        2);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_FLOAT_EQ(hits[0], 13.0f);
    EXPECT_FLOAT_EQ(hits[1], 7.0f);
}

TEST(BoundsTests, BoxIntersectSlabs) {
    struct Case {
        Vector origin;
        Vector direction;
        int expected;
        const char* what;
    };
    const Vector centre(0, 0, 0);
    const Vector half(1, 1, 1);
    const Case cases[] = {
        {Vector(-5, 0, 0), Vector(1, 0, 0), 2, "straight through"},
        {Vector(0, 2, 0), Vector(1, -1, 0), 1, "touches the edge at (1, 1, z)"},
        {Vector(-5, 2, 0), Vector(1, 0, 0), 0, "parallel outside the y slab"},
        {Vector(-5, 1, 0), Vector(1, 0, 0), 2, "parallel along the face y = 1"},
        {Vector(-5, 0, 0), Vector(1, 1, 0), 0, "leaves the y slab before entering x"},
        {Vector(5, 0, 0), Vector(1, 0, 0), 0, "box wholly behind the origin"},
        {Vector(5, 0, 0), Vector(-1, 0, 0), 2, "box ahead"},
        {Vector(0, 0, 0), Vector(0, 0, 1), 2, "starts inside"},
        {Vector(1, 0, 0), Vector(1, 0, 0), 1, "starts on the face it leaves by"},
        {Vector(0, 0, -3), Vector(0, 0, -1), 0, "points away"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Math::BoxIntersect(centre, half, nullptr, c.origin, c.direction), c.expected)
            << c.what;
        const Quaternion identity;
        EXPECT_EQ(Math::BoxIntersect(centre, half, &identity, c.origin, c.direction), c.expected)
            << c.what << " (identity orientation)";
    }
    // Off-centre box, 2 × 4 × 6 around (10, 0, 0).
    EXPECT_EQ(Math::BoxIntersect(Vector(10, 0, 0), Vector(1, 2, 3), nullptr, Vector(10, -10, 0),
                                 Vector(0, 1, 0)),
              2);
    EXPECT_EQ(Math::BoxIntersect(Vector(10, 0, 0), Vector(1, 2, 3), nullptr, Vector(12, -10, 0),
                                 Vector(0, 1, 0)),
              0);
}

TEST(BoundsTests, BoxIntersectTurnsTheBoxByItsOrientation) {
    // An eighth turn about y: the rows of Quaternion::ToMatrix put the box's long local x
    // axis along (1, 0, 1)/√2 and its z axis along (-1, 0, 1)/√2.
    const Quaternion q{0.0f, 0.38268343f, 0.0f, 0.92387953f};
    const Vector half(4, 1, 1);
    const Vector down(0, -1, 0);
    // (2.8, y, 2.8) is 3.96 along the long axis: inside. (2.8, y, -2.8) is 3.96 along z.
    EXPECT_EQ(Math::BoxIntersect(Vector(0, 0, 0), half, &q, Vector(2.8f, 10, 2.8f), down), 2);
    EXPECT_EQ(Math::BoxIntersect(Vector(0, 0, 0), half, &q, Vector(2.8f, 10, -2.8f), down), 0);
    EXPECT_EQ(Math::BoxIntersect(Vector(0, 0, 0), half, nullptr, Vector(2.8f, 10, 2.8f), down), 0);
    EXPECT_EQ(Math::BoxIntersect(Vector(100, 0, 50), half, &q, Vector(102.8f, 10, 52.8f), down), 2);
    // Along the long axis from outside: enters at 10 - 4 and leaves at 10 + 4.
    EXPECT_EQ(Math::BoxIntersect(Vector(0, 0, 0), half, &q, Vector(-7.0710678f, 0, -7.0710678f),
                                 Vector(0.70710678f, 0, 0.70710678f)),
              2);
    EXPECT_EQ(Math::BoxIntersect(Vector(0, 0, 0), half, &q, Vector(-7.0710678f, 0, -7.0710678f),
                                 Vector(-0.70710678f, 0, -0.70710678f)),
              0);
}
