#include "game/shell_globals.h"

#include "core/asset_paths.h"

i32 g_render_width = 1024;
i32 g_render_height = 640;
window::EventHook g_editor_dialog;
bool g_editor_test = false;
std::string g_feature_film_level = asset_path::kDefaultLevel;
