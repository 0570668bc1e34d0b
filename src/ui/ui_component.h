#pragma once
// The user-interface components: a plain element ("UIElement") and the widgets built on it,
// each its own pooled class: button ("UIButton"), check box ("UICheckBox"), slider
// ("UISlider"), text ("UIText") and text input ("UIInput").
//
// A widget is a game object named after its element ("PlayButton"). Its UI component places
// the object in a virtual screen 1024 units wide, picks which of the object's "Sprite"
// components show (its looks), answers whether a point is over it and what activating it
// does to itself. Texts draw a string through the renderer's on-screen text instead.
#include <array>
#include <initializer_list>
#include <string>

#include "core/component.h"
#include "core/memory_allocator.h"
#include "core/types.h"
#include "core/vector.h"
#include "graphics/text_graphic.h"

class UIProcess;
class WidgetGraphics;

class UIComponent : public Component, public Allocator<UIComponent> {
  public:
    static constexpr u32 kMaxSprites = 4;

    explicit UIComponent(std::string elementName);
    ~UIComponent() override = default;

    // Lays the widget out and shows its normal look.
    void Update(float dt) override;
    // Places the widget by its element name (the table of its class) and updates it.
    virtual void InitializeByName();
    void Finalize() override {}
    // Whether the client-area pixel (x, y) is over the part of the widget that takes clicks.
    virtual bool HitTest(i32 x, i32 y);
    virtual void ShowHighlight() {}
    virtual void Toggle() {}
    virtual void Activate(bool byMouse) { m_mouseActivated = byMouse; }
    virtual void Deactivate() {}
    virtual bool IsActive() const { return m_active; }
    virtual void BeginDrag(i32 x, i32 y) {}
    virtual void Drag(i32 x, i32 y) {}
    virtual bool IsMouseActivated() const { return m_mouseActivated; }
    // Writes the object position from the widget's place, size and scale.
    virtual void Layout();

    const std::string m_elementName;
    // Keyboard-navigation neighbours, filled when a screen is shown.
    UIComponent* m_up = nullptr;
    UIComponent* m_down = nullptr;
    UIComponent* m_left = nullptr;
    UIComponent* m_right = nullptr;
    // Centre of the widget: x in window widths, y in usable heights; z goes to the object.
    Vector m_position{0.0f, 0.0f, 0.0f};
    Vector m_scale{0.0f, 0.0f, 0.0f};
    // In 1024-wide units; for texts the size of one letter.
    f32 m_width = 0.0f;
    f32 m_height = 0.0f;
    bool m_active = false;
    bool m_mouseActivated = false;

  protected:
    // The window size and pixels per unit of the owning process (0 without one).
    struct Screen {
        f32 width = 0.0f;
        f32 height = 0.0f;
        f32 unit = 0.0f;   // pixels per unit of the 1024-wide screen
        f32 usable = 0.0f; // the usable height, at most 16:10 of the width
        f32 top = 0.0f;    // where the usable area starts
    };
    Screen ScreenSpace() const;
    WidgetGraphics& Graphics() const;
    // The owner's first sprites in chain order, null past the end of the chain.
    std::array<Component*, kMaxSprites> Sprites(u32 count = kMaxSprites) const;
    // Shows exactly the listed sprites of the first count.
    void ShowSprites(u32 count, std::initializer_list<u32> visible) const;
    // The owner's position, or the origin without an owner.
    Vector OwnerPosition() const;
    // Whether (x, y) lies in the box from the owner's corner, width w and height h pixels.
    bool InBox(i32 x, i32 y, f32 w, f32 h) const;
    // Sets the size, scale and place listed for the element name.
    void ApplyNameTable();
};

// Gives a widget class its own pool instead of the one of UIComponent's size.
template <class T, class Base = UIComponent>
class PooledUIComponent : public Base, public Allocator<T> {
  public:
    using Base::Base;
    using Allocator<T>::operator new;
    using Allocator<T>::operator delete;
};

class ButtonUIComponent : public PooledUIComponent<ButtonUIComponent> {
  public:
    using PooledUIComponent::PooledUIComponent;
    void Update(float dt) override;
    void InitializeByName() override;
    bool HitTest(i32 x, i32 y) override;
    void ShowHighlight() override;
};

class CheckBoxUIComponent : public PooledUIComponent<CheckBoxUIComponent> {
  public:
    using PooledUIComponent::PooledUIComponent;
    void Update(float dt) override;
    void InitializeByName() override;
    bool HitTest(i32 x, i32 y) override;
    void ShowHighlight() override;
    void Toggle() override;

    bool m_checked = false;
};

class SliderUIComponent : public PooledUIComponent<SliderUIComponent> {
  public:
    // Takes its steps from its element's table entry at once, so a page filled before the
    // widget is placed already snaps to them.
    explicit SliderUIComponent(std::string elementName);
    void Update(float dt) override;
    void InitializeByName() override;
    bool HitTest(i32 x, i32 y) override;
    void ShowHighlight() override;
    void Activate(bool byMouse) override;
    void Deactivate() override { m_active = false; }
    void BeginDrag(i32 x, i32 y) override;
    // With the mouse x is the cursor's x; from the keyboard a signed speed (pixels a frame).
    void Drag(i32 x, i32 y) override;

    // The position of the knob on a stepped slider, 0 .. m_steps.
    i32 GetStep() const;
    void SetStep(i32 step);
    void Snap();

    f32 m_value = 1.0f;
    // Unclamped while dragging, so a knob pushed past an end waits for the way back.
    f32 m_rawValue = 0.0f;
    i32 m_dragX = 0;
    i32 m_dragY = 0;
    // Intervals of a stepped slider; 0 for a continuous one.
    i32 m_steps = 0;
    f32 m_knobWidth = 0.0f;
    f32 m_knobHeight = 0.0f;

  private:
    void ClampAndSnap();
};

class TextUIComponent : public PooledUIComponent<TextUIComponent> {
  public:
    TextUIComponent(std::string elementName, std::string text);
    // Takes a displayed text off the screen.
    ~TextUIComponent() override;
    TextUIComponent(const TextUIComponent&) = delete;
    TextUIComponent& operator=(const TextUIComponent&) = delete;

    void InitializeByName() override;
    void Layout() override;
    // Replaces the text on screen: a displayed one is withdrawn first. The widget counts as
    // displayed afterwards, so it never owns more than one text on screen.
    void SetText(const std::string& text);

    std::string m_text;
    TextGraphicStruct m_textGraphic;
    bool m_displayed = false;

  protected:
    // Shows the text when it is not on screen yet.
    void DisplayOnce();
    // Sets the corners of the text and has the renderer spread the letters between them.
    void PlaceText(f32 x1, f32 y1, f32 x2, f32 y2);

  private:
    void Display();
    void Withdraw();
};

class InputUIComponent : public PooledUIComponent<InputUIComponent, TextUIComponent> {
  public:
    using PooledUIComponent::PooledUIComponent;
    void Update(float dt) override;
    void InitializeByName() override;
    bool HitTest(i32 x, i32 y) override;
    void ShowHighlight() override;
    void Activate(bool byMouse) override;
    void Deactivate() override { m_active = false; }
    void Layout() override;

    f32 m_letterWidth = 0.0f;
    f32 m_letterHeight = 0.0f;
    Vector m_textScale{0.0f, 0.0f, 0.0f};
};
