#pragma once
// Image checks of the menu screens and the in-game display on screenshots of the real game.
// The screens are laid out in a 16:10 band across the full width of the frame, centred
// vertically (a taller frame has bars above and below). The menu's button column stands at
// the right in rows of equal pitch; the focused button is drawn in its highlighted look
// (orange), the others in their normal dark look, over whatever scene lies behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/screenshot_image.h"

namespace screen_checks {

// Fractions of the 16:10 band turned into fractions of the frame.
struct Band {
    float top;
    float height;

    explicit Band(const ScreenshotImage& image) {
        const float w = static_cast<float>(image.Width());
        const float h = static_cast<float>(image.Height());
        const float usable = h > 0.0f ? std::min(1.0f, w / 1.6f / h) : 1.0f;
        top = (1.0f - usable) * 0.5f;
        height = usable;
    }
    float Y(float inBand) const { return top + inBand * height; }
};

// The centre of the menu column and of its rows (row 0 at the top), in the band.
constexpr float kColumnX = 0.87f;
constexpr float RowY(int row) {
    return 0.30796874f + static_cast<float>(row) * 0.1015625f;
}

// The mean colour of the middle of a button, label and all.
inline Rgb ButtonColour(const ScreenshotImage& image, int row) {
    const Band band(image);
    const float y = band.Y(RowY(row));
    const float half = 0.02f * band.height;
    return image.Mean(kColumnX - 0.06f, y - half, kColumnX + 0.06f, y + half);
}

inline bool LooksHighlighted(const Rgb& c) {
    return c.r > 140.0f && c.r > c.g + 40.0f && c.g > c.b + 20.0f;
}

// Every row of the column holds a button, only the focused one highlighted; the others are
// dark plates.
inline void ExpectAButtonColumnWithTheFocusHighlighted(const ScreenshotImage& image,
                                                       const std::vector<int>& rows, int focusedRow,
                                                       const std::string& what) {
    for (const int row : rows) {
        const Rgb c = ButtonColour(image, row);
        SCOPED_TRACE(what + ", row " + std::to_string(row) + ": " + std::to_string(c.r) + " " +
                     std::to_string(c.g) + " " + std::to_string(c.b));
        EXPECT_EQ(LooksHighlighted(c), row == focusedRow);
        if (row != focusedRow) {
            EXPECT_LT(c.Luma(), 110.0f);
        }
    }
}

// The share of white pixels (every channel above 200) in a rectangle of the band.
inline float WhiteShare(const ScreenshotImage& image, float x0, float y0, float x1, float y1) {
    const Band band(image);
    int white = 0;
    int all = 0;
    for (float x = x0; x < x1; x += 0.002f) {
        for (float y = y0; y < y1; y += 0.004f) {
            const Rgb c = image.At(x, band.Y(y));
            white += c.r > 200.0f && c.g > 200.0f && c.b > 200.0f ? 1 : 0;
            ++all;
        }
    }
    return all > 0 ? static_cast<float>(white) / static_cast<float>(all) : 0.0f;
}

// The score in the top left corner of a running level: white letters, where the same strip
// a little further right shows only the scene. Under a bright sky the scene beside is as white
// as the letters, so they stand out from it only where it is darker.
inline void ExpectTheScoreText(const ScreenshotImage& image, const std::string& what) {
    const float text = WhiteShare(image, 0.005f, 0.02f, 0.045f, 0.09f);
    const float beside = WhiteShare(image, 0.10f, 0.02f, 0.14f, 0.09f);
    EXPECT_GT(text, 0.08f) << what << ": the score text";
    if (beside < 0.05f) {
        EXPECT_GT(text, beside + 0.05f) << what << ": the score text against the scene beside it";
    }
}

} // namespace screen_checks
