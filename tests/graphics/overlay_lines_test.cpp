// The line shapes of the collision displays and the editor's markers: the unit shapes the
// display matrices scale, and the markers around a world box.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/bounds.h"
#include "graphics/overlay_lines.h"

namespace {

float Length(const Float3& a, const Float3& b) {
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    const float dz = b.z - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// How many of the three coordinates differ between the ends of a line.
int AxesChanged(const Float3& a, const Float3& b) {
    return (a.x != b.x) + (a.y != b.y) + (a.z != b.z);
}

BoxRecord Box(const Float3& min, const Float3& max) {
    BoxRecord box;
    BoundingBox::ComputeCorners(box, min, max);
    return box;
}

TEST(OverlayLines, TheUnitBoxIsTwelveAxisEdgesOfLengthOneAroundTheOrigin) {
    const std::vector<OverlayVertex> lines = overlay_lines::UnitBox(0xFF123456u);
    ASSERT_EQ(lines.size(), 24u);
    int perAxis[3] = {};
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        const Float3& a = lines[i].position;
        const Float3& b = lines[i + 1].position;
        EXPECT_EQ(AxesChanged(a, b), 1);
        EXPECT_FLOAT_EQ(Length(a, b), 1.0f);
        perAxis[0] += a.x != b.x;
        perAxis[1] += a.y != b.y;
        perAxis[2] += a.z != b.z;
        for (const float v : {a.x, a.y, a.z, b.x, b.y, b.z}) {
            EXPECT_FLOAT_EQ(std::fabs(v), 0.5f);
        }
        EXPECT_EQ(lines[i].colour, 0xFF123456u);
    }
    EXPECT_EQ(perAxis[0], 4);
    EXPECT_EQ(perAxis[1], 4);
    EXPECT_EQ(perAxis[2], 4);
}

TEST(OverlayLines, TheUnitSphereIsThreeClosedCirclesOfRadiusOne) {
    const std::vector<OverlayVertex> lines = overlay_lines::UnitSphere(0xFF00FF00u);
    ASSERT_EQ(lines.size(), 3u * overlay_lines::kCircleSegments * 2);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Float3& p = lines[i].position;
        EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 1.0f, 1e-5f);
    }
    // Each circle lies in one plane and closes on itself.
    for (std::size_t circle = 0; circle < 3; ++circle) {
        const std::size_t first = circle * overlay_lines::kCircleSegments * 2;
        const std::size_t last = first + overlay_lines::kCircleSegments * 2 - 1;
        EXPECT_NEAR(Length(lines[first].position, lines[last].position), 0.0f, 1e-5f);
        for (std::size_t i = first; i <= last; ++i) {
            const Float3& p = lines[i].position;
            const float off[3] = {p.z, p.x, p.y};
            EXPECT_FLOAT_EQ(off[circle], 0.0f) << circle << " " << i;
        }
    }
}

// A box drawn from its own corners, whatever its size, and the markers sized from it.
TEST(OverlayLines, BoxMarkersFollowTheCornersOfTheWorldBox) {
    struct Case {
        Float3 min;
        Float3 max;
    };
    for (const Case& c : {Case{{0, 0, 0}, {1, 1, 1}}, Case{{-10, 2, 5}, {30, 4, 6}}}) {
        const BoxRecord box = Box(c.min, c.max);
        const std::vector<OverlayVertex> edges = overlay_lines::BoxEdges(box, 1u);
        ASSERT_EQ(edges.size(), 24u);
        const std::vector<OverlayVertex> ticks = overlay_lines::CornerTicks(box, 1u);
        ASSERT_EQ(ticks.size(), 48u);
        for (std::size_t i = 0; i < edges.size(); i += 2) {
            EXPECT_EQ(AxesChanged(edges[i].position, edges[i + 1].position), 1);
            const float edge = Length(edges[i].position, edges[i + 1].position);
            // The two ticks of this edge, each a quarter of it from its own corner.
            const std::size_t t = i * 2;
            EXPECT_FLOAT_EQ(ticks[t].position.x, edges[i].position.x);
            EXPECT_FLOAT_EQ(ticks[t + 2].position.x, edges[i + 1].position.x);
            EXPECT_NEAR(Length(ticks[t].position, ticks[t + 1].position), edge / 4, 1e-4f);
            EXPECT_NEAR(Length(ticks[t + 2].position, ticks[t + 3].position), edge / 4, 1e-4f);
        }
    }
}

TEST(OverlayLines, ThePinStandsOnTheBoxTopAndKeepsItsShareOfTheScreen) {
    const BoxRecord box = Box({-2, 0, -2}, {2, 10, 2});
    const std::vector<OverlayVertex> near = overlay_lines::TopPin(box, {0, 10, -100}, 1u);
    const std::vector<OverlayVertex> far = overlay_lines::TopPin(box, {0, 10, -400}, 1u);
    ASSERT_EQ(near.size(), 6u);
    ASSERT_EQ(far.size(), 6u);
    EXPECT_FLOAT_EQ(near[0].position.x, 0.0f);
    EXPECT_FLOAT_EQ(near[0].position.y, 10.0f);
    EXPECT_FLOAT_EQ(near[0].position.z, 0.0f);
    const float nearHeight = near[1].position.y - near[0].position.y;
    const float farHeight = far[1].position.y - far[0].position.y;
    EXPECT_NEAR(farHeight / nearHeight, 4.0f, 1e-3f);
    // A pin seen from on top of the box still has a size.
    EXPECT_GT(overlay_lines::TopPin(box, {0, 10, 0}, 1u)[1].position.y, 10.0f);
}

} // namespace
