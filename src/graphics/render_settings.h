#pragma once
// Process-wide values of the renderer: written by its messages, its debug keys and its
// constructor, read by its passes.

#include "core/types.h"

class GraphicsProcess;

struct RenderSettings {
    f32 exposure = 4.0f;
    f32 pendingExposure = 4.0f;
    u8 exposurePending = 0;
    f32 fogRange = 400.0f;
    // Also the multiplier of the deferred sky.
    f32 lightMultiplier = 1.0f;
    f32 pendingLightMultiplier = 1.0f;
    u8 lightMultiplierPending = 0;
    f32 farDistance = 0.9749f;
    i32 threeDee = 1;
    u8 motionBlur = 1;
    u8 normalDeferredShaderQuality = 1;
    u8 shadows = 1;
    // Messages switch scene updates off and on; each frame copies the switch into
    // sceneUpdate under the device mutex, so one frame never sees it change halfway.
    u8 componentUpdate = 1;
    f32 colourFadeRate = 0.0f;

    // Frame flags.
    u8 sceneUpdate = 1;
    u8 particles = 1;
    // The game starts in the deferred path; F switches to the forward path and back.
    u8 deferred = 1;
    // Both are the negation of the level-editor mode: the first gates the sky depth pass,
    // the off-screen target and post-processing, the second the film dust.
    u8 editorOff = 1;
    u8 editorOffDust = 1;
};

extern RenderSettings g_render_settings;

// Set by the renderer's constructor from the graphics options.
extern f32 g_shadow_map_size;
extern f32 g_shadow_map_texel_size;
extern u32 g_shadow_split_count;
// The worker pools start one thread per processor.
extern u32 g_processor_count;
// The one renderer, while it exists.
extern GraphicsProcess* g_graphics;

inline constexpr f32 kFieldOfView = 0.7853982f;
inline constexpr f32 kAspectRatio = 1.6f;
