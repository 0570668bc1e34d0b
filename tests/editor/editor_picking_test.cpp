#include <gtest/gtest.h>

#include <cmath>

#include "core/math_functions.h"
#include "editor/editor_picking.h"

namespace {

using editor::IntersectUnitBox;

TEST(UnitBox, TheNearestFaceNamesTheSideTheRayEntersBy) {
    const struct {
        Float3 origin;
        Float3 direction;
        u32 side;
    } cases[] = {
        {{0.1f, -5.0f, 0.2f}, {0, 1, 0}, 0}, {{0.1f, 5.0f, 0.2f}, {0, -1, 0}, 1},
        {{0.1f, 0.2f, -5.0f}, {0, 0, 1}, 2}, {{5.0f, 0.1f, 0.2f}, {-1, 0, 0}, 3},
        {{0.1f, 0.2f, 5.0f}, {0, 0, -1}, 4}, {{-5.0f, 0.1f, 0.2f}, {1, 0, 0}, 5},
    };
    for (const auto& c : cases) {
        const auto hit = IntersectUnitBox(c.origin, c.direction);
        ASSERT_TRUE(hit.hit) << c.side;
        EXPECT_EQ(hit.face / 2, c.side);
        EXPECT_EQ(hit.count, 2u) << "in and out";
        EXPECT_NEAR(hit.distance, 4.5f, 1e-5f);
    }
}

TEST(UnitBox, OnlyHitsInFrontOfTheOriginCount) {
    // From inside: only the way out lies ahead.
    const auto inside = IntersectUnitBox({0.1f, 0.2f, 0.1f}, {0, 0, 1});
    EXPECT_TRUE(inside.hit);
    EXPECT_EQ(inside.count, 1u);
    EXPECT_EQ(inside.face / 2, 4u);
    // Past the box, looking away from it.
    const auto behind = IntersectUnitBox({0.1f, 0.2f, 5.0f}, {0, 0, 1});
    EXPECT_FALSE(behind.hit);
    EXPECT_EQ(behind.count, 0u);
    // Beside it.
    EXPECT_FALSE(IntersectUnitBox({2.0f, 0.0f, -5.0f}, {0, 0, 1}).hit);
}

TEST(ObjectBox, AnObjectBoxNeedsTheRayToStartOutsideIt) {
    const Float4x4 world = editor::ObjectBoxMatrix(Vector(0, 0, 10), Quaternion{}, Vector(1, 1, 1),
                                                   {-1, -1, -1}, {1, 1, 1}, 0.0f);
    const editor::Ray outside{{0.1f, 0.2f, 0}, {0, 0, 1}};
    const auto hit = editor::IntersectBox(outside, world, true);
    ASSERT_TRUE(hit.has_value());
    EXPECT_NEAR(hit->distance, 9.0f, 1e-4f);
    EXPECT_NEAR(hit->point.z, 9.0f, 1e-4f);
    const editor::Ray inside{{0.1f, 0.2f, 10}, {0, 0, 1}};
    EXPECT_FALSE(editor::IntersectBox(inside, world, true).has_value());
    EXPECT_TRUE(editor::IntersectBox(inside, world, false).has_value());
}

TEST(ObjectBox, TheBoxFollowsTheObjectsScaleTurnAndOffsetCentre) {
    // A box from 0 to 2 along x, turned 90° about y: its centre lands on −z.
    const float half = std::sqrt(0.5f);
    const Float4x4 world = editor::ObjectBoxMatrix(Vector(0, 0, 0), Quaternion{0, half, 0, half},
                                                   Vector(3, 1, 1), {0, -1, -1}, {2, 1, 1}, 0.0f);
    const Float3 centre = Math::Vec3TransformCoord({0, 0, 0}, world);
    // The model-space centre turned with the object, then scaled per world axis.
    const Vector turned = Math::RotateByQuaternion(Vector(1, 0, 0), Quaternion{0, half, 0, half});
    EXPECT_NEAR(centre.x, 3.0f * turned.x, 1e-4f);
    EXPECT_NEAR(centre.z, turned.z, 1e-4f);
    EXPECT_NEAR(std::abs(centre.z), 1.0f, 1e-4f);
}

TEST(PickRay, TheCentreOfTheViewLooksAlongTheCamera) {
    const Float4x4 view = Math::MatrixLookAtLH({0, 10, -10}, {0, 0, 0}, {0, 1, 0});
    const Float4x4 projection = Math::MatrixPerspectiveFovLH(0.78f, 1.6f, 1.0f, 1000.0f);
    const editor::Ray ray = editor::PickRay(512, 320, 1024, 640, view, projection);
    EXPECT_NEAR(ray.origin.y, 10.0f, 1e-4f);
    EXPECT_NEAR(ray.origin.z, -10.0f, 1e-4f);
    EXPECT_NEAR(ray.direction.y, -std::sqrt(0.5f), 1e-4f);
    EXPECT_NEAR(ray.direction.z, std::sqrt(0.5f), 1e-4f);
    // The top-left corner of the view looks up and to the left.
    const editor::Ray corner = editor::PickRay(0, 0, 1024, 640, view, projection);
    EXPECT_LT(corner.direction.x, 0.0f);
    EXPECT_GT(corner.direction.y, ray.direction.y);
}

TEST(SnapToGrid, HalvesGoUpEverythingElseToTheNearest) {
    Vector v(1.49f, 1.5f, -0.5f);
    editor::SnapToGrid(v);
    EXPECT_EQ(v.x, 1.0f);
    EXPECT_EQ(v.y, 2.0f);
    EXPECT_EQ(v.z, 0.0f);
    Vector w(-1.6f, 7.0f, 0.51f);
    editor::SnapToGrid(w);
    EXPECT_EQ(w.x, -2.0f);
    EXPECT_EQ(w.y, 7.0f);
    EXPECT_EQ(w.z, 1.0f);
}

TEST(DragAccumulators, TranslationMovesInWholeUnitsOnlyOnceOneIsGathered) {
    editor::DragAccumulators acc;
    i32 moved = 0;
    for (int i = 0; i < 3; ++i) {
        moved += acc.TranslateStep(0.3f);
    }
    EXPECT_EQ(moved, 0);
    moved += acc.TranslateStep(0.3f);
    EXPECT_EQ(moved, 1);
    EXPECT_NEAR(acc.move, 0.2f, 1e-5f);
    EXPECT_EQ(acc.TranslateStep(-2.7f), -2);
}

TEST(DragAccumulators, RotationTurnsIn15DegreeStepsAndDropsAReversal) {
    editor::DragAccumulators acc;
    const float step = 0.2617994f;
    EXPECT_EQ(acc.RotateStep(0.2f), 0.0f);
    EXPECT_NEAR(acc.RotateStep(0.1f), step, 1e-6f);
    EXPECT_NEAR(acc.rotate, 0.3f - step, 1e-5f);
    // Going back drops what was gathered forward: a small turn back turns nothing.
    EXPECT_EQ(acc.RotateStep(-0.2f), 0.0f);
    EXPECT_NEAR(acc.rotate, -0.2f, 1e-6f);
    EXPECT_NEAR(acc.RotateStep(-0.6f), -3.0f * step, 1e-5f);
}

TEST(DragAccumulators, ScaleChangesInSteps) {
    editor::DragAccumulators acc;
    EXPECT_EQ(acc.ScaleStep(0.04f), 0.0f);
    EXPECT_NEAR(acc.ScaleStep(0.07f), 0.1f, 1e-6f);
    EXPECT_NEAR(acc.move, 0.01f, 1e-5f);
}

} // namespace
