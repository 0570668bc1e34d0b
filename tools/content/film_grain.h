// The film grain of the final pass: 512 x 512 grey noise around mid-grey, one texel for one
// screen pixel (the pass repeats it every 512 pixels). Deterministic, like every generated file.
#pragma once

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

inline bool WriteFilmGrain(const std::filesystem::path& art) {
    constexpr int kSide = 512;
    std::uint32_t state = 2027;
    const auto next = [&state] { // in [0, 1)
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / static_cast<float>(1u << 24);
    };
    std::vector<std::uint8_t> rgb;
    rgb.reserve(kSide * kSide * 3);
    for (int i = 0; i < kSide * kSide; ++i) {
        // Three uniform draws: a bell around the middle, rarely at the ends.
        const float bell = (next() + next() + next()) / 3.0f;
        const auto grey = static_cast<std::uint8_t>(
            std::clamp(std::lround(128.0f + (bell - 0.5f) * 300.0f), 0L, 255L));
        rgb.insert(rgb.end(), {grey, grey, grey});
    }
    std::filesystem::create_directories(art);
    const std::string path = (art / "noise.bmp").string();
    return stbi_write_bmp(path.c_str(), kSide, kSide, 3, rgb.data()) != 0;
}
