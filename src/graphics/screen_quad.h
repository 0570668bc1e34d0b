#pragma once
// The quad that covers render target 0 exactly: pixel positions from -0.5, so every pixel
// centre samples the matching texel centre of a texture of the target's size.
namespace gfx {
class Device;
}

void DrawScreenQuad(gfx::Device& device);
// The same after setting stage 0's minification and magnification filters to linear.
void DrawScreenQuadLinear(gfx::Device& device);
