#include "platform/gfx/device.h"

#include <SDL.h>
#include <epoxy/gl.h>

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
    device->SetBackBufferTarget();
    return device;
}

Device::~Device() {
    if (m_window.MakeCurrent()) {
        DestroyBackBuffer();
    }
}

bool Device::CreateBackBuffer(i32 width, i32 height) {
    m_width = width > 0 ? width : 1;
    m_height = height > 0 ? height : 1;

    glGenTextures(1, &m_colour);
    glBindTexture(GL_TEXTURE_2D, m_colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, m_width, m_height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glBindTexture(GL_TEXTURE_2D, 0);

    glGenRenderbuffers(1, &m_depth_stencil);
    glBindRenderbuffer(GL_RENDERBUFFER, m_depth_stencil);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, m_width, m_height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    glGenFramebuffers(1, &m_framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_colour, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              m_depth_stencil);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete) {
        DestroyBackBuffer();
    }
    return complete;
}

void Device::DestroyBackBuffer() {
    if (m_framebuffer != 0) {
        glDeleteFramebuffers(1, &m_framebuffer);
    }
    if (m_depth_stencil != 0) {
        glDeleteRenderbuffers(1, &m_depth_stencil);
    }
    if (m_colour != 0) {
        glDeleteTextures(1, &m_colour);
    }
    m_framebuffer = 0;
    m_depth_stencil = 0;
    m_colour = 0;
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
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    SetViewport({0, 0, m_width, m_height, 0.0f, 1.0f});
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
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    if (scissor == GL_TRUE) {
        glEnable(GL_SCISSOR_TEST);
    }
}

void Device::Present() {
    CopyToWindow();
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

std::vector<u8> Device::ReadWindowBuffer() const {
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(m_window.Sdl(), &width, &height);
    return ReadFramebuffer(0, GL_BACK, width, height);
}

} // namespace gfx
