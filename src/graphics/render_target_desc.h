#pragma once
// An off-screen render target: a texture with its size, format and viewport, and either a
// depth-stencil surface of its own or the depth of whatever is bound (the back buffer's).
// Used by the shadow maps, the post-process chain and the forward scene target.
//
// BeginOffscreenTarget draws into it and RestoreBackBuffer puts back what was bound before.
#include <memory>

#include "core/types.h"
#include "platform/gfx/device.h"

class RenderTargetDesc {
  public:
    // mipLevels 0 asks for the whole chain (used only with shared depth; an own-depth target
    // is one level of R32F). depthFormat is recorded only: own depth is always D24S8.
    RenderTargetDesc(gfx::Device* device, u32 width, u32 height, u32 mipLevels,
                     gfx::Format colourFormat, u8 creator, gfx::Format depthFormat,
                     const gfx::Viewport& viewport, bool ownDepthBuffer);
    ~RenderTargetDesc();
    RenderTargetDesc(const RenderTargetDesc&) = delete;
    RenderTargetDesc& operator=(const RenderTargetDesc&) = delete;

    // Makes the texture (and the depth surface) for the current size; false without a device.
    bool Create();
    void Release();
    // Takes the back buffer's size and the given viewport; Create makes the new targets.
    void ResizeToScreen(const gfx::Viewport& viewport);

    gfx::Texture* Texture() const { return m_texture.get(); }
    gfx::Surface* Surface() const {
        return m_texture != nullptr ? m_texture->GetSurface() : nullptr;
    }
    gfx::Surface* DepthSurface() const { return m_depth_surface.get(); }
    u32 Width() const { return m_width; }
    u32 Height() const { return m_height; }
    u32 MipLevels() const { return m_mip_levels; }
    gfx::Format ColourFormat() const { return m_colour_format; }
    gfx::Format DepthFormat() const { return m_depth_format; }
    const gfx::Viewport& GetViewport() const { return m_viewport; }
    // The rectangle BeginOffscreenTarget binds and clears next (own depth only): a part of
    // the target, as one tile of the shadow atlas.
    void SetViewport(const gfx::Viewport& viewport) { m_viewport = viewport; }
    bool OwnDepthBuffer() const { return m_own_depth_buffer != 0; }
    u8 Creator() const { return m_creator; }

  private:
    friend void BeginOffscreenTarget(gfx::Device& device, RenderTargetDesc& target);
    friend void RestoreBackBuffer(gfx::Device& device, RenderTargetDesc& target);

    gfx::Device* m_device;
    std::unique_ptr<gfx::Texture> m_texture;
    std::unique_ptr<gfx::Surface> m_depth_surface;
    u32 m_width;
    u32 m_height;
    u32 m_mip_levels;
    gfx::Format m_colour_format;
    u8 m_creator;
    gfx::Format m_depth_format;
    gfx::Viewport m_viewport;
    u8 m_own_depth_buffer;

    // What BeginOffscreenTarget found bound, for RestoreBackBuffer.
    gfx::Surface* m_kept_depth = nullptr;
    gfx::Surface* m_kept_target = nullptr;
    gfx::Viewport m_kept_viewport;
};

// Own depth: keeps the viewport, target 0 and depth surface, binds the target with its
// depth and viewport and clears it (white, depth 1, stencil 0). Shared depth: keeps target 0
// and binds the texture's level 0 as target 0, without clearing.
void BeginOffscreenTarget(gfx::Device& device, RenderTargetDesc& target);
// Puts back what BeginOffscreenTarget kept.
void RestoreBackBuffer(gfx::Device& device, RenderTargetDesc& target);
