#pragma once
// The addresses messages are sent to, defined once for every layer. The Game's own handlers
// sit at the root router, the fixed level ids at a game state's router and object ids (from
// 1000) at the object routers; routing up and down the tree relies on ids growing in that
// order. A new fixed id is added here and nowhere else; processes take their id from this
// table rather than repeating the number.

#include "core/types.h"

using HandlerId = u32;

enum FixedHandlerId : HandlerId {
    HANDLER_GAME = 0,
    HANDLER_GRAPHICS_PROCESS = 1,
    HANDLER_SOUND_PROCESS = 2,
    HANDLER_INPUT_CONTROLS = 3,
    HANDLER_LUA_HANDLER = 4,
    HANDLER_PARSER_PROCESS = 5,
    HANDLER_LEVEL_STATE = 6,
    HANDLER_LEVEL_EDITOR_STATE = 7,
    HANDLER_LEVEL_EDITOR = 8,
    HANDLER_PHYSX_PROCESS = 9,
    // The UI process of the running state (intro, menu or level).
    HANDLER_UI_PROCESS = 10,
    HANDLER_PLAYER_PROCESS = 11,
    HANDLER_AI_VIEW_PROCESS = 12,
    HANDLER_BULLET_PROCESS = 13,
    HANDLER_ANIMATION_PROCESS = 15,
    HANDLER_GAME_LOGIC_PROCESS = 16,
    HANDLER_BUILDING_PROCESS = 17,
    HANDLER_PARTICLE_SYSTEM_SCRIPT_PROCESS = 18,
    HANDLER_GAME_STATE_LOADER_PROCESS = 19,
    HANDLER_RESOURCE_LOADER_PROCESS = 20,
    HANDLER_TRIGGER_PROCESS = 21,
    // Intro and menu states take 22, 23, ... in the order they are built.
    HANDLER_FIRST_SCREEN_STATE = 22,
};

// A process added to a game state without an id of its own takes the next of these.
inline constexpr HandlerId kFirstAutomaticHandlerId = 10;
// The first id a game state gives the objects it builds.
inline constexpr HandlerId kFirstObjectId = 1000;
