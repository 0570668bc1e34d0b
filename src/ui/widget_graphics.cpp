#include "ui/widget_graphics.h"

namespace {

class NoGraphics : public WidgetGraphics {
  public:
    void SetSpriteVisible(Component*, bool) override {}
    void SetSpriteSize(Component*, float, float) override {}
    void SetSpriteOffset(Component*, float, float) override {}
    void LayOutText(TextGraphic*, float, float, float, float) override {}
};

NoGraphics g_none;
WidgetGraphics* g_default = &g_none;

} // namespace

WidgetGraphics* WidgetGraphics::Default() {
    return g_default;
}

void WidgetGraphics::SetDefault(WidgetGraphics* graphics) {
    g_default = graphics != nullptr ? graphics : &g_none;
}
