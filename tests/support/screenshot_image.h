#pragma once
// A saved screenshot read back for image checks: a black, blank or broken frame must fail a
// test, so the checks ask what a player would see (how much of the frame is lit, how many
// colours it holds, what colour a region has). Positions are fractions of the frame, 0..1 from
// the top left, so a check holds at any window size.
#include <string>

#include "platform/gfx/image.h"

struct Rgb {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;

    float Luma() const { return 0.299f * r + 0.587f * g + 0.114f * b; }
};

class ScreenshotImage {
  public:
    // False, with the reason in *error, when the file is missing or no image.
    bool Load(const std::string& path, std::string* error = nullptr);

    int Width() const { return m_image.width; }
    int Height() const { return m_image.height; }

    // The pixel at a place in the frame, channels 0..255.
    Rgb At(float x, float y) const;
    // The mean colour of a rectangle given by its corners.
    Rgb Mean(float x0, float y0, float x1, float y1) const;
    // The share of pixels whose luma is at least min_luma.
    float LitFraction(float min_luma = 24.0f) const;
    // How many colours the frame holds with each channel cut to `bits` bits.
    int DistinctColours(int bits = 4) const;

  private:
    Rgb Pixel(int x, int y) const;

    gfx::Image m_image;
};
