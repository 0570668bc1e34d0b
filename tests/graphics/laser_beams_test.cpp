#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/component.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "graphics/laser_beams.h"

namespace {

class BeamComponent : public Component {
  public:
    void Update(float) override {}
};

struct Beam {
    GameObject object{"LaserBeam"};
    BeamComponent component;
    Beam() { component.owner = &object; }

    LaserBeamInfo Info(float elapsed, float duration) {
        LaserBeamInfo info;
        info.m_start = Vector(0.0f, 0.0f, 0.0f);
        info.m_end = Vector(10.0f, 0.0f, 0.0f);
        info.m_beam = &component;
        info.m_elapsed = elapsed;
        info.m_duration = duration;
        info.m_width = 0.5f;
        return info;
    }
};

// The segment the unit mesh covers: centre ± |scale x| / 2 along x.
std::pair<float, float> Covered(const GameObject& object) {
    const float half = std::fabs(object.scale.x) * 0.5f;
    return {object.position.x - half, object.position.x + half};
}

TEST(LaserBeams, TheBeamGrowsSpansAndShrinksFromTheStart) {
    struct Case {
        float elapsed;
        float from;
        float to;
    };
    const Case cases[] = {
        {0.245f, 0.0f, 5.0f},  // half grown
        {0.5f, 0.0f, 10.0f},   // full
        {0.755f, 5.0f, 10.0f}, // far half left
        {2.0f, 10.0f, 10.0f},  // past its time: gone to the end, not mirrored
    };
    for (const Case& c : cases) {
        Beam beam;
        LaserBeams beams;
        beams.Create(beam.Info(c.elapsed, 1.0f));
        beams.Advance(0.0f, nullptr);
        const auto [from, to] = Covered(beam.object);
        EXPECT_NEAR(from, c.from, 1e-4f) << c.elapsed;
        EXPECT_NEAR(to, c.to, 1e-4f) << c.elapsed;
        EXPECT_LE(beam.object.scale.x, 0.0f);
        EXPECT_FLOAT_EQ(beam.object.scale.y, 0.5f);
        EXPECT_TRUE(beam.object.positionChanged);
        EXPECT_TRUE(beam.object.orientationChanged);
    }
}

TEST(LaserBeams, TheBeamTurnsItsXAxisOntoTheDirectionEvenWhenVertical) {
    for (const Vector& end : {Vector(0.0f, 0.0f, 5.0f), Vector(0.0f, 7.0f, 0.0f),
                              Vector(0.0f, -3.0f, 0.0f), Vector(1.0f, 1.0f, 1.0f)}) {
        Beam beam;
        LaserBeams beams;
        LaserBeamInfo info = beam.Info(0.5f, 1.0f);
        info.m_end = end;
        beams.Create(info);
        beams.Advance(0.0f, nullptr);
        const Float3 x = Math::Vec3TransformNormal(
            {1.0f, 0.0f, 0.0f}, Math::MatrixRotationQuaternion(beam.object.orientation));
        const Float3 d = Math::Vec3Normalize(end);
        EXPECT_NEAR(x.x, d.x, 1e-5f);
        EXPECT_NEAR(x.y, d.y, 1e-5f);
        EXPECT_NEAR(x.z, d.z, 1e-5f);
    }
}

TEST(LaserBeams, DegenerateBeamsMoveNothingAndMakeNoNaN) {
    Beam still;
    LaserBeams beams;
    LaserBeamInfo info = still.Info(0.5f, 1.0f);
    info.m_end = info.m_start;
    beams.Create(info);
    Beam timeless;
    beams.Create(timeless.Info(0.3f, 0.0f));
    beams.Advance(0.1f, nullptr);
    EXPECT_FALSE(still.object.positionChanged);
    EXPECT_TRUE(std::isfinite(timeless.object.position.x));
    EXPECT_NEAR(Covered(timeless.object).first, 10.0f, 1e-4f);
}

TEST(LaserBeams, ParticlesComeEveryTwentiethOfASecond) {
    Beam beam;
    LaserBeams beams;
    beams.Create(beam.Info(0.5f, 1.0f));
    std::vector<std::string> made;
    beams.Advance(0.12f, [&](const char* name, const Vector&) { made.emplace_back(name); });
    EXPECT_EQ(made, (std::vector<std::string>{"Laser", "Laser"}));
    EXPECT_NEAR(beams.Beams().front().m_emission_time, 0.02f, 1e-5f);

    // An update keeps the emission time running.
    beams.Update(beam.Info(0.6f, 1.0f));
    EXPECT_NEAR(beams.Beams().front().m_emission_time, 0.02f, 1e-5f);
    EXPECT_FLOAT_EQ(beams.Beams().front().m_elapsed, 0.6f);
}

TEST(LaserBeams, DeletionByComponentByNullAndByOwner) {
    Beam a;
    Beam b;
    Beam stranger;
    LaserBeams beams;
    beams.Create(a.Info(0.0f, 1.0f));
    beams.Create(b.Info(0.0f, 1.0f));
    beams.Delete(stranger.Info(0.0f, 1.0f));
    EXPECT_EQ(beams.Beams().size(), 2u);
    beams.Delete(a.Info(0.0f, 1.0f));
    ASSERT_EQ(beams.Beams().size(), 1u);
    EXPECT_EQ(beams.Beams().front().m_beam, &b.component);
    beams.RemoveOwnedBy(&b.object);
    EXPECT_TRUE(beams.Beams().empty());

    beams.Create(a.Info(0.0f, 1.0f));
    beams.Create(b.Info(0.0f, 1.0f));
    beams.Delete(LaserBeamInfo{});
    EXPECT_TRUE(beams.Beams().empty());
}

} // namespace
