// The particle systems' own textures: a spark, a flame, a dust puff, a soft glow and a ring.
// Each is a round sprite fading to transparent at its edge, so billboards never show their
// square. Included by make_content.cpp after its image writer.
#pragma once

// Every pixel of a square image from its distance to the centre (0 there, 1 at the edge),
// its angle and a noise value in [-1, 1).
void RadialImage(const fs::path& path, int side, std::uint32_t seed,
                 const std::function<Colour(float, float, float)>& shade) {
    Image image(side, side);
    Noise noise;
    noise.state = seed;
    const float centre = (side - 1) * 0.5f;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const float d = std::hypot(x - centre, y - centre) / (side * 0.5f);
            const float angle = std::atan2(y - centre, x - centre);
            image.Blend(x, y, shade(d, angle, noise.Next()));
        }
    }
    WritePng(path, image);
}

std::uint8_t Alpha(float value) {
    return static_cast<std::uint8_t>(std::lround(255.0f * std::clamp(value, 0.0f, 1.0f)));
}

void WriteParticleTextures(const fs::path& textures) {
    // A white-hot point with four short rays.
    RadialImage(textures / "spark.png", 32, 7, [](float d, float angle, float) {
        const float core = std::clamp(1.0f - d * 3.0f, 0.0f, 1.0f);
        const float rays =
            std::pow(std::abs(std::cos(2.0f * angle)), 24.0f) * std::clamp(1.0f - d, 0.0f, 1.0f);
        const float a = std::max(core, rays * 0.8f);
        return Colour{255, static_cast<std::uint8_t>(235 + 20 * core), 190, Alpha(a)};
    });
    // A ragged flame, yellow inside, red at its edge.
    RadialImage(textures / "fire.png", 64, 11, [](float d, float angle, float n) {
        const float edge = 0.85f + 0.06f * std::sin(5.0f * angle) +
                           0.05f * std::sin(3.0f * angle + 1.0f) + 0.03f * n;
        const float t = std::clamp(d / edge, 0.0f, 1.0f);
        const Colour c = Mix({255, 240, 160}, {230, 70, 20}, t);
        return Colour{c.r, c.g, c.b, Alpha((1.0f - t * t) * (0.8f + 0.2f * n))};
    });
    // A grainy brown puff of dust.
    RadialImage(textures / "dust.png", 64, 23, [](float d, float, float n) {
        const float fall = std::clamp(1.0f - d, 0.0f, 1.0f);
        const auto shade = static_cast<std::uint8_t>(150 + 25 * n);
        return Colour{shade, static_cast<std::uint8_t>(shade * 0.85f),
                      static_cast<std::uint8_t>(shade * 0.65f),
                      Alpha(fall * fall * (0.7f + 0.3f * n))};
    });
    // A smooth glow for beams, jets and energy.
    RadialImage(textures / "glow.png", 32, 31, [](float d, float, float) {
        const float fall = std::clamp(1.0f - d, 0.0f, 1.0f);
        return Colour{255, 255, 255, Alpha(fall * fall * fall)};
    });
    // A thin ring for markers and sights.
    RadialImage(textures / "ring.png", 64, 43, [](float d, float, float) {
        const float ring = std::clamp(1.0f - std::abs(d - 0.8f) * 12.0f, 0.0f, 1.0f);
        return Colour{255, 255, 255, Alpha(ring)};
    });
}
