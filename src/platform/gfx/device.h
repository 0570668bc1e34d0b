#pragma once
// The rendering device: the OpenGL 3.3 context of the game window with our own back buffer,
// a framebuffer object with a colour texture and a depth-stencil attachment. Everything is
// drawn into the back buffer with row 0 at the top of the image; Present shows it in the
// window (flipped once, to the window's bottom-up rows) and swaps.
//
// A device belongs to the thread that created it; other threads only prepare data for it.
#include <memory>
#include <string>
#include <vector>

#include "core/types.h"
#include "platform/gfx/frame_pacer.h"

namespace window {
class Window;
}

namespace gfx {

// What the per-frame check finds.
enum class DeviceStatus {
    Ok,
    // Nothing can be shown now (the window is minimised); skip the frame.
    Lost,
    // Drawing can go on once the back buffer has been rebuilt with Reset.
    NotReset,
    // The driver lost the context; nothing drawn from now on can be shown.
    DriverInternalError,
};

enum ClearFlags : u32 {
    kClearTarget = 1,
    kClearZBuffer = 2,
    kClearStencil = 4,
};

// Pixels from the top-left corner of the bound target.
struct Viewport {
    i32 x = 0;
    i32 y = 0;
    i32 width = 0;
    i32 height = 0;
    float minZ = 0.0f;
    float maxZ = 1.0f;
};

class Device {
  public:
    // Null, with the reason in *error when given, if the window has no context, the context
    // is older than 3.3 or the back buffer cannot be made.
    static std::unique_ptr<Device> Create(window::Window& window, std::string* error = nullptr);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    DeviceStatus CheckStatus();
    // Rebuilds the back buffer at the window's current drawable size; false when it cannot.
    bool Reset();

    // Binds the back buffer for drawing and sets the viewport to all of it.
    void SetBackBufferTarget();
    void SetViewport(const Viewport& viewport);
    const Viewport& GetViewport() const { return m_viewport; }
    // Clears the viewport rectangle of the bound target. colour is A8R8G8B8.
    void Clear(u32 flags, u32 argb, float z, u32 stencil);

    // Copies the back buffer into the window, then swaps; where the swap does not wait for
    // the display's refresh, waits out the rest of the refresh period.
    void Present();
    const FramePacer& Pacer() const { return m_pacer; }
    // The copy alone, leaving the window's back buffer filled (tests read it).
    void CopyToWindow();

    // The back buffer as R, G, B, A bytes, row 0 at the top.
    std::vector<u8> ReadBackBuffer() const;
    // The window's own back buffer as R, G, B, A bytes, row 0 at the bottom as GL keeps it.
    std::vector<u8> ReadWindowBuffer() const;

    i32 BackBufferWidth() const { return m_width; }
    i32 BackBufferHeight() const { return m_height; }
    // The GL name of the back buffer's framebuffer and of its depth-stencil renderbuffer, so
    // other targets can share that depth as the game expects.
    u32 BackBufferFramebuffer() const { return m_framebuffer; }
    u32 DepthStencilBuffer() const { return m_depth_stencil; }
    const std::string& RendererName() const { return m_renderer; }
    window::Window& GetWindow() const { return m_window; }

    // Stand-ins for events a test cannot cause: a minimised window and a lost context.
    void InjectLoss(bool lost) { m_injected_loss = lost; }
    void InjectDriverError() { m_injected_driver_error = true; }

  private:
    explicit Device(window::Window& window) : m_window(window) {}
    bool CreateBackBuffer(i32 width, i32 height);
    void DestroyBackBuffer();
    std::vector<u8> ReadFramebuffer(u32 framebuffer, u32 attachment, i32 width, i32 height) const;

    window::Window& m_window;
    std::string m_renderer;
    u32 m_framebuffer = 0;
    u32 m_colour = 0;
    u32 m_depth_stencil = 0;
    i32 m_width = 0;
    i32 m_height = 0;
    Viewport m_viewport;
    bool m_reset_status_query = false;
    bool m_was_lost = false;
    bool m_context_lost = false;
    bool m_injected_loss = false;
    bool m_injected_driver_error = false;
    FramePacer m_pacer;
};

} // namespace gfx
