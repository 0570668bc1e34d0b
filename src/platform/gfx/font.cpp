#include "platform/gfx/font.h"

#include <algorithm>
#include <cmath>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb/stb_truetype.h>

#include "platform/gfx/device.h"
#include "platform/gfx/image.h"
#include "platform/gfx/texture.h"

namespace gfx {

namespace {

constexpr int kAtlasSize = 512;

struct ScreenVertex {
    float x, y, z, rhw, u, v;
};

} // namespace

std::unique_ptr<Font> Font::Create(const std::vector<u8>& ttf, float pixelHeight) {
    if (ttf.empty() || !(pixelHeight > 0.0f) || stbtt_GetFontOffsetForIndex(ttf.data(), 0) < 0) {
        return nullptr;
    }
    stbtt_fontinfo info;
    if (stbtt_InitFont(&info, ttf.data(), stbtt_GetFontOffsetForIndex(ttf.data(), 0)) == 0) {
        return nullptr;
    }
    std::vector<u8> coverage(static_cast<std::size_t>(kAtlasSize) * kAtlasSize);
    stbtt_bakedchar baked[kGlyphCount];
    const int rows = stbtt_BakeFontBitmap(ttf.data(), 0, pixelHeight, coverage.data(), kAtlasSize,
                                          kAtlasSize, kFirstGlyph, kGlyphCount, baked);
    if (rows <= 0) {
        return nullptr;
    }
    std::unique_ptr<Font> font(new Font());
    font->m_height = pixelHeight;
    int ascent = 0;
    int descent = 0;
    int gap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &gap);
    font->m_ascent = static_cast<float>(ascent) * stbtt_ScaleForPixelHeight(&info, pixelHeight);
    const float texel = 1.0f / static_cast<float>(kAtlasSize);
    for (int i = 0; i < kGlyphCount; ++i) {
        const stbtt_bakedchar& b = baked[i];
        Glyph& g = font->m_glyphs[i];
        g.u0 = b.x0 * texel;
        g.v0 = b.y0 * texel;
        g.u1 = b.x1 * texel;
        g.v1 = b.y1 * texel;
        g.xoff = b.xoff;
        g.yoff = b.yoff;
        g.width = static_cast<float>(b.x1 - b.x0);
        g.height = static_cast<float>(b.y1 - b.y0);
        g.advance = b.xadvance;
    }
    Image image;
    image.width = kAtlasSize;
    image.height = kAtlasSize;
    image.pixels.reserve(coverage.size() * 4);
    for (const u8 a : coverage) {
        image.pixels.insert(image.pixels.end(), {255, 255, 255, a});
    }
    font->m_atlas = Texture::FromImage(std::move(image), false);
    return font;
}

Font::~Font() = default;

std::vector<Font::Quad> Font::Layout(const std::string& text, const TextRect& rect) const {
    std::vector<Quad> quads;
    const float left = static_cast<float>(rect.left);
    const float top = static_cast<float>(rect.top);
    const float right = static_cast<float>(rect.right);
    const float bottom = static_cast<float>(rect.bottom);
    float penX = left;
    float baseline = top + m_ascent;
    for (const char c : text) {
        if (c == '\n') {
            penX = left;
            baseline += m_height;
            continue;
        }
        const int index = static_cast<unsigned char>(c) - kFirstGlyph;
        if (index < 0 || index >= kGlyphCount) {
            continue;
        }
        const Glyph& g = m_glyphs[index];
        Quad q{
            std::round(penX + g.xoff), std::round(baseline + g.yoff), 0, 0, g.u0, g.v0, g.u1, g.v1};
        q.x1 = q.x0 + g.width;
        q.y1 = q.y0 + g.height;
        penX += g.advance;
        // Cut at the rectangle, moving the atlas coordinates with the cut.
        const float du = g.width > 0 ? (g.u1 - g.u0) / g.width : 0.0f;
        const float dv = g.height > 0 ? (g.v1 - g.v0) / g.height : 0.0f;
        if (q.x0 < left) {
            q.u0 += (left - q.x0) * du;
            q.x0 = left;
        }
        if (q.y0 < top) {
            q.v0 += (top - q.y0) * dv;
            q.y0 = top;
        }
        if (q.x1 > right) {
            q.u1 -= (q.x1 - right) * du;
            q.x1 = right;
        }
        if (q.y1 > bottom) {
            q.v1 -= (q.y1 - bottom) * dv;
            q.y1 = bottom;
        }
        if (q.x1 > q.x0 && q.y1 > q.y0) {
            quads.push_back(q);
        }
    }
    return quads;
}

void Font::Draw(Device& device, const std::string& text, const TextRect& rect) {
    const std::vector<Quad> quads = Layout(text, rect);
    if (quads.empty()) {
        return;
    }
    std::vector<ScreenVertex> vertices;
    vertices.reserve(quads.size() * 6);
    for (const Quad& q : quads) {
        const float x0 = q.x0 - 0.5f;
        const float y0 = q.y0 - 0.5f;
        const float x1 = q.x1 - 0.5f;
        const float y1 = q.y1 - 0.5f;
        vertices.insert(vertices.end(), {{x0, y0, 0, 1, q.u0, q.v0},
                                         {x1, y0, 0, 1, q.u1, q.v0},
                                         {x0, y1, 0, 1, q.u0, q.v1},
                                         {x1, y0, 0, 1, q.u1, q.v0},
                                         {x1, y1, 0, 1, q.u1, q.v1},
                                         {x0, y1, 0, 1, q.u0, q.v1}});
    }
    device.SetTexture(0, m_atlas.get());
    device.SetVertexLayout(VertexLayout::ScreenTexture);
    device.DrawPrimitiveUP(PrimitiveType::TriangleList, static_cast<u32>(quads.size() * 2),
                           vertices.data(), sizeof(ScreenVertex));
}

} // namespace gfx
