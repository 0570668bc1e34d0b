#pragma once
// Textures and the surfaces drawn into.
//
// A file texture is made from a decoded image on any thread and keeps its pixels until its
// first bind on the render thread, which uploads them (with mipmaps) and lets them go. A
// render-target texture is made by the device; its level 0 is a Surface that can be set as
// a render target. A depth-stencil surface (D24S8) is a Surface of its own.
#include <memory>

#include "platform/gfx/image.h"
#include "platform/system/types.h"

namespace gfx {

class Device;

enum class Format { RGBA8, R32F, RGBA16F, RGBA32F, D24S8 };

// The unit that creation and uploads bind to, so they never disturb the stages' bindings.
u32 ScratchTextureUnit();

class Surface {
  public:
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    i32 Width() const { return m_width; }
    i32 Height() const { return m_height; }
    Format GetFormat() const { return m_format; }
    // Never reused, so caches can key on it after the surface is gone.
    u64 Id() const { return m_id; }
    u32 GLName() const { return m_name; }
    bool IsDepthStencil() const { return m_format == Format::D24S8; }

  private:
    friend class Device;
    friend class Texture;
    Surface(Device* device, u32 name, i32 width, i32 height, Format format);

    Device* m_device;
    u32 m_name;
    i32 m_width;
    i32 m_height;
    Format m_format;
    u64 m_id;
};

class Texture {
  public:
    // Any thread; nothing touches GL until the first bind.
    static std::unique_ptr<Texture> FromImage(Image image, bool mipmaps = true);
    // A plain 2D texture of R, G, B bytes whose pixels are replaced in place, frame after
    // frame (videos); any thread, nothing in GL until the first update or bind.
    static std::unique_ptr<Texture> CreateStreaming(i32 width, i32 height);
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    ImageKind Kind() const { return m_kind; }
    i32 Width() const { return m_width; }
    i32 Height() const { return m_height; }
    i32 Depth() const { return m_depth; }
    Format GetFormat() const { return m_format; }
    u32 Levels() const { return m_levels; }
    // True once the pixels have gone to GL.
    bool IsUploaded() const { return m_name != 0; }
    // Level 0 of a render-target texture; null for file textures.
    Surface* GetSurface() const { return m_surface.get(); }

    // Render thread: the GL texture, uploading the kept pixels first if needed.
    u32 GLName();
    // The GL binding target (2D, cube map or 3D).
    u32 GLTarget() const;
    // Render thread, streaming textures: the new pixels, R, G, B bytes with rows of width x 3
    // bytes from the top of the image down. A new size remakes the level.
    void UpdateRgb(const u8* rgb, i32 width, i32 height);

  private:
    friend class Device;
    Texture() = default;
    // A render target with `levels` mip levels (1 at least), on the render thread.
    static std::unique_ptr<Texture> CreateTarget(Device* device, i32 width, i32 height,
                                                 Format format, u32 levels);
    void Upload();

    ImageKind m_kind = ImageKind::Texture2D;
    Format m_format = Format::RGBA8;
    i32 m_width = 0;
    i32 m_height = 0;
    i32 m_depth = 1;
    u32 m_levels = 1;
    bool m_mipmaps = false;
    bool m_streaming = false;
    u32 m_name = 0;
    Image m_pending;
    std::unique_ptr<Surface> m_surface;
};

} // namespace gfx
