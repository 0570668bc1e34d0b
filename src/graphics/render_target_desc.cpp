#include "graphics/render_target_desc.h"

#include <algorithm>
#include <bit>

RenderTargetDesc::RenderTargetDesc(gfx::Device* device, u32 width, u32 height, u32 mipLevels,
                                   gfx::Format colourFormat, u8 creator, gfx::Format depthFormat,
                                   const gfx::Viewport& viewport, bool ownDepthBuffer)
    : m_device(device), m_width(width), m_height(height), m_mip_levels(mipLevels),
      m_colour_format(colourFormat), m_creator(creator), m_depth_format(depthFormat),
      m_viewport(viewport), m_own_depth_buffer(ownDepthBuffer ? 1 : 0) {}

RenderTargetDesc::~RenderTargetDesc() {
    Release();
}

bool RenderTargetDesc::Create() {
    if (m_device == nullptr) {
        return false;
    }
    Release();
    const i32 width = static_cast<i32>(std::max(m_width, 1u));
    const i32 height = static_cast<i32>(std::max(m_height, 1u));
    if (m_own_depth_buffer != 0) {
        m_texture = m_device->CreateRenderTexture(width, height, gfx::Format::R32F, 1);
        m_depth_surface = m_device->CreateDepthStencil(width, height);
    } else {
        const u32 levels =
            m_mip_levels != 0
                ? m_mip_levels
                : static_cast<u32>(std::bit_width(static_cast<u32>(std::max(width, height))));
        m_texture = m_device->CreateRenderTexture(width, height, m_colour_format, levels);
    }
    return true;
}

void RenderTargetDesc::Release() {
    m_texture.reset();
    m_depth_surface.reset();
    m_kept_depth = nullptr;
    m_kept_target = nullptr;
}

void RenderTargetDesc::ResizeToScreen(const gfx::Viewport& viewport) {
    if (m_device != nullptr) {
        m_width = static_cast<u32>(m_device->BackBufferWidth());
        m_height = static_cast<u32>(m_device->BackBufferHeight());
    }
    m_viewport = viewport;
}

void BeginOffscreenTarget(gfx::Device& device, RenderTargetDesc& target) {
    target.m_kept_target = device.GetRenderTarget(0);
    if (target.m_own_depth_buffer != 0) {
        target.m_kept_viewport = device.GetViewport();
        target.m_kept_depth = device.GetDepthStencil();
        device.SetRenderTarget(0, target.Surface());
        device.SetDepthStencil(target.m_depth_surface.get());
        device.SetViewport(target.m_viewport);
        device.Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFFFFFFFFu, 1.0f, 0);
    } else {
        device.SetRenderTarget(0, target.Surface());
    }
}

void RestoreBackBuffer(gfx::Device& device, RenderTargetDesc& target) {
    gfx::Surface* const previous =
        target.m_kept_target != nullptr ? target.m_kept_target : device.BackBufferSurface();
    if (target.m_own_depth_buffer != 0) {
        device.SetDepthStencil(target.m_kept_depth);
        device.SetRenderTarget(0, previous);
        device.SetViewport(target.m_kept_viewport);
    } else {
        device.SetRenderTarget(0, previous);
    }
    target.m_kept_depth = nullptr;
    target.m_kept_target = nullptr;
}
