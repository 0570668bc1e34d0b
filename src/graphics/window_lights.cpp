#include "graphics/window_lights.h"

const std::vector<std::pair<std::string, std::string>>& WindowLights::Twins() {
    static const std::vector<std::pair<std::string, std::string>> twins = {
        {"assets/art/windows.png", "assets/art/windows_dark.png"},
    };
    return twins;
}

gfx::Texture* WindowLights::Unlit(gfx::Texture* texture) {
    if (texture == nullptr) {
        return nullptr;
    }
    if (!m_resolved) {
        m_resolved = true;
        for (const auto& [lit, dark] : Twins()) {
            gfx::Texture* const from = m_lookup ? m_lookup(lit) : nullptr;
            gfx::Texture* const to = m_lookup ? m_lookup(dark) : nullptr;
            if (from != nullptr && to != nullptr) {
                m_twins[from] = to;
            }
        }
    }
    const auto found = m_twins.find(texture);
    return found != m_twins.end() ? found->second : texture;
}
