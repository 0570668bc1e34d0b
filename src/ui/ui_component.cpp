#include "ui/ui_component.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "ui/ui_process.h"
#include "ui/widget_graphics.h"
#include "ui/widget_placements.h"

namespace {

constexpr f32 kVirtualWidth = 1024.0f;
constexpr f32 kWidestUsableRatio = 0.625f; // 16:10

// Applies the defaults of a class and then, when the name is listed, its placement.
void Place(UIComponent& widget, const WidgetPlacement* placement, f32 width, f32 height,
           const Vector& scale) {
    widget.m_width = width;
    widget.m_height = height;
    widget.m_scale = scale;
    if (placement == nullptr) {
        return;
    }
    widget.m_position = Vector(placement->x, placement->y, placement->z);
    if (placement->width > 0.0f) {
        widget.m_width = placement->width;
    }
    if (placement->height > 0.0f) {
        widget.m_height = placement->height;
    }
    if (placement->scaleX > 0.0f) {
        widget.m_scale = Vector(placement->scaleX, placement->scaleY, 0.0f);
    }
}

// The table counts positions; a slider keeps the intervals between them.
i32 IntervalsOf(const WidgetPlacement* placement) {
    return placement != nullptr && placement->steps > 0 ? placement->steps - 1 : 0;
}

f32 SnapToSteps(f32 value, i32 steps) {
    return std::floor(static_cast<f32>(steps) * value + 0.5f) / static_cast<f32>(steps);
}

} // namespace

// ---- UIComponent -------------------------------------------------------------------------

UIComponent::UIComponent(std::string elementName) : m_elementName(std::move(elementName)) {}

void UIComponent::Update(float) {
    Layout();
}

void UIComponent::InitializeByName() {
    Place(*this, FindPlacement(WidgetClass::Element, m_elementName), 200.0f, 50.0f,
          Vector(1.0f, 1.0f, 0.0f));
    Update(0.0f);
}

bool UIComponent::HitTest(i32, i32) {
    return false;
}

UIComponent::Screen UIComponent::ScreenSpace() const {
    Screen screen;
    const auto* ui = dynamic_cast<const UIProcess*>(process);
    if (ui == nullptr) {
        return screen;
    }
    screen.width = static_cast<f32>(ui->WindowWidth());
    screen.height = static_cast<f32>(ui->WindowHeight());
    screen.unit = screen.width / kVirtualWidth;
    if (screen.width > 0.0f) {
        screen.usable = std::min(screen.height / screen.width, kWidestUsableRatio) * screen.width;
    }
    screen.top = (screen.height - screen.usable) * 0.5f;
    return screen;
}

WidgetGraphics& UIComponent::Graphics() const {
    const auto* ui = dynamic_cast<const UIProcess*>(process);
    return ui != nullptr ? ui->Graphics() : *WidgetGraphics::Default();
}

std::array<Component*, UIComponent::kMaxSprites> UIComponent::Sprites(u32 count) const {
    std::array<Component*, kMaxSprites> sprites{};
    Component* sprite = owner != nullptr ? owner->GetComponent(ComponentType::Sprite) : nullptr;
    for (u32 i = 0; i < count && i < kMaxSprites && sprite != nullptr; ++i) {
        sprites[i] = sprite;
        sprite = sprite->nextOfType;
    }
    return sprites;
}

void UIComponent::ShowSprites(u32 count, std::initializer_list<u32> visible) const {
    const auto sprites = Sprites(count);
    for (u32 i = 0; i < count; ++i) {
        if (sprites[i] != nullptr) {
            const bool shown = std::find(visible.begin(), visible.end(), i) != visible.end();
            Graphics().SetSpriteVisible(sprites[i], shown);
        }
    }
}

Vector UIComponent::OwnerPosition() const {
    return owner != nullptr ? owner->position : Vector(0.0f, 0.0f, 0.0f);
}

bool UIComponent::InBox(i32 x, i32 y, f32 w, f32 h) const {
    const Vector p = OwnerPosition();
    const f32 fx = static_cast<f32>(x);
    const f32 fy = static_cast<f32>(y);
    return p.x <= fx && fx <= p.x + w && p.y <= fy && fy <= p.y + h;
}

void UIComponent::Layout() {
    const Screen screen = ScreenSpace();
    const f32 s = screen.unit;
    if (owner != nullptr) {
        owner->SetPosition(
            Vector(m_position.x * screen.width - m_width * m_scale.x * s * 0.5f,
                   m_position.y * screen.usable - m_height * m_scale.y * s * 0.5f + screen.top,
                   m_position.z));
    }
    Component* sprite = owner != nullptr ? owner->GetComponent(ComponentType::Sprite) : nullptr;
    for (; sprite != nullptr; sprite = sprite->nextOfType) {
        Graphics().SetSpriteSize(sprite, m_scale.x * s, m_scale.y * s);
    }
}

// ---- Button ------------------------------------------------------------------------------

void ButtonUIComponent::Update(float) {
    Layout();
    ShowSprites(2, {0});
}

void ButtonUIComponent::InitializeByName() {
    Place(*this, FindPlacement(WidgetClass::Button, m_elementName), 200.0f, 50.0f,
          Vector(1.0f, 1.0f, 0.0f));
    Update(0.0f);
}

bool ButtonUIComponent::HitTest(i32 x, i32 y) {
    const f32 s = ScreenSpace().unit;
    return InBox(x, y, m_width * s, m_height * s);
}

void ButtonUIComponent::ShowHighlight() {
    ShowSprites(2, {1});
}

// ---- Check box ---------------------------------------------------------------------------

void CheckBoxUIComponent::Update(float) {
    Layout();
    ShowSprites(4, {m_checked ? 2u : 0u});
}

void CheckBoxUIComponent::InitializeByName() {
    Place(*this, FindPlacement(WidgetClass::CheckBox, m_elementName), 50.0f, 50.0f,
          Vector(1.0f, 1.0f, 0.0f));
    Update(0.0f);
}

bool CheckBoxUIComponent::HitTest(i32 x, i32 y) {
    const f32 s = ScreenSpace().unit;
    return InBox(x, y, m_width * s, m_height * s);
}

void CheckBoxUIComponent::ShowHighlight() {
    ShowSprites(4, {m_checked ? 3u : 1u});
}

void CheckBoxUIComponent::Toggle() {
    m_checked = !m_checked;
    ShowHighlight();
}

// ---- Slider ------------------------------------------------------------------------------

SliderUIComponent::SliderUIComponent(std::string elementName)
    : PooledUIComponent(std::move(elementName)) {
    m_steps = IntervalsOf(FindPlacement(WidgetClass::Slider, m_elementName));
}

void SliderUIComponent::Update(float) {
    Layout();
    ShowSprites(4, {0, 1});
    const f32 s = ScreenSpace().unit;
    const f32 knobX = (m_value * m_width - m_knobWidth * 0.5f) * m_scale.x * s;
    const auto sprites = Sprites(4);
    for (u32 i = 1; i < 4; ++i) {
        if (sprites[i] != nullptr) {
            Graphics().SetSpriteOffset(sprites[i], knobX, 0.0f);
        }
    }
}

void SliderUIComponent::InitializeByName() {
    const WidgetPlacement* placement = FindPlacement(WidgetClass::Slider, m_elementName);
    Place(*this, placement, 200.0f, 24.0f, Vector(1.0f, 1.0f, 0.0f));
    m_knobWidth = 24.0f;
    m_knobHeight = 24.0f;
    m_steps = IntervalsOf(placement);
    Update(0.0f);
}

bool SliderUIComponent::HitTest(i32 x, i32 y) {
    const f32 s = ScreenSpace().unit;
    const Vector p = OwnerPosition();
    const f32 left = p.x + (m_value * m_width - m_knobWidth * 0.5f) * s * m_scale.x;
    const f32 right = p.x + (m_value * m_width + m_knobWidth * 0.5f) * s * m_scale.x;
    const f32 top = p.y + (m_height - m_knobHeight) * s * m_scale.y;
    const f32 bottom = p.y + m_knobHeight * s * m_scale.y;
    const f32 fx = static_cast<f32>(x);
    const f32 fy = static_cast<f32>(y);
    return left <= fx && fx <= right && top <= fy && fy <= bottom;
}

void SliderUIComponent::ShowHighlight() {
    ShowSprites(4, {0, m_active ? 3u : 2u});
}

void SliderUIComponent::Activate(bool byMouse) {
    m_mouseActivated = byMouse;
    m_active = true;
}

void SliderUIComponent::BeginDrag(i32 x, i32 y) {
    m_rawValue = m_value;
    m_dragX = x;
    m_dragY = y;
}

void SliderUIComponent::Drag(i32 x, i32) {
    const f32 s = ScreenSpace().unit;
    const f32 track = m_scale.x * m_width;
    if (m_mouseActivated) {
        if (track > 0.0f && s > 0.0f) {
            m_rawValue += static_cast<f32>(x - m_dragX) / track / s;
        }
        m_dragX = x;
    } else {
        if (x == 0) {
            m_rawValue = m_value;
        }
        const f32 k = m_steps != 0 ? 10.0f / static_cast<f32>(m_steps) : 1.0f;
        if (track > 0.0f) {
            m_rawValue += static_cast<f32>(x) * 0.001f * s * 125.0f / track * k;
        }
    }
    ClampAndSnap();
}

void SliderUIComponent::ClampAndSnap() {
    m_value = std::clamp(m_rawValue, 0.0f, 1.0f);
    if (m_steps != 0) {
        m_value = SnapToSteps(m_value, m_steps);
    }
}

i32 SliderUIComponent::GetStep() const {
    return static_cast<i32>(std::floor(static_cast<f32>(m_steps) * m_value + 0.5f));
}

void SliderUIComponent::SetStep(i32 step) {
    if (m_steps != 0) {
        m_value = static_cast<f32>(step) / static_cast<f32>(m_steps);
    }
}

void SliderUIComponent::Snap() {
    if (m_steps != 0) {
        m_value = SnapToSteps(m_value, m_steps);
    }
}

// ---- Text --------------------------------------------------------------------------------

TextUIComponent::TextUIComponent(std::string elementName, std::string text)
    : PooledUIComponent(std::move(elementName)), m_text(std::move(text)) {
    m_textGraphic.text = "Initialize me";
    m_textGraphic.topLeft[0] = 0.0f;
    m_textGraphic.topLeft[1] = 0.0f;
    m_textGraphic.bottomRight[0] = 100.0f;
    m_textGraphic.bottomRight[1] = 30.0f;
}

TextUIComponent::~TextUIComponent() {
    if (m_displayed) {
        Withdraw();
    }
}

void TextUIComponent::InitializeByName() {
    Place(*this, FindPlacement(WidgetClass::Text, m_elementName), 64.0f, 64.0f,
          Vector(0.4f, 0.5f, 0.0f));
    DisplayOnce();
    Update(0.0f);
}

void TextUIComponent::DisplayOnce() {
    m_textGraphic.text = m_text.c_str();
    if (!m_displayed) {
        Display();
        m_displayed = true;
    }
}

void TextUIComponent::SetText(const std::string& text) {
    m_text = text;
    m_textGraphic.text = m_text.c_str();
    if (m_displayed) {
        Withdraw();
    }
    Display();
    m_displayed = true;
}

void TextUIComponent::Display() {
    Message<TextGraphicStruct*> show(MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT, &m_textGraphic);
    SendMessage(&show, HANDLER_GRAPHICS_PROCESS);
}

void TextUIComponent::Withdraw() {
    Message<TextGraphic*> hide(MSG_GRAPHICS_UNDISPLAY_GRAPHICS_TEXT, m_textGraphic.textGraphic);
    SendMessage(&hide, HANDLER_GRAPHICS_PROCESS);
}

void TextUIComponent::Layout() {
    const Screen screen = ScreenSpace();
    const f32 s = screen.unit;
    const f32 n = static_cast<f32>(m_text.size());
    const f32 x1 = m_position.x * screen.width - m_width * s * m_scale.x * 0.5f;
    const f32 y1 = m_position.y * screen.usable - m_scale.y * m_height * s * 0.5f + screen.top;
    PlaceText(x1, y1, x1 + n * m_width * s * m_scale.x, y1 + m_scale.y * m_height * s);
}

void TextUIComponent::PlaceText(f32 x1, f32 y1, f32 x2, f32 y2) {
    m_textGraphic.topLeft[0] = x1;
    m_textGraphic.topLeft[1] = y1;
    m_textGraphic.bottomRight[0] = x2;
    m_textGraphic.bottomRight[1] = y2;
    if (m_textGraphic.textGraphic != nullptr) {
        Graphics().LayOutText(m_textGraphic.textGraphic, x1, y1, x2, y2);
    }
}

// ---- Input -------------------------------------------------------------------------------

void InputUIComponent::Update(float) {
    Layout();
    ShowSprites(3, {0});
}

void InputUIComponent::InitializeByName() {
    const WidgetPlacement* placement = FindPlacement(WidgetClass::Input, m_elementName);
    Place(*this, placement, 150.0f, 50.0f, Vector(1.0f, 1.0f, 0.0f));
    m_letterWidth = 64.0f;
    m_letterHeight = 64.0f;
    m_textScale = Vector(0.4f, 0.5f, 0.0f);
    if (placement != nullptr && placement->textScaleX > 0.0f) {
        m_textScale = Vector(placement->textScaleX, placement->textScaleY, 0.0f);
    }
    DisplayOnce();
    Update(0.0f);
}

bool InputUIComponent::HitTest(i32 x, i32 y) {
    const f32 s = ScreenSpace().unit;
    return InBox(x, y, m_width * m_scale.x * s, m_height * m_scale.y * s);
}

void InputUIComponent::ShowHighlight() {
    ShowSprites(3, {m_active ? 2u : 1u});
}

void InputUIComponent::Activate(bool byMouse) {
    m_mouseActivated = byMouse;
    m_active = true;
}

void InputUIComponent::Layout() {
    UIComponent::Layout();
    const Screen screen = ScreenSpace();
    const f32 s = screen.unit;
    const f32 n = static_cast<f32>(m_text.size());
    f32 fit = 1.0f;
    if (m_textScale.x * m_letterWidth * n > m_scale.x * m_width) {
        fit = (m_scale.x * m_width) / (m_letterWidth * n) / m_textScale.x;
    }
    const f32 x1 = m_position.x * screen.width - m_textScale.x * m_letterWidth * fit * s * n * 0.5f;
    const f32 y1 =
        m_position.y * screen.usable - m_letterHeight * m_textScale.y * s * 0.5f + screen.top;
    PlaceText(x1, y1, x1 + m_letterWidth * n * fit * s * m_textScale.x,
              y1 + m_textScale.y * m_letterHeight * s);
}
