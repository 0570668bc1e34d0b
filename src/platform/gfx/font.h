#pragma once
// Screen text in one font at one pixel height: the printable ASCII glyphs are baked once
// into an atlas texture (white, coverage in alpha) and a string is drawn as one textured
// quad per glyph through the device's pixel-positioned program. The caller sets blending.

#include <memory>
#include <string>
#include <vector>

#include "platform/system/types.h"

namespace gfx {

class Device;
class Texture;

struct TextRect {
    i32 left = 0;
    i32 top = 0;
    i32 right = 0;
    i32 bottom = 0;
};

class Font {
  public:
    static constexpr int kFirstGlyph = 32;
    static constexpr int kGlyphCount = 95;

    // Null when the bytes are not a font this reader understands or the atlas cannot hold
    // the glyphs at that height.
    static std::unique_ptr<Font> Create(const std::vector<u8>& ttf, float pixelHeight);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Pixel quads of the text from the rectangle's top-left corner, one line per '\n', cut
    // at the rectangle: four floats each (left, top, right, bottom) and their atlas
    // coordinates (u0, v0, u1, v1). Characters without a glyph take no room.
    struct Quad {
        float x0, y0, x1, y1;
        float u0, v0, u1, v1;
    };
    std::vector<Quad> Layout(const std::string& text, const TextRect& rect) const;
    // Draws the text's quads with the atlas on stage 0.
    void Draw(Device& device, const std::string& text, const TextRect& rect);

    float PixelHeight() const { return m_height; }
    Texture* Atlas() const { return m_atlas.get(); }

  private:
    struct Glyph {
        float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
        float xoff = 0, yoff = 0, width = 0, height = 0, advance = 0;
    };
    Font() = default;

    float m_height = 0.0f;
    float m_ascent = 0.0f;
    Glyph m_glyphs[kGlyphCount];
    std::unique_ptr<Texture> m_atlas;
};

} // namespace gfx
