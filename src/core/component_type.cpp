#include "core/component_type.h"

namespace {

constexpr const char* kNames[ComponentType::kCount] = {
    "Graphic",     "ParticleSystem", "Sprite",     "Light",      "Physics",  "Player",
    "PlayerChild", "AIView",         "SpawnPoint", "Bullet",     "Joint",    "AnimationController",
    "SoundPlayer", "UIElement",      "UIButton",   "UICheckBox", "UISlider", "UIDropDown",
    "UIInput",     "UIText",         "Building",   "GameLogic",  "Trigger",  "Invalid",
};

} // namespace

ComponentType ComponentType::FromName(const std::string& name) {
    for (u32 i = 0; i < Invalid; ++i) {
        if (name == kNames[i]) {
            return ComponentType(i);
        }
    }
    return Invalid;
}

const char* ComponentType::Name(u32 type) {
    return kNames[type < kCount ? type : Invalid];
}
