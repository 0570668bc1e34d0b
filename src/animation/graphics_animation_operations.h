#pragma once
// The renderer's view of the animation maps (graphics/animation_map_operations.h), served
// by the operations of graphics_animation.h.
class AnimationMapOperations;

// The one instance, lasting the whole program.
AnimationMapOperations& GraphicsAnimationOperations();
// Hands that instance to the renderer.
void RegisterGraphicsAnimationOperations();
