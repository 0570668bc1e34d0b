#pragma once
// Process-wide values of the shell that the renderer, the states, the UI and the level
// editor read. The quit and window-active flags are the window layer's (window::g_quit,
// window::g_window_active); the level paths are core's (LevelPath, EditorLevelPath).

#include <string>

#include "core/types.h"
#include "platform/window/window.h"

// The chosen resolution: 1024 x 640 until the Game has picked one.
extern i32 g_render_width;
extern i32 g_render_height;

// The level editor's tool windows: while the game window is inactive every event is offered
// here first and goes no further when it is taken. Empty while no editor is open.
extern window::EventHook g_editor_dialog;

// Set by the level editor's test run: the level state then loads the "_temp" copy of the
// level script.
extern bool g_editor_test;

// The level script the menu's feature film button starts: the story, unless the run asked
// for another one (GORVANE_LEVEL).
extern std::string g_feature_film_level;
