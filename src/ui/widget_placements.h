#pragma once
// Where each element of the screens sits and how big it is, by class: the place of its centre
// (x in window widths, y in usable heights), and the values that differ from the class's
// defaults. A zero size or scale keeps the default.
#include <string>

#include "core/types.h"

enum class WidgetClass { Element, Button, CheckBox, Slider, Text, Input };

struct WidgetPlacement {
    const char* name;
    f32 x = 0.0f;
    f32 y = 0.0f;
    f32 z = 0.0f;
    f32 width = 0.0f;
    f32 height = 0.0f;
    f32 scaleX = 0.0f;
    f32 scaleY = 0.0f;
    // Slider positions (0: continuous).
    i32 steps = 0;
    // Input fields: the letter scale inside the box.
    f32 textScaleX = 0.0f;
    f32 textScaleY = 0.0f;
};

// The placement listed for the element name in the class's table, or null.
const WidgetPlacement* FindPlacement(WidgetClass widgetClass, const std::string& name);
