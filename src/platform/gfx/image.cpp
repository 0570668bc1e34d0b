#include "platform/gfx/image.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace gfx {
namespace {

void SetError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
}

// The DDS file: "DDS " and a 124-byte header of little-endian words, then the pixels.
constexpr std::size_t kDdsHeaderOffset = 4;
constexpr std::size_t kDdsDataOffset = 128;
constexpr u32 kDdsHeaderSize = 124;
constexpr u32 kDdsPixelFormatSize = 32;
constexpr u32 kFlagDepth = 0x800000;
constexpr u32 kFlagMipCount = 0x20000;
constexpr u32 kPixelAlpha = 0x1;
constexpr u32 kPixelFourCc = 0x4;
constexpr u32 kPixelRgb = 0x40;
constexpr u32 kPixelLuminance = 0x20000;
constexpr u32 kCaps2Cube = 0x200;
constexpr u32 kCaps2CubeAllFaces = 0xFC00;
constexpr u32 kCaps2Volume = 0x200000;
// Larger sides are refused before anything is allocated.
constexpr u32 kMaxSide = 16384;

u32 Word(const u8* data, std::size_t at) {
    return static_cast<u32>(data[at]) | static_cast<u32>(data[at + 1]) << 8 |
           static_cast<u32>(data[at + 2]) << 16 | static_cast<u32>(data[at + 3]) << 24;
}

// One channel of a packed pixel, scaled to 8 bits.
struct Channel {
    u32 mask = 0;
    int shift = 0;
    u32 max = 0;

    explicit Channel(u32 m) : mask(m) {
        if (m != 0) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    u8 Read(u32 pixel, u8 fallback) const {
        if (mask == 0) {
            return fallback;
        }
        const u32 value = (pixel & mask) >> shift;
        return static_cast<u8>(max == 255 ? value : (value * 255 + max / 2) / max);
    }
};

std::size_t LevelBytes(u32 width, u32 height, u32 depth, u32 level, u32 bytesPerPixel) {
    const std::size_t w = std::max(1u, width >> level);
    const std::size_t h = std::max(1u, height >> level);
    const std::size_t d = std::max(1u, depth >> level);
    return w * h * d * bytesPerPixel;
}

} // namespace

bool DecodeDds(const u8* data, std::size_t size, Image& image, std::string* error) {
    if (data == nullptr || size < kDdsDataOffset || std::memcmp(data, "DDS ", 4) != 0) {
        SetError(error, "not a DDS file");
        return false;
    }
    const u8* header = data + kDdsHeaderOffset;
    if (Word(header, 0) != kDdsHeaderSize || Word(header, 72) != kDdsPixelFormatSize) {
        SetError(error, "bad DDS header");
        return false;
    }
    const u32 flags = Word(header, 4);
    const u32 height = Word(header, 8);
    const u32 width = Word(header, 12);
    const u32 caps2 = Word(header, 108);
    const bool volume = (caps2 & kCaps2Volume) != 0 && (flags & kFlagDepth) != 0;
    const bool cube = (caps2 & kCaps2Cube) != 0;
    const u32 depth = volume ? Word(header, 20) : 1;
    const u32 mipCount = (flags & kFlagMipCount) != 0 ? std::max(1u, Word(header, 24)) : 1;
    const u32 pixelFlags = Word(header, 76);
    const u32 bitCount = Word(header, 84);

    if (width == 0 || height == 0 || depth == 0 || width > kMaxSide || height > kMaxSide ||
        depth > kMaxSide || mipCount > 32) {
        SetError(error, "bad DDS size");
        return false;
    }
    if (cube && (caps2 & kCaps2CubeAllFaces) != kCaps2CubeAllFaces) {
        SetError(error, "DDS cube map without all six faces");
        return false;
    }
    const bool luminance = (pixelFlags & kPixelLuminance) != 0 && bitCount == 8;
    const bool rgb32 = (pixelFlags & kPixelRgb) != 0 && bitCount == 32;
    if ((pixelFlags & kPixelFourCc) != 0 || !(luminance || rgb32)) {
        SetError(error, "unsupported DDS pixel format");
        return false;
    }
    const u32 bytesPerPixel = bitCount / 8;
    const Channel red(Word(header, 88));
    const Channel green(Word(header, 92));
    const Channel blue(Word(header, 96));
    const Channel alpha((pixelFlags & kPixelAlpha) != 0 ? Word(header, 100) : 0);

    // Each layer (cube face) holds its whole mip chain; only level 0 is kept, as the
    // texture makes its own mipmaps.
    const u32 layers = cube ? 6 : 1;
    std::size_t chain = 0;
    for (u32 level = 0; level < mipCount; ++level) {
        chain += LevelBytes(width, height, depth, level, bytesPerPixel);
    }
    const std::size_t available = size - kDdsDataOffset;
    const std::size_t top = LevelBytes(width, height, depth, 0, bytesPerPixel);
    if (layers > 1 ? (chain * (layers - 1) + top > available) : top > available) {
        SetError(error, "DDS file is truncated");
        return false;
    }

    Image out;
    out.kind = cube ? ImageKind::Cube : (volume ? ImageKind::Volume : ImageKind::Texture2D);
    out.width = static_cast<i32>(width);
    out.height = static_cast<i32>(height);
    out.depth = static_cast<i32>(depth);
    const std::size_t layerPixels = static_cast<std::size_t>(width) * height * depth;
    out.pixels.resize(layerPixels * layers * 4);
    u8* target = out.pixels.data();
    for (u32 layer = 0; layer < layers; ++layer) {
        const u8* source = data + kDdsDataOffset + chain * layer;
        for (std::size_t i = 0; i < layerPixels; ++i, target += 4) {
            if (luminance) {
                const u8 l = source[i];
                target[0] = l;
                target[1] = l;
                target[2] = l;
                target[3] = 255;
                continue;
            }
            const u32 pixel = Word(source, i * 4);
            target[0] = red.Read(pixel, 0);
            target[1] = green.Read(pixel, 0);
            target[2] = blue.Read(pixel, 0);
            target[3] = alpha.Read(pixel, 255);
        }
    }
    image = std::move(out);
    return true;
}

bool DecodeImage(const u8* data, std::size_t size, Image& image, std::string* error) {
    if (data == nullptr || size == 0) {
        SetError(error, "no data");
        return false;
    }
    if (size >= 4 && std::memcmp(data, "DDS ", 4) == 0) {
        return DecodeDds(data, size, image, error);
    }
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        SetError(error, "image too large");
        return false;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels =
        stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 4);
    if (pixels == nullptr) {
        const char* reason = stbi_failure_reason();
        SetError(error, reason != nullptr ? reason : "cannot decode image");
        return false;
    }
    Image out;
    out.width = width;
    out.height = height;
    out.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
    stbi_image_free(pixels);
    image = std::move(out);
    return true;
}

std::string EncodeBmp(const u8* rgba, i32 width, i32 height) {
    const auto put = [](std::string& out, u32 value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    };
    const u32 w = static_cast<u32>(std::max(width, 0));
    const u32 h = static_cast<u32>(std::max(height, 0));
    const u32 rowBytes = (w * 3 + 3) & ~3u;
    const u32 pixelOffset = 14 + 40;
    std::string out;
    out.reserve(pixelOffset + static_cast<std::size_t>(rowBytes) * h);
    out += "BM";
    put(out, pixelOffset + rowBytes * h, 4);
    put(out, 0, 4);
    put(out, pixelOffset, 4);
    put(out, 40, 4); // info header size
    put(out, w, 4);
    put(out, h, 4); // positive: rows stored bottom-up
    put(out, 1, 2);
    put(out, 24, 2);
    put(out, 0, 4); // no compression
    put(out, rowBytes * h, 4);
    put(out, 2835, 4); // 72 dpi
    put(out, 2835, 4);
    put(out, 0, 4);
    put(out, 0, 4);
    for (u32 row = h; row-- > 0;) {
        const u8* source = rgba + static_cast<std::size_t>(row) * w * 4;
        for (u32 x = 0; x < w; ++x, source += 4) {
            out.push_back(static_cast<char>(source[2]));
            out.push_back(static_cast<char>(source[1]));
            out.push_back(static_cast<char>(source[0]));
        }
        out.append(rowBytes - w * 3, '\0');
    }
    return out;
}

} // namespace gfx
