#pragma once
// Checks that a level screenshot shows the sun's shadows: somewhere on the ground a patch lies
// in a shadow next to a patch of the same surface in the sun. Where the camera stands at the
// moment of the screenshot varies with the speed of the build, so the probes are not at fixed
// places: the lower half of the frame (the ground in front of the robot) is cut into cells,
// and the check looks for two nearby, even cells of one hue whose brightness differs as much
// as a shadow makes it differ. The sun lights the ground at about 2.4 times its ambient light,
// while the slow changes of the lit ground (fog, texture grain) stay well below that.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "support/screenshot_image.h"

namespace shadow_probe {

// A cell of the frame: its top left corner as fractions of the frame, and its mean colour.
struct Patch {
    float x = 0.0f;
    float y = 0.0f;
    Rgb colour;
};

struct ShadowPair {
    Patch lit;
    Patch shaded;
    float Ratio() const { return lit.colour.Luma() / std::max(shaded.colour.Luma(), 1.0f); }
};

inline constexpr int kColumns = 40;
inline constexpr int kRows = 20;
// Two cells count as one surface when their hues (colour over its sum) are this close.
inline constexpr float kSameHue = 0.025f;
// Neighbours: at most this many cells apart on either axis.
inline constexpr int kReach = 6;
// A shadowed ground patch is darker than its lit neighbour by a factor in this band: the
// ambient light alone against ambient and sun, after the tone map. Darker neighbours of one
// hue are other things (a grey robot's leg against the grey street), not shadows.
inline constexpr float kMinShadowRatio = 1.5f;
inline constexpr float kMaxShadowRatio = 4.5f;
// Too dark to tell a hue: black gaps, the dark of windows.
inline constexpr float kMinLuma = 12.0f;

// The mean colour of a cell when its four quarters agree (no edge or object runs through it).
inline std::optional<Rgb> EvenCell(const ScreenshotImage& image, float x0, float y0, float w,
                                   float h) {
    const float hw = w * 0.5f;
    const float hh = h * 0.5f;
    const Rgb quarters[4] = {
        image.Mean(x0, y0, x0 + hw, y0 + hh), image.Mean(x0 + hw, y0, x0 + w, y0 + hh),
        image.Mean(x0, y0 + hh, x0 + hw, y0 + h), image.Mean(x0 + hw, y0 + hh, x0 + w, y0 + h)};
    Rgb mean;
    for (const Rgb& q : quarters) {
        mean.r += q.r * 0.25f;
        mean.g += q.g * 0.25f;
        mean.b += q.b * 0.25f;
    }
    const float luma = mean.Luma();
    if (luma < kMinLuma) {
        return std::nullopt;
    }
    for (const Rgb& q : quarters) {
        if (std::fabs(q.Luma() - luma) > 0.08f * luma + 2.0f) {
            return std::nullopt;
        }
    }
    return mean;
}

inline float HueDistance(const Rgb& a, const Rgb& b) {
    const float sa = std::max(a.r + a.g + a.b, 1.0f);
    const float sb = std::max(b.r + b.g + b.b, 1.0f);
    return std::max({std::fabs(a.r / sa - b.r / sb), std::fabs(a.g / sa - b.g / sb),
                     std::fabs(a.b / sa - b.b / sb)});
}

// The pair of nearby even cells of one hue in the lower half of the frame whose brightness
// differs most within the shadow band; nullopt when the lower half holds no such pair.
inline std::optional<ShadowPair> FindShadowPair(const ScreenshotImage& image) {
    const float w = 1.0f / kColumns;
    const float h = 0.5f / kRows;
    std::vector<std::optional<Patch>> cells(static_cast<std::size_t>(kColumns * kRows));
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const float x = column * w;
            const float y = 0.5f + row * h;
            if (const std::optional<Rgb> colour = EvenCell(image, x, y, w, h)) {
                cells[static_cast<std::size_t>(row * kColumns + column)] = Patch{x, y, *colour};
            }
        }
    }
    std::optional<ShadowPair> best;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const auto& a = cells[static_cast<std::size_t>(row * kColumns + column)];
            if (!a) {
                continue;
            }
            for (int r = row; r <= std::min(row + kReach, kRows - 1); ++r) {
                for (int c = std::max(column - kReach, 0);
                     c <= std::min(column + kReach, kColumns - 1); ++c) {
                    const auto& b = cells[static_cast<std::size_t>(r * kColumns + c)];
                    if (!b || (r == row && c <= column) ||
                        HueDistance(a->colour, b->colour) > kSameHue) {
                        continue;
                    }
                    const bool aLit = a->colour.Luma() >= b->colour.Luma();
                    const ShadowPair pair{aLit ? *a : *b, aLit ? *b : *a};
                    if (pair.Ratio() > kMaxShadowRatio) {
                        continue;
                    }
                    if (!best || pair.Ratio() > best->Ratio()) {
                        best = pair;
                    }
                }
            }
        }
    }
    return best;
}

// The check the end-to-end run makes of its level screenshot.
inline void ExpectAShadowOnTheGround(const ScreenshotImage& image, const std::string& what) {
    const std::optional<ShadowPair> pair = FindShadowPair(image);
    ASSERT_TRUE(pair.has_value()) << what << ": no even patches of ground in the lower half";
    EXPECT_GT(pair->Ratio(), kMinShadowRatio)
        << what << ": no ground patch in a shadow beside a lit one; darkest pair: lit at ("
        << pair->lit.x << ", " << pair->lit.y << ") luma " << pair->lit.colour.Luma()
        << ", shaded at (" << pair->shaded.x << ", " << pair->shaded.y << ") luma "
        << pair->shaded.colour.Luma();
}

} // namespace shadow_probe
