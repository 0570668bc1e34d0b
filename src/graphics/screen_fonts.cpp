#include "graphics/screen_fonts.h"

#include <vector>

#include "content/file_package.h"
#include "graphics/render_state_cache.h"
#include "platform/gfx/device.h"
#include "platform/gfx/render_states.h"

bool ScreenFonts::Load(const std::string& artPackage) {
    FilePackage* files = FilePackage::Get(artPackage);
    u32 size = 0;
    const std::unique_ptr<u8[]> bytes =
        files != nullptr ? files->GetFile(FilePackage::SplitPath(kFontName), size) : nullptr;
    if (bytes == nullptr) {
        return false;
    }
    const std::vector<u8> ttf(bytes.get(), bytes.get() + size);
    m_small = gfx::Font::Create(ttf, kSmallHeight);
    m_large = gfx::Font::Create(ttf, kLargeHeight);
    return IsLoaded();
}

gfx::TextRect ScreenFonts::Rectangle(bool windowed, int backBufferWidth, int backBufferHeight) {
    gfx::TextRect rect;
    rect.left = 5;
    rect.right = 1015;
    rect.top = windowed ? 0
                        : static_cast<int>((static_cast<float>(backBufferHeight) -
                                            static_cast<float>(backBufferWidth) * 0.625f) /
                                           2.0f);
    rect.bottom = rect.top + 650;
    return rect;
}

void ScreenFonts::Draw(gfx::Device& device, const std::string& text, bool windowed) {
    if (text.empty() || m_large == nullptr) {
        return;
    }
    constexpr u32 kStates[] = {gfx::kRsAlphaBlendEnable, gfx::kRsSrcBlend, gfx::kRsDestBlend,
                               gfx::kRsZEnable};
    constexpr u32 kValues[] = {1, gfx::kBlendSrcAlpha, gfx::kBlendInvSrcAlpha, 0};
    u32 before[4] = {};
    for (int i = 0; i < 4; ++i) {
        before[i] = RenderStateCache::Get(device, kStates[i]);
        RenderStateCache::Set(device, kStates[i], kValues[i]);
    }
    m_large->Draw(device, text,
                  Rectangle(windowed, device.BackBufferWidth(), device.BackBufferHeight()));
    for (int i = 0; i < 4; ++i) {
        RenderStateCache::Set(device, kStates[i], before[i]);
    }
}
