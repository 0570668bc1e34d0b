#include "graphics/render_settings.h"

RenderSettings g_render_settings;

f32 g_shadow_map_size = 1024.0f;
f32 g_shadow_map_texel_size = 1.0f / 1024.0f;
u32 g_shadow_split_count = 3;
u32 g_processor_count = 1;
GraphicsProcess* g_graphics = nullptr;
