#include "support/screenshot_image.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <unordered_set>
#include <vector>

bool ScreenshotImage::Load(const std::string& path, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error != nullptr) {
            *error = "cannot open " + path;
        }
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    return gfx::DecodeImage(reinterpret_cast<const u8*>(bytes.data()), bytes.size(), m_image,
                            error);
}

Rgb ScreenshotImage::Pixel(int x, int y) const {
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(Width()) +
                            static_cast<std::size_t>(x)) *
                           4;
    return {static_cast<float>(m_image.pixels[at]), static_cast<float>(m_image.pixels[at + 1]),
            static_cast<float>(m_image.pixels[at + 2])};
}

namespace {

int ToPixel(float fraction, int size) {
    return std::clamp(static_cast<int>(fraction * static_cast<float>(size)), 0, size - 1);
}

} // namespace

Rgb ScreenshotImage::At(float x, float y) const {
    if (Width() <= 0 || Height() <= 0) {
        return {};
    }
    return Pixel(ToPixel(x, Width()), ToPixel(y, Height()));
}

Rgb ScreenshotImage::Mean(float x0, float y0, float x1, float y1) const {
    if (Width() <= 0 || Height() <= 0) {
        return {};
    }
    const int left = ToPixel(std::min(x0, x1), Width());
    const int right = ToPixel(std::max(x0, x1), Width());
    const int top = ToPixel(std::min(y0, y1), Height());
    const int bottom = ToPixel(std::max(y0, y1), Height());
    Rgb sum;
    int count = 0;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const Rgb p = Pixel(x, y);
            sum.r += p.r;
            sum.g += p.g;
            sum.b += p.b;
            ++count;
        }
    }
    const float n = static_cast<float>(count);
    return {sum.r / n, sum.g / n, sum.b / n};
}

float ScreenshotImage::LitFraction(float min_luma) const {
    const long total = static_cast<long>(Width()) * Height();
    if (total <= 0) {
        return 0.0f;
    }
    long lit = 0;
    for (int y = 0; y < Height(); ++y) {
        for (int x = 0; x < Width(); ++x) {
            lit += Pixel(x, y).Luma() >= min_luma ? 1 : 0;
        }
    }
    return static_cast<float>(lit) / static_cast<float>(total);
}

int ScreenshotImage::DistinctColours(int bits) const {
    const int shift = 8 - std::clamp(bits, 1, 8);
    std::unordered_set<unsigned> colours;
    for (int y = 0; y < Height(); ++y) {
        for (int x = 0; x < Width(); ++x) {
            const Rgb p = Pixel(x, y);
            const auto channel = [shift](float v) { return static_cast<unsigned>(v) >> shift; };
            colours.insert(channel(p.r) << 16 | channel(p.g) << 8 | channel(p.b));
        }
    }
    return static_cast<int>(colours.size());
}
