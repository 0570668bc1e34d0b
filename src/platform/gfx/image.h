#pragma once
// Images decoded from memory into R, G, B, A bytes, row 0 at the top. PNG and BMP go through
// stb_image; DDS through our own reader (2D, cube and volume; uncompressed 32-bit colour and
// 8-bit luminance only). Decoding needs no GL context, so any thread may do it.
#include <string>
#include <vector>

#include "platform/system/types.h"

namespace gfx {

enum class ImageKind { Texture2D, Cube, Volume };

struct Image {
    ImageKind kind = ImageKind::Texture2D;
    i32 width = 0;
    i32 height = 0;
    // Slices of a volume; 1 otherwise.
    i32 depth = 1;
    // Cube: the six faces one after the other in the order +X, -X, +Y, -Y, +Z, -Z.
    // Volume: the slices front to back.
    std::vector<u8> pixels;

    i32 Layers() const { return kind == ImageKind::Cube ? 6 : depth; }
    std::size_t LayerBytes() const {
        return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    }
};

// False, with the reason in *error when given, for data that is no image we read.
bool DecodeImage(const u8* data, std::size_t size, Image& image, std::string* error = nullptr);
bool DecodeDds(const u8* data, std::size_t size, Image& image, std::string* error = nullptr);

// A 24-bit BMP of R, G, B, A bytes (row 0 at the top; alpha dropped).
std::string EncodeBmp(const u8* rgba, i32 width, i32 height);

} // namespace gfx
