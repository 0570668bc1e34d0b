#include "platform/gfx/device.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstring>

#include "platform/gfx/buffer.h"
#include "platform/gfx/program.h"
#include "platform/window/window.h"

namespace gfx {
namespace {

void SetError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
}

float Channel(u32 argb, int shift) {
    return static_cast<float>((argb >> shift) & 0xFFu) / 255.0f;
}

} // namespace

std::unique_ptr<Device> Device::Create(window::Window& window, std::string* error) {
    if (window.GLContext() == nullptr || !window.MakeCurrent()) {
        SetError(error, std::string("no OpenGL context: ") + SDL_GetError());
        return nullptr;
    }
    const int version = epoxy_gl_version();
    if (version < 33 || epoxy_is_desktop_gl() == 0) {
        SetError(error, "OpenGL 3.3 is not available (version " + std::to_string(version) + ")");
        return nullptr;
    }
    std::unique_ptr<Device> device(new Device(window));
    if (const GLubyte* name = glGetString(GL_RENDERER)) {
        device->m_renderer = reinterpret_cast<const char*>(name);
    }
    device->m_reset_status_query = version >= 45 || epoxy_has_gl_extension("GL_KHR_robustness") ||
                                   epoxy_has_gl_extension("GL_ARB_robustness");
    // Present waits for the display's refresh where the driver offers that; elsewhere the
    // pacer does the waiting.
    const bool swapWaits = SDL_GL_SetSwapInterval(1) == 0 && SDL_GL_GetSwapInterval() != 0;
    device->m_pacer.SetSwapWaits(swapWaits);
    SDL_DisplayMode mode;
    const int display = SDL_GetWindowDisplayIndex(window.Sdl());
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0) {
        device->m_pacer.SetRefreshRate(mode.refresh_rate);
    }

    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window.Sdl(), &width, &height);
    if (!device->CreateBackBuffer(width, height)) {
        SetError(error, "the back buffer cannot be created");
        return nullptr;
    }
    device->CreateVertexDeclarations();
    device->ApplyDefaultStates();
    device->SetBackBufferTarget();
    return device;
}

Device::Device(window::Window& window) : m_window(window) {}

Device::~Device() {
    if (m_window.MakeCurrent()) {
        DestroyBackBuffer();
        for (const auto& [key, framebuffer] : m_framebuffers) {
            glDeleteFramebuffers(1, &framebuffer);
        }
        for (Stage& stage : m_stages) {
            if (stage.sampler != 0) {
                glDeleteSamplers(1, &stage.sampler);
            }
        }
        ReleaseVertexDeclarations();
        if (m_streaming_buffer != 0) {
            glDeleteBuffers(1, &m_streaming_buffer);
        }
        m_screen_program.reset();
        m_unlit_program.reset();
        m_lit_program.reset();
    }
    // Surfaces that outlive the device no longer report to it.
    for (Surface* surface : m_surfaces) {
        surface->m_device = nullptr;
    }
}

bool Device::CreateBackBuffer(i32 width, i32 height) {
    m_width = width > 0 ? width : 1;
    m_height = height > 0 ? height : 1;
    m_back_colour = CreateRenderTexture(m_width, m_height, Format::RGBA8);
    m_back_depth = CreateDepthStencil(m_width, m_height);
    m_framebuffer = FramebufferFor(m_back_colour->GetSurface(), nullptr, m_back_depth.get());
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    m_bound_framebuffer = 0;
    if (!complete) {
        DestroyBackBuffer();
    }
    return complete;
}

void Device::DestroyBackBuffer() {
    m_back_colour.reset();
    m_back_depth.reset();
    m_framebuffer = 0;
}

Surface* Device::BackBufferSurface() const {
    return m_back_colour != nullptr ? m_back_colour->GetSurface() : nullptr;
}

u32 Device::DepthStencilBuffer() const {
    return m_back_depth != nullptr ? m_back_depth->GLName() : 0;
}

std::unique_ptr<Surface> Device::NewSurface(u32 name, i32 width, i32 height, Format format) {
    std::unique_ptr<Surface> surface(new Surface(this, name, width, height, format));
    m_surfaces.insert(surface.get());
    return surface;
}

std::unique_ptr<Texture> Device::CreateRenderTexture(i32 width, i32 height, Format format,
                                                     u32 levels) {
    std::unique_ptr<Texture> texture = Texture::CreateTarget(this, width, height, format, levels);
    m_surfaces.insert(texture->GetSurface());
    return texture;
}

std::unique_ptr<Surface> Device::CreateDepthStencil(i32 width, i32 height) {
    GLuint name = 0;
    glGenRenderbuffers(1, &name);
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, std::max(width, 1),
                          std::max(height, 1));
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    return NewSurface(name, std::max(width, 1), std::max(height, 1), Format::D24S8);
}

void Device::ForgetSurface(const Surface& surface) {
    m_surfaces.erase(const_cast<Surface*>(&surface));
    const u64 id = surface.Id();
    for (auto it = m_framebuffers.begin(); it != m_framebuffers.end();) {
        const auto& [c0, c1, depth] = it->first;
        if (c0 == id || c1 == id || depth == id) {
            if (it->second == m_bound_framebuffer) {
                glBindFramebuffer(GL_FRAMEBUFFER, 0);
                m_bound_framebuffer = 0;
            }
            glDeleteFramebuffers(1, &it->second);
            it = m_framebuffers.erase(it);
        } else {
            ++it;
        }
    }
    for (Surface*& target : m_targets) {
        if (target == &surface) {
            target = nullptr;
        }
    }
    if (m_depth == &surface) {
        m_depth = nullptr;
    }
}

u32 Device::FramebufferFor(Surface* colour0, Surface* colour1, Surface* depth) {
    const FramebufferKey key{colour0 != nullptr ? colour0->Id() : 0,
                             colour1 != nullptr ? colour1->Id() : 0,
                             depth != nullptr ? depth->Id() : 0};
    if (const auto found = m_framebuffers.find(key); found != m_framebuffers.end()) {
        return found->second;
    }
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    GLenum buffers[2] = {GL_NONE, GL_NONE};
    GLsizei count = 0;
    if (colour0 != nullptr) {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                               colour0->GLName(), 0);
        buffers[count++] = GL_COLOR_ATTACHMENT0;
    }
    if (colour1 != nullptr) {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1, GL_TEXTURE_2D,
                               colour1->GLName(), 0);
        buffers[count++] = GL_COLOR_ATTACHMENT1;
    }
    if (depth != nullptr) {
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  depth->GLName());
    }
    if (count > 0) {
        glDrawBuffers(count, buffers);
    } else {
        glDrawBuffer(GL_NONE);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_bound_framebuffer);
    m_framebuffers.emplace(key, framebuffer);
    return framebuffer;
}

void Device::BindTargets() {
    Surface* colour0 = m_targets[0] != nullptr ? m_targets[0] : BackBufferSurface();
    const u32 framebuffer = FramebufferFor(colour0, m_targets[1], m_depth);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    m_bound_framebuffer = framebuffer;
    m_targets_complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void Device::SetRenderTarget(u32 index, Surface* surface) {
    if (index >= m_targets.size() || (surface != nullptr && surface->IsDepthStencil())) {
        return;
    }
    m_targets[index] = surface;
    BindTargets();
    if (index == 0 && surface != nullptr) {
        SetViewport({0, 0, surface->Width(), surface->Height(), 0.0f, 1.0f});
    }
}

void Device::SetDepthStencil(Surface* surface) {
    if (surface != nullptr && !surface->IsDepthStencil()) {
        return;
    }
    m_depth = surface;
    BindTargets();
}

DeviceStatus Device::CheckStatus() {
    if (!m_context_lost && m_reset_status_query && glGetGraphicsResetStatus() != GL_NO_ERROR) {
        m_context_lost = true;
    }
    // Errors of the frame are drained here so that they do not pile up; only a lost context
    // ends the game.
    for (GLenum e = glGetError(); e != GL_NO_ERROR && !m_context_lost; e = glGetError()) {
        if (e == GL_CONTEXT_LOST) {
            m_context_lost = true;
        }
    }
    if (m_context_lost || m_injected_driver_error) {
        return DeviceStatus::DriverInternalError;
    }
    const bool minimised = (SDL_GetWindowFlags(m_window.Sdl()) & SDL_WINDOW_MINIMIZED) != 0;
    if (m_injected_loss || minimised) {
        m_was_lost = true;
        return DeviceStatus::Lost;
    }
    return m_was_lost ? DeviceStatus::NotReset : DeviceStatus::Ok;
}

bool Device::Reset() {
    if (!m_window.MakeCurrent()) {
        return false;
    }
    DestroyBackBuffer();
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(m_window.Sdl(), &width, &height);
    if (!CreateBackBuffer(width, height)) {
        return false;
    }
    m_was_lost = false;
    SetBackBufferTarget();
    return true;
}

void Device::SetBackBufferTarget() {
    m_targets[1] = nullptr;
    m_depth = m_back_depth.get();
    SetRenderTarget(0, BackBufferSurface());
}

void Device::SetViewport(const Viewport& viewport) {
    m_viewport = viewport;
    // Rows count from the top in our targets and from the bottom in GL's window
    // coordinates; as our row 0 is GL's row 0, the numbers carry over unchanged.
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    glDepthRange(viewport.minZ, viewport.maxZ);
}

void Device::Clear(u32 flags, u32 argb, float z, u32 stencil) {
    GLbitfield mask = 0;
    if ((flags & kClearTarget) != 0) {
        mask |= GL_COLOR_BUFFER_BIT;
        glClearColor(Channel(argb, 16), Channel(argb, 8), Channel(argb, 0), Channel(argb, 24));
    }
    if ((flags & kClearZBuffer) != 0) {
        mask |= GL_DEPTH_BUFFER_BIT;
        glClearDepth(z);
    }
    if ((flags & kClearStencil) != 0) {
        mask |= GL_STENCIL_BUFFER_BIT;
        glClearStencil(static_cast<GLint>(stencil));
    }
    if (mask == 0) {
        return;
    }
    // A clear fills the whole viewport whatever the write masks of the draw state say.
    GLboolean colourMask[4];
    GLboolean depthMask = GL_TRUE;
    GLint stencilMask = 0;
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glGetBooleanv(GL_COLOR_WRITEMASK, colourMask);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    glGetIntegerv(GL_STENCIL_WRITEMASK, &stencilMask);

    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFFFFFFFFu);
    glEnable(GL_SCISSOR_TEST);
    glScissor(m_viewport.x, m_viewport.y, m_viewport.width, m_viewport.height);
    glClear(mask);

    glColorMask(colourMask[0], colourMask[1], colourMask[2], colourMask[3]);
    glDepthMask(depthMask);
    glStencilMask(static_cast<GLuint>(stencilMask));
    if (scissor == GL_FALSE) {
        glDisable(GL_SCISSOR_TEST);
    }
}

void Device::CopyToWindow() {
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(m_window.Sdl(), &width, &height);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    const GLenum filter = (width == m_width && height == m_height) ? GL_NEAREST : GL_LINEAR;
    glBlitFramebuffer(0, 0, m_width, m_height, 0, height, width, 0, GL_COLOR_BUFFER_BIT, filter);
    glBindFramebuffer(GL_FRAMEBUFFER, m_bound_framebuffer);
    if (scissor == GL_TRUE) {
        glEnable(GL_SCISSOR_TEST);
    }
}

void Device::Finish() {
    glFinish();
}

void Device::Present() {
    if (m_present_copy) {
        m_present_copy();
    } else {
        CopyToWindow();
    }
    m_window.SwapBuffers();
    m_pacer.FrameDone();
}

std::vector<u8> Device::ReadFramebuffer(u32 framebuffer, u32 attachment, i32 width,
                                        i32 height) const {
    std::vector<u8> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    GLint previous = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadBuffer(attachment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
    return pixels;
}

std::vector<u8> Device::ReadBackBuffer() const {
    return ReadFramebuffer(m_framebuffer, GL_COLOR_ATTACHMENT0, m_width, m_height);
}

std::vector<u8> Device::ReadPicture(i32& width, i32& height) const {
    if (m_picture_reader) {
        return m_picture_reader(width, height);
    }
    width = m_width;
    height = m_height;
    return ReadBackBuffer();
}

std::vector<u8> Device::ReadWindowBuffer() const {
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(m_window.Sdl(), &width, &height);
    return ReadFramebuffer(0, GL_BACK, width, height);
}

void Device::ReadSurfacePixels(const Surface& surface, u32 type, void* out) const {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                           surface.GLName(), 0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, surface.Width(), surface.Height(), GL_RGBA, type, out);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_bound_framebuffer);
    glDeleteFramebuffers(1, &framebuffer);
}

std::vector<u8> Device::ReadSurface(const Surface& surface) const {
    std::vector<u8> pixels(static_cast<std::size_t>(surface.Width()) * surface.Height() * 4);
    ReadSurfacePixels(surface, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::vector<float> Device::ReadSurfaceFloats(const Surface& surface) const {
    std::vector<float> pixels(static_cast<std::size_t>(surface.Width()) * surface.Height() * 4);
    ReadSurfacePixels(surface, GL_FLOAT, pixels.data());
    return pixels;
}

} // namespace gfx
