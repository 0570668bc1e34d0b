#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "graphics/beam_mesh.h"
#include "platform/gfx/mesh.h"

namespace {

// Four vertices of a beam of half length 1: two at the top end, one in the middle and one
// at the bottom end.
std::unique_ptr<gfx::Mesh> Beam() {
    std::vector<gfx::ObjectVertex> vertices(4);
    const float points[4][3] = {{1, 1, 0}, {0, 1, 1}, {1, 0, 0}, {1, -1, 0}};
    for (int i = 0; i < 4; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            vertices[i].position[axis] = points[i][axis];
        }
    }
    return std::make_unique<gfx::Mesh>(vertices, std::vector<u32>{0, 1, 2, 1, 2, 3},
                                       std::vector<gfx::AttributeRange>{{0, 0, 2, 0, 4}});
}

void ExpectVertex(const gfx::Mesh& mesh, u32 i, float x, float y, float z) {
    const float* p = mesh.Vertices()[i].position;
    EXPECT_NEAR(p[0], x, 1e-5f) << "vertex " << i;
    EXPECT_NEAR(p[1], y, 1e-5f) << "vertex " << i;
    EXPECT_NEAR(p[2], z, 1e-5f) << "vertex " << i;
}

class BeamMeshTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_beam.Initialize(m_mesh.get(), nullptr);
        m_beam.SetExtent(Vector(1, 1, 1));
    }

    std::unique_ptr<gfx::Mesh> m_mesh = Beam();
    BeamMesh m_beam;
};

TEST_F(BeamMeshTest, TwoPointsGiveAStraightBeamFromTheTopEnd) {
    m_beam.SetControlPoints({Vector(0, 0, 0), Vector(0, 0, 10)});
    m_beam.Update();
    // Along z the side axis is x and the normal y; the cross-section is halved.
    ExpectVertex(*m_mesh, 0, -0.5f, 0, 0);
    ExpectVertex(*m_mesh, 1, 0, -0.5f, 0);
    ExpectVertex(*m_mesh, 2, -0.5f, 0, 5);
    ExpectVertex(*m_mesh, 3, -0.5f, 0, 10);
}

TEST_F(BeamMeshTest, ThreePointsGiveAQuadraticCurve) {
    m_beam.SetControlPoints({Vector(0, 0, 0), Vector(0, 5, 5), Vector(0, 0, 10)});
    m_beam.Update();
    // The middle: 0.25 P0 + 0.5 P1 + 0.25 P2, and the curve runs along z there.
    ExpectVertex(*m_mesh, 2, -0.5f, 2.5f, 5);
}

TEST_F(BeamMeshTest, PointsThatDidNotMoveDoNotRewriteTheVertices) {
    m_beam.SetControlPoints({Vector(0, 0, 0), Vector(0, 0, 10)});
    m_beam.Update();
    m_beam.SetControlPoints({Vector(0, 0, 0), Vector(0, 0, 10.000001f)});
    m_beam.Update();
    EXPECT_EQ(m_beam.WriteCount(), 1u);
    m_beam.SetControlPoints({Vector(0, 0, 0), Vector(0, 0, 10.1f)});
    m_beam.Update();
    EXPECT_EQ(m_beam.WriteCount(), 2u);
    m_beam.MarkChanged();
    EXPECT_EQ(*m_beam.ChangedFlag(), 1);
    m_beam.Update();
    EXPECT_EQ(m_beam.WriteCount(), 3u);
}

TEST_F(BeamMeshTest, TheBulgeSwellsTheMiddle) {
    const struct {
        float amplitude, centre, spread;
        float middle, end;
    } cases[] = {
        {0.0f, 0.5f, 0.25f, 0.5f, 0.5f},
        {1.0f, 0.5f, 0.25f, 1.5f, 0.5f},
        {1.0f, 0.5f, 0.0f, 0.5f, 0.5f}, // no spread: no bulge rather than a division by 0
    };
    for (const auto& c : cases) {
        m_beam.SetBulge(c.amplitude, c.centre, c.spread);
        m_beam.SetControlPoints({Vector(0, 0, 0), Vector(0, 0, 10)});
        m_beam.MarkChanged();
        m_beam.Update();
        ExpectVertex(*m_mesh, 2, -c.middle, 0, 5);
        ExpectVertex(*m_mesh, 0, -c.end, 0, 0);
    }
}

TEST_F(BeamMeshTest, ABeamStraightUpUsesTheOtherSideAxis) {
    m_beam.SetControlPoints({Vector(0, 0, 0), Vector(0, 10, 0)});
    m_beam.Update();
    // Side = -z × y = x, normal = y × x = -z.
    ExpectVertex(*m_mesh, 0, -0.5f, 0, 0);
    ExpectVertex(*m_mesh, 1, 0, 0, 0.5f);
}

TEST_F(BeamMeshTest, ABeamOfNoLengthKeepsItsRestPositions) {
    m_beam.SetExtent(Vector(0, 0, 0));
    m_beam.SetControlPoints({Vector(0, 0, 0), Vector(0, 0, 10)});
    m_beam.Update();
    ExpectVertex(*m_mesh, 0, 1, 1, 0);
    ExpectVertex(*m_mesh, 3, 1, -1, 0);
}

struct BezierCase {
    const char* what;
    std::vector<Vector> points;
    float t;
    Vector expected;
};

TEST(BezierPoint, TheCurveOverAnyNumberOfPoints) {
    const Vector a(0, 0, 0);
    const Vector b(2, 4, 0);
    const Vector c(4, 0, 8);
    std::vector<Vector> eight;
    for (int i = 0; i < 8; ++i) {
        eight.emplace_back(static_cast<float>(i), 0.0f, 0.0f);
    }
    const BezierCase cases[] = {
        {"no points", {}, 0.5f, Vector(0, 0, 0)},
        {"one point", {b}, 0.3f, b},
        {"a line at a quarter", {a, c}, 0.25f, Vector(1, 0, 2)},
        {"a quadratic's middle", {a, b, c}, 0.5f, Vector(2, 2, 2)},
        {"a quadratic's start", {a, b, c}, 0.0f, a},
        {"a quadratic's end", {a, b, c}, 1.0f, c},
        // Beyond the table of binomials: evenly spaced points give an even line.
        {"eight points' middle", eight, 0.5f, Vector(3.5f, 0, 0)},
        {"eight points' end", eight, 1.0f, Vector(7, 0, 0)},
    };
    for (const BezierCase& c : cases) {
        const Vector p = BezierPoint(c.points, c.t);
        EXPECT_NEAR(p.x, c.expected.x, 1e-5f) << c.what;
        EXPECT_NEAR(p.y, c.expected.y, 1e-5f) << c.what;
        EXPECT_NEAR(p.z, c.expected.z, 1e-5f) << c.what;
    }
}

TEST(BezierPoint, TheBeamsCurveAndItsCachedEvaluationAgree) {
    BeamMesh beam;
    const std::vector<Vector> points = {Vector(0, 0, 0), Vector(1, 3, 0), Vector(4, 3, 1),
                                        Vector(5, 0, 2)};
    beam.SetControlPoints(points);
    for (const float t : {0.0f, 0.2f, 0.5f, 0.9f}) {
        const Vector cached = beam.EvaluateCurve(t);
        const Vector direct = BezierPoint(points, t);
        EXPECT_EQ(cached.x, direct.x);
        EXPECT_EQ(cached.y, direct.y);
        EXPECT_EQ(cached.z, direct.z);
    }
}

} // namespace
