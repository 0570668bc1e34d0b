#pragma once
// The renderer's two screen fonts (small and large) and the status line the building count
// message sets, drawn last in every frame with the large font, white, in a fixed rectangle
// of the 16:10 picture.

#include <memory>
#include <string>

#include "platform/gfx/font.h"

namespace gfx {
class Device;
}

class ScreenFonts {
  public:
    static constexpr const char* kFontName = "assets/art/fonts/dejavusans.ttf";
    static constexpr float kSmallHeight = 12.0f;
    static constexpr float kLargeHeight = 32.0f;

    // Both fonts from the art package; false when the font is missing or unreadable.
    bool Load(const std::string& artPackage);
    bool IsLoaded() const { return m_small != nullptr && m_large != nullptr; }
    // Drops both fonts (their atlases are GL objects).
    void Release() {
        m_small.reset();
        m_large.reset();
    }

    // Left 5, right 1015; top 0 when windowed, else the letterbox's top edge of a 16:10
    // picture on the back buffer (truncated); 650 high.
    static gfx::TextRect Rectangle(bool windowed, int backBufferWidth, int backBufferHeight);

    // Nothing for an empty text; blending is set and put back through the state cache.
    void Draw(gfx::Device& device, const std::string& text, bool windowed);

    gfx::Font* Small() const { return m_small.get(); }
    gfx::Font* Large() const { return m_large.get(); }

  private:
    std::unique_ptr<gfx::Font> m_small;
    std::unique_ptr<gfx::Font> m_large;
};
