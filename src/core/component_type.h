#pragma once
// The component kinds of object definitions. The names are those written in
// game_objects.xml, so the order of the values is part of the file format.

#include <string>

#include "core/types.h"

struct ComponentType {
    enum Value : u32 {
        Graphic = 0,
        ParticleSystem,
        Sprite,
        Light,
        Physics,
        Player,
        PlayerChild,
        AIView,
        SpawnPoint,
        Bullet,
        Joint,
        AnimationController,
        SoundPlayer,
        UIElement,
        UIButton,
        UICheckBox,
        UISlider,
        UIDropDown,
        UIInput,
        UIText,
        Building,
        GameLogic,
        Trigger,
        Invalid,
    };
    static constexpr u32 kCount = Invalid + 1;

    constexpr ComponentType() = default;
    constexpr ComponentType(Value v) : value(v) {}
    // Values from files and messages arrive as plain numbers; anything unknown is Invalid.
    constexpr explicit ComponentType(u32 v) : value(v < kCount ? static_cast<Value>(v) : Invalid) {}
    constexpr operator Value() const { return value; }

    // Exact, case-sensitive match against "Graphic" .. "Trigger"; Invalid when none matches.
    static ComponentType FromName(const std::string& name);
    // The type's name; "Invalid" for Invalid and anything out of range.
    static const char* Name(u32 type);
    const char* Name() const { return Name(value); }

    Value value = Invalid;
};
