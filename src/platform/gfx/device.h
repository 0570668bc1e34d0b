#pragma once
// The rendering device: the OpenGL 3.3 context of the game window with our own back buffer,
// a framebuffer object with a colour texture and a depth-stencil attachment. Everything is
// drawn into the back buffer with row 0 at the top of the image; Present shows it in the
// window (flipped once, to the window's bottom-up rows) and swaps.
//
// A device belongs to the thread that created it; other threads only prepare data for it.
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <unordered_set>
#include <vector>

#include "platform/gfx/frame_pacer.h"
#include "platform/gfx/render_states.h"
#include "platform/gfx/texture.h"
#include "platform/system/types.h"

namespace window {
class Window;
}

namespace gfx {

class Buffer;
class IndexBuffer;
class Program;
class VertexBuffer;

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

enum class PrimitiveType {
    PointList,
    LineList,
    LineStrip,
    TriangleList,
    TriangleStrip,
    TriangleFan
};

// The vertex layouts the renderer draws with. Object: position, tangent, binormal, normal
// (3 floats each) and one texture coordinate, 56 bytes. ScreenTexture: a pixel position
// (x, y, z, rhw) and one texture coordinate, 24 bytes. ColourTexture: position, a packed
// A8R8G8B8 colour and one texture coordinate, 24 bytes; FadingQuad is laid out the same.
// Colour: position and packed colour, 16 bytes.
enum class VertexLayout { Object, ScreenTexture, ColourTexture, Colour, FadingQuad };
inline constexpr u32 kVertexLayoutCount = 5;
u32 VertexStride(VertexLayout layout);

enum class TransformKind { World, View, Projection };

// Everything drawn goes through the device: render and sampler states (normally through the
// renderer's state cache), targets, textures on stages 0 to 7 (GL units 0 to 7; higher units
// are left to effects), buffers and draws. Draws with no program of the caller's use the
// built-in programs: pixel-positioned quads on stage 0, vertex-colour geometry and flat or
// lit objects placed with SetTransform.
class Device : public StateDevice {
  public:
    // Null, with the reason in *error when given, if the window has no context, the context
    // is older than 3.3 or the back buffer cannot be made.
    static std::unique_ptr<Device> Create(window::Window& window, std::string* error = nullptr);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // States, as the game numbers them. Set writes GL at once; the device's own copy starts
    // at the defaults the game expects of a new device and answers Get.
    void SetRenderState(u32 state, u32 value) override;
    u32 GetRenderState(u32 state) const override;
    void SetSamplerState(u32 sampler, u32 state, u32 value) override;
    u32 GetSamplerState(u32 sampler, u32 state) const override;

    // Targets. Render target 0 or 1; setting target 0 resets the viewport to all of it,
    // and a null target 1 leaves one draw buffer. The depth-stencil surface stays until it
    // is set again, so targets share the back buffer's depth unless given their own.
    std::unique_ptr<Texture> CreateRenderTexture(i32 width, i32 height, Format format,
                                                 u32 levels = 1);
    std::unique_ptr<Surface> CreateDepthStencil(i32 width, i32 height);
    void SetRenderTarget(u32 index, Surface* surface);
    Surface* GetRenderTarget(u32 index) const { return index < 2 ? m_targets[index] : nullptr; }
    void SetDepthStencil(Surface* surface);
    Surface* GetDepthStencil() const { return m_depth; }
    Surface* BackBufferSurface() const;
    Surface* BackBufferDepth() const { return m_back_depth.get(); }
    // Whether the framebuffer of the bound targets is complete.
    bool TargetsComplete() const { return m_targets_complete; }

    // Stage 0..7; a file texture is uploaded here on its first use.
    void SetTexture(u32 stage, Texture* texture);
    Texture* GetTexture(u32 stage) const {
        return stage < kSamplerStageCount ? m_stages[stage].texture : nullptr;
    }

    // Geometry.
    void SetVertexLayout(VertexLayout layout) { m_layout = layout; }
    VertexLayout GetVertexLayout() const { return m_layout; }
    void SetStreamSource(VertexBuffer* buffer, u32 stride);
    void SetIndices(IndexBuffer* buffer) { m_indices = buffer; }
    void DrawPrimitive(PrimitiveType type, u32 startVertex, u32 primitiveCount);
    void DrawIndexedPrimitive(PrimitiveType type, i32 baseVertex, u32 startIndex,
                              u32 primitiveCount);
    // Vertices from memory, through one streaming buffer.
    void DrawPrimitiveUP(PrimitiveType type, u32 primitiveCount, const void* vertices, u32 stride);

    // The fixed transforms and lighting of the built-in programs; matrices row-major.
    void SetTransform(TransformKind kind, const float matrix[16]);
    // The colour of objects drawn without vertex colours (white at start).
    void SetMaterialColour(const float rgba[4]);
    // The direction light travels in, for objects drawn while LIGHTING is on.
    void SetLightDirection(const float xyz[3]);
    // A program of the caller's (an effect pass) in place of the built-in ones; 0 for none.
    void SetProgram(u32 program) { m_program = program; }

    // The vertex array objects of the layouts; made by Create, kept until Release.
    void CreateVertexDeclarations();
    void ReleaseVertexDeclarations();

    DeviceStatus CheckStatus();
    // Rebuilds the back buffer at the window's current drawable size; false when it cannot.
    bool Reset();

    // Render target 0 = the back buffer, no target 1, the back buffer's depth; the viewport
    // covers all of it.
    void SetBackBufferTarget();
    void SetViewport(const Viewport& viewport);
    const Viewport& GetViewport() const { return m_viewport; }
    // Clears the viewport rectangle of the bound target. colour is A8R8G8B8.
    void Clear(u32 flags, u32 argb, float z, u32 stencil);

    // Copies the back buffer into the window, then swaps; where the swap does not wait for
    // the display's refresh, waits out the rest of the refresh period.
    void Present();
    // Done by Present in place of the copy into the window while set (the level editor shows
    // its panel beside the game view); empty restores the copy.
    void SetPresentCopy(std::function<void()> copy) { m_present_copy = std::move(copy); }
    // The picture last shown, R, G, B, A bytes with row 0 at the top, and its size: the back
    // buffer, or what the reader set here answers (the editor's game view and panel).
    using PictureReader = std::function<std::vector<u8>(i32& width, i32& height)>;
    void SetPictureReader(PictureReader reader) { m_picture_reader = std::move(reader); }
    std::vector<u8> ReadPicture(i32& width, i32& height) const;
    const FramePacer& Pacer() const { return m_pacer; }
    // Waits until every command given so far has run: for measuring what one pass costs,
    // never in a frame that is not being measured.
    void Finish();
    // The copy alone, leaving the window's back buffer filled (tests read it).
    void CopyToWindow();

    // The back buffer as R, G, B, A bytes, row 0 at the top.
    std::vector<u8> ReadBackBuffer() const;
    // A colour surface as R, G, B, A bytes or as four floats a pixel, row 0 at the top.
    std::vector<u8> ReadSurface(const Surface& surface) const;
    std::vector<float> ReadSurfaceFloats(const Surface& surface) const;
    // The window's own back buffer as R, G, B, A bytes, row 0 at the bottom as GL keeps it.
    std::vector<u8> ReadWindowBuffer() const;

    i32 BackBufferWidth() const { return m_width; }
    i32 BackBufferHeight() const { return m_height; }
    // The GL name of the back buffer's framebuffer and of its depth-stencil renderbuffer, so
    // other targets can share that depth as the game expects.
    u32 BackBufferFramebuffer() const { return m_framebuffer; }
    u32 DepthStencilBuffer() const;
    const std::string& RendererName() const { return m_renderer; }
    // Whether the calling thread is the one that made the device (and holds its context).
    bool OnRenderThread() const { return std::this_thread::get_id() == m_thread; }
    window::Window& GetWindow() const { return m_window; }

    // Stand-ins for events a test cannot cause: a minimised window and a lost context.
    void InjectLoss(bool lost) { m_injected_loss = lost; }
    void InjectDriverError() { m_injected_driver_error = true; }

  private:
    friend class Surface;
    struct Stage {
        Texture* texture = nullptr;
        u32 target = 0; // the GL target bound on the unit, 0 for none
        u32 sampler = 0;
    };
    using FramebufferKey = std::tuple<u64, u64, u64>;

    explicit Device(window::Window& window);
    bool CreateBackBuffer(i32 width, i32 height);
    void DestroyBackBuffer();
    std::vector<u8> ReadFramebuffer(u32 framebuffer, u32 attachment, i32 width, i32 height) const;
    void ReadSurfacePixels(const Surface& surface, u32 type, void* out) const;
    std::unique_ptr<Surface> NewSurface(u32 name, i32 width, i32 height, Format format);
    void ForgetSurface(const Surface& surface);
    u32 FramebufferFor(Surface* colour0, Surface* colour1, Surface* depth);
    void BindTargets();
    void ApplyDefaultStates();
    void ApplySampler(u32 stage);
    // Binds the program and the layout's attributes for a draw from the bound buffer.
    bool PrepareDraw();
    void SetAttributes(u32 stride);

    window::Window& m_window;
    const std::thread::id m_thread = std::this_thread::get_id();
    std::string m_renderer;
    u32 m_framebuffer = 0;
    std::unique_ptr<Texture> m_back_colour;
    std::unique_ptr<Surface> m_back_depth;
    std::unordered_set<Surface*> m_surfaces;
    std::map<FramebufferKey, u32> m_framebuffers;
    std::array<Surface*, 2> m_targets{};
    Surface* m_depth = nullptr;
    u32 m_bound_framebuffer = 0;
    bool m_targets_complete = true;

    std::array<u32, kRenderStateCount> m_render_states{};
    std::array<std::array<u32, kSamplerStateCount>, kSamplerStageCount> m_sampler_states{};
    std::array<Stage, kSamplerStageCount> m_stages{};

    VertexLayout m_layout = VertexLayout::Object;
    VertexBuffer* m_stream = nullptr;
    u32 m_stream_stride = 0;
    IndexBuffer* m_indices = nullptr;
    std::array<u32, kVertexLayoutCount> m_vertex_arrays{};
    u32 m_streaming_buffer = 0;
    u32 m_program = 0;
    // Built on the first draw that needs them.
    bool m_programs_built = false;
    std::unique_ptr<Program> m_screen_program;
    std::unique_ptr<Program> m_unlit_program;
    std::unique_ptr<Program> m_lit_program;
    float m_world[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float m_view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float m_projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float m_material[4] = {1, 1, 1, 1};
    float m_light_direction[4] = {0, -1, 0, 0};

    i32 m_width = 0;
    i32 m_height = 0;
    Viewport m_viewport;
    bool m_reset_status_query = false;
    bool m_was_lost = false;
    bool m_context_lost = false;
    bool m_injected_loss = false;
    bool m_injected_driver_error = false;
    FramePacer m_pacer;
    std::function<void()> m_present_copy;
    PictureReader m_picture_reader;
};

} // namespace gfx
