#pragma once
// What the end-to-end screenshots must show, asked of regions rather than fixed pixels: the
// camera's place at the moment of a screenshot varies with how fast the build runs, so each
// check searches a band of the frame on a grid of cells for what it looks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support/screenshot_image.h"

namespace picture_checks {

// A rectangle of the frame as fractions, and what it holds.
struct Cell {
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;
    Rgb mean;
    // Spread of the luma over the cell's pixels.
    float lumaSpread = 0.0f;
};

inline Cell Measure(const ScreenshotImage& image, float x0, float y0, float x1, float y1) {
    Cell cell{x0, y0, x1, y1, image.Mean(x0, y0, x1, y1), 0.0f};
    const float dx = 1.0f / static_cast<float>(image.Width());
    const float dy = 1.0f / static_cast<float>(image.Height());
    const float mean = cell.mean.Luma();
    double sum = 0.0;
    int count = 0;
    for (float y = y0; y < y1; y += dy) {
        for (float x = x0; x < x1; x += dx) {
            const float d = image.At(x, y).Luma() - mean;
            sum += d * d;
            ++count;
        }
    }
    cell.lumaSpread = count > 0 ? static_cast<float>(std::sqrt(sum / count)) : 0.0f;
    return cell;
}

// The rows of the frame the scene covers: the letterbox bars above and below are black.
struct Band {
    float top = 0.0f;
    float bottom = 1.0f;
    float At(float t) const { return top + (bottom - top) * t; }
};

// Each test reads the one pixel row its fraction falls on (Mean's corners are inclusive), so
// the band's first and last rows are the scene's own and no black bar row darkens the cells
// along its edges.
inline Band SceneRows(const ScreenshotImage& image) {
    Band band;
    const float step = 1.0f / static_cast<float>(image.Height());
    while (band.top < 0.5f && image.Mean(0.0f, band.top, 1.0f, band.top).Luma() < 6.0f) {
        band.top += step;
    }
    while (band.bottom > 0.5f &&
           image.Mean(0.0f, band.bottom - step, 1.0f, band.bottom - step).Luma() < 6.0f) {
        band.bottom -= step;
    }
    return band;
}

// The cells of a grid over part of the scene rows (t0, t1 as fractions of those rows).
inline std::vector<Cell> Grid(const ScreenshotImage& image, float t0, float t1, int columns,
                              int rows, float x0 = 0.0f, float x1 = 1.0f) {
    const Band band = SceneRows(image);
    std::vector<Cell> cells;
    for (int row = 0; row < rows; ++row) {
        const float y0 = band.At(t0 + (t1 - t0) * row / rows);
        const float y1 = band.At(t0 + (t1 - t0) * (row + 1) / rows);
        for (int column = 0; column < columns; ++column) {
            const float cx0 = x0 + (x1 - x0) * column / columns;
            const float cx1 = x0 + (x1 - x0) * (column + 1) / columns;
            cells.push_back(Measure(image, cx0, y0, cx1, y1));
        }
    }
    return cells;
}

inline float Saturation(const Rgb& c) {
    return std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b});
}

// Daylight sky: smooth, neither dark nor white, blue at least as strong as red and green.
inline bool IsSky(const Cell& cell) {
    const Rgb& c = cell.mean;
    return c.Luma() > 70.0f && c.Luma() < 235.0f && c.b >= c.r - 3.0f && c.b >= c.g - 3.0f &&
           cell.lumaSpread < 12.0f;
}

// The top of the scene is mostly sky, some of it clearly blue (grey haze near the sun and
// the horizon is sky too, but a grey frame is not).
inline void ExpectSkyAbove(const ScreenshotImage& image, const std::string& what) {
    const std::vector<Cell> cells = Grid(image, 0.0f, 0.25f, 16, 3);
    const auto sky = std::count_if(cells.begin(), cells.end(), IsSky);
    const auto blue = std::count_if(cells.begin(), cells.end(), [](const Cell& cell) {
        return IsSky(cell) && cell.mean.b > cell.mean.r + 10.0f;
    });
    EXPECT_GE(sky, 12) << what << ": too few sky-coloured cells in the top of the scene";
    EXPECT_GE(blue, 4) << what << ": no blue in the sky";
}

// A flying boss's hull seen from below: the sun lights it from above, so its underside shows
// as a smooth, dark grey, darker than any sky and without the sky's blue. A building's wall
// is as grey but its windows make its cells uneven; the pale fog colour that far objects fade
// into is lighter, so a boss lost in the fog does not count.
inline bool IsShadedHull(const Cell& cell) {
    const float luma = cell.mean.Luma();
    return luma > 25.0f && luma < 105.0f && Saturation(cell.mean) < 20.0f &&
           cell.lumaSpread < 10.0f;
}

// The cells of the upper half of the scene (16 x 6) that show a boss's shaded hull.
inline int HullCellsInTheSky(const ScreenshotImage& image) {
    const std::vector<Cell> cells = Grid(image, 0.0f, 0.5f, 16, 6);
    return static_cast<int>(std::count_if(cells.begin(), cells.end(), IsShadedHull));
}

// A boss is in the frame, near enough to show its own shade: a sizeable dark grey shape in the
// upper half of the scene (the boss UFO's saucer fills some twenty cells from where the camera
// watches it come, the mothership's underside dozens as it passes over; a speck in the
// distance fills one or two).
constexpr int kHullCellsOfABoss = 8;

inline bool ShowsABossHull(const ScreenshotImage& image) {
    return HullCellsInTheSky(image) >= kHullCellsOfABoss;
}

inline void ExpectABossHull(const ScreenshotImage& image, const std::string& what) {
    EXPECT_GE(HullCellsInTheSky(image), kHullCellsOfABoss)
        << what << ": no hull of a boss in the upper frame";
}

// The ground at the bottom of the scene carries its texture (asphalt with lane markings), not
// one flat colour: cells there vary more than the film grain alone makes them.
inline void ExpectTexturedGround(const ScreenshotImage& image, const std::string& what) {
    const std::vector<Cell> cells = Grid(image, 0.8f, 1.0f, 8, 1, 0.0f, 0.75f);
    const auto textured = std::count_if(cells.begin(), cells.end(), [](const Cell& cell) {
        return !IsSky(cell) && cell.lumaSpread >= 8.0f;
    });
    EXPECT_GE(textured, 2) << what << ": the ground looks flat";
}

// Pixels of a rectangle (fractions) for which is(pixel) holds.
template <class Is>
int CountPixels(const ScreenshotImage& image, float x0, float y0, float x1, float y1, Is is) {
    const float dx = 1.0f / static_cast<float>(image.Width());
    const float dy = 1.0f / static_cast<float>(image.Height());
    int count = 0;
    for (float y = y0; y < y1; y += dy) {
        for (float x = x0; x < x1; x += dx) {
            count += is(image.At(x, y)) ? 1 : 0;
        }
    }
    return count;
}

// The fire of a shot's explosion: red well above green and green well above blue. The robot's
// red plates have no green above their blue; sunlit ground and windows no red well above green.
inline bool IsFire(const Rgb& c) {
    return c.r > 110.0f && c.r - c.g > 40.0f && c.g - c.b > 30.0f;
}

// The share of the frame an explosion's fire covers.
inline float FireShare(const ScreenshotImage& image) {
    const float pixels = static_cast<float>(image.Width()) * static_cast<float>(image.Height());
    return pixels > 0.0f ? static_cast<float>(CountPixels(image, 0, 0, 1, 1, IsFire)) / pixels
                         : 0.0f;
}

// A highlighted button is an orange panel with light letters: rows of the frame where a wide
// stretch is orange, in separate runs, each run with letters in it. (The other buttons are
// dark plates; the button column's own check covers them.)
inline bool IsButtonOrange(const Rgb& c) {
    return c.r > 170.0f && c.g > 90.0f && c.g < 185.0f && c.b < 110.0f;
}

inline void ExpectButtons(const ScreenshotImage& image, int buttons, const std::string& what) {
    const float dy = 1.0f / static_cast<float>(image.Height());
    int runs = 0;
    int lettered = 0;
    float runTop = -1.0f;
    for (float y = 0.0f; y <= 1.0f; y += dy) {
        const int orange = y < 1.0f ? CountPixels(image, 0.0f, y, 1.0f, y + dy, IsButtonOrange) : 0;
        const bool inButton = orange > image.Width() / 8;
        if (inButton && runTop < 0.0f) {
            runTop = y;
        } else if (!inButton && runTop >= 0.0f) {
            // Letters: light pixels inside the run's rows, in the orange columns' span.
            ++runs;
            lettered += CountPixels(image, 0.0f, runTop, 1.0f, y, [](const Rgb& c) {
                            return c.r > 215.0f && c.g > 215.0f && c.b > 200.0f;
                        }) > 20;
            runTop = -1.0f;
        }
    }
    EXPECT_GE(runs, buttons) << what << ": button panels";
    EXPECT_GE(lettered, buttons) << what << ": buttons with their labels";
}

// The drive-in screen shows the menu's video, a city at night: a dark blue picture with
// lights in it, unlike the grey metal the screen shows without a video frame. Cells are
// wider than a building's window, so no window alone looks like it.
inline void ExpectNightVideo(const ScreenshotImage& image, const std::string& what) {
    int found = 0;
    for (const Cell& cell : Grid(image, 0.0f, 1.0f, 40, 30)) {
        const Rgb& c = cell.mean;
        if (c.Luma() > 55.0f || c.b < c.r + 8.0f || c.b < c.g + 8.0f) {
            continue;
        }
        const int lights = CountPixels(image, cell.x0, cell.y0, cell.x1, cell.y1,
                                       [](const Rgb& p) { return p.Luma() > 90.0f; });
        found += lights > 0;
    }
    EXPECT_GE(found, 2) << what << ": no cells of the night video";
}

// A building's wall: its texture's dark blue windows show in the cell.
inline bool IsBuildingWall(const ScreenshotImage& image, const Cell& cell) {
    if (IsSky(cell) || Saturation(cell.mean) > 45.0f) {
        return false;
    }
    const int windows = CountPixels(image, cell.x0, cell.y0, cell.x1, cell.y1, [](const Rgb& p) {
        return p.Luma() < 75.0f && p.b > p.r + 8.0f;
    });
    return windows >= 4;
}

// The brightness of the wall itself between the windows: its grey pixels, so that how many
// lit or dark windows a cell holds does not count. 0 when too little wall shows.
inline float WallLuma(const ScreenshotImage& image, const Cell& cell) {
    const float dx = 1.0f / static_cast<float>(image.Width());
    const float dy = 1.0f / static_cast<float>(image.Height());
    float sum = 0.0f;
    int count = 0;
    int all = 0;
    for (float y = cell.y0; y < cell.y1; y += dy) {
        for (float x = cell.x0; x < cell.x1; x += dx) {
            const Rgb p = image.At(x, y);
            ++all;
            if (Saturation(p) < 25.0f && p.Luma() > 35.0f) {
                sum += p.Luma();
                ++count;
            }
        }
    }
    return count * 5 >= all && count > 0 ? sum / static_cast<float>(count) : 0.0f;
}

// Where two faces of a building meet, the one the sun shines on is clearly brighter than the
// one turned away: side by side wall cells, one at least a third brighter than the other, at
// several places. The depth of field softens the buildings beyond the robot, which hides
// some of their windows (the street behind the robot finds 9 to 15 such places, as the blur
// goes); a scene in flat light finds next to none.
inline void ExpectSunSideBrighter(const ScreenshotImage& image, const std::string& what) {
    constexpr int kColumns = 48;
    constexpr int kRows = 12;
    const std::vector<Cell> cells = Grid(image, 0.2f, 0.8f, kColumns, kRows);
    std::vector<bool> wall(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        wall[i] = IsBuildingWall(image, cells[i]);
    }
    int corners = 0;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column + 1 < kColumns; ++column) {
            const std::size_t i = static_cast<std::size_t>(row * kColumns + column);
            if (!wall[i] || !wall[i + 1]) {
                continue;
            }
            const float a = WallLuma(image, cells[i]);
            const float b = WallLuma(image, cells[i + 1]);
            corners += a > 0.0f && b > 0.0f && std::max(a, b) >= 1.33f * std::min(a, b);
        }
    }
    EXPECT_GE(corners, 6) << what << ": no building with a sunny and a shaded face side by side";
}

// The smoke stack in the street ahead of the robot's start, left of the robot once the camera
// stands behind it: its grey plume rises against the blue sky above the stack, where the sky
// alone has no pixel that dark and that little blue.
inline void ExpectSmokeAboveTheStack(const ScreenshotImage& level, const std::string& what) {
    const Band band = SceneRows(level);
    const float x0 = 0.2f;
    const float x1 = 0.35f;
    const float y0 = band.At(0.15f);
    const float y1 = band.At(0.35f);
    const int smoke = CountPixels(
        level, x0, y0, x1, y1, [](const Rgb& p) { return p.Luma() < 135.0f && p.b - p.r < 20.0f; });
    const float area = (x1 - x0) * (y1 - y0) * static_cast<float>(level.Width() * level.Height());
    EXPECT_GE(static_cast<float>(smoke), 0.05f * area) << what << ": no smoke above the stack";
}

// The credits: white names rolling over black. Most of the frame is dark and without colour,
// and the names show as light, grey-white pixels in several rows of the frame, not as one
// lit blob. A scene left on screen (sky, street) or a black frame fails. The faults found, one
// per line; empty for a frame of credits.
inline std::string CreditsFaults(const ScreenshotImage& credits) {
    const auto isLetter = [](const Rgb& c) { return c.Luma() > 150.0f && Saturation(c) < 40.0f; };
    std::string faults;
    if (!(credits.LitFraction() < 0.2f)) {
        faults += "the frame is not dark\n";
    }
    const float pixels = static_cast<float>(credits.Width()) * static_cast<float>(credits.Height());
    const int letters = CountPixels(credits, 0.0f, 0.0f, 1.0f, 1.0f, isLetter);
    if (!(static_cast<float>(letters) > 0.002f * pixels)) {
        faults += "no light letters\n";
    }
    // Rows of the frame (in twentieths) holding letters: a few lines of names, apart.
    int rows = 0;
    for (int row = 0; row < 20; ++row) {
        rows += CountPixels(credits, 0.0f, row / 20.0f, 1.0f, (row + 1) / 20.0f, isLetter) > 10;
    }
    if (rows < 3) {
        faults += "too few lines of letters (" + std::to_string(rows) + ")\n";
    }
    if (rows >= 20) {
        faults += "letters everywhere\n";
    }
    // No colour: the mean of the whole frame is grey.
    if (!(Saturation(credits.Mean(0.0f, 0.0f, 1.0f, 1.0f)) < 12.0f)) {
        faults += "colour\n";
    }
    return faults;
}

inline void ExpectCredits(const ScreenshotImage& credits) {
    EXPECT_EQ(CreditsFaults(credits), "") << "the credits";
}

// The menu: the street scene under the sky, the drive-in screen's video, the buttons.
inline void ExpectMenuPicture(const ScreenshotImage& menu) {
    ExpectSkyAbove(menu, "the menu");
    ExpectTexturedGround(menu, "the menu");
    ExpectNightVideo(menu, "the menu");
    // The focused PLAY, drawn with its label.
    ExpectButtons(menu, 1, "the menu");
}

// The level from behind the robot: sky, textured ground, buildings in the sun.
inline void ExpectLevelPicture(const ScreenshotImage& level) {
    ExpectSkyAbove(level, "the level");
    ExpectTexturedGround(level, "the level");
    ExpectSunSideBrighter(level, "the level");
}

} // namespace picture_checks
