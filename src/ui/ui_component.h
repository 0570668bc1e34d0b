#pragma once
// The user-interface components: a plain element ("UIElement") and the widgets built on it,
// each its own pooled class: button ("UIButton"), check box ("UICheckBox"), slider
// ("UISlider"), text ("UIText") and text input ("UIInput").
#include "core/definition_component.h"
#include "core/memory_allocator.h"

class UIComponent : public DefinitionComponent, public Allocator<UIComponent> {
  public:
    using DefinitionComponent::DefinitionComponent;
};

// Gives a widget class its own pool instead of the one of UIComponent's size.
template <class T> class PooledUIComponent : public UIComponent, public Allocator<T> {
  public:
    using UIComponent::UIComponent;
    using Allocator<T>::operator new;
    using Allocator<T>::operator delete;
};

class ButtonUIComponent : public PooledUIComponent<ButtonUIComponent> {
  public:
    using PooledUIComponent::PooledUIComponent;
};

class CheckBoxUIComponent : public PooledUIComponent<CheckBoxUIComponent> {
  public:
    using PooledUIComponent::PooledUIComponent;
};

class SliderUIComponent : public PooledUIComponent<SliderUIComponent> {
  public:
    using PooledUIComponent::PooledUIComponent;
};

class TextUIComponent : public PooledUIComponent<TextUIComponent> {
  public:
    using PooledUIComponent::PooledUIComponent;
};

class InputUIComponent : public PooledUIComponent<InputUIComponent> {
  public:
    using PooledUIComponent::PooledUIComponent;
};
