#include "platform/gfx/texture.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <atomic>
#include <bit>

#include "platform/gfx/device.h"

namespace gfx {
namespace {

struct GLFormat {
    GLenum internal;
    GLenum format;
    GLenum type;
};

GLFormat ToGL(Format format) {
    switch (format) {
    case Format::R32F:
        return {GL_R32F, GL_RED, GL_FLOAT};
    case Format::RGBA16F:
        return {GL_RGBA16F, GL_RGBA, GL_FLOAT};
    case Format::RGBA32F:
        return {GL_RGBA32F, GL_RGBA, GL_FLOAT};
    case Format::D24S8:
        return {GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8};
    case Format::RGBA8:
        break;
    }
    return {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE};
}

std::atomic<u64> g_next_surface_id{1};

} // namespace

u32 ScratchTextureUnit() {
    static const u32 unit = [] {
        GLint units = 16;
        glGetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &units);
        return static_cast<u32>(std::max(units, 16) - 1);
    }();
    return unit;
}

Surface::Surface(Device* device, u32 name, i32 width, i32 height, Format format)
    : m_device(device), m_name(name), m_width(width), m_height(height), m_format(format),
      m_id(g_next_surface_id++) {}

Surface::~Surface() {
    if (m_device != nullptr) {
        m_device->ForgetSurface(*this);
    }
    // A colour surface is level 0 of its texture, which deletes the GL object itself.
    if (IsDepthStencil() && m_name != 0) {
        glDeleteRenderbuffers(1, &m_name);
    }
}

std::unique_ptr<Texture> Texture::FromImage(Image image, bool mipmaps) {
    std::unique_ptr<Texture> texture(new Texture());
    texture->m_kind = image.kind;
    texture->m_width = image.width;
    texture->m_height = image.height;
    texture->m_depth = image.kind == ImageKind::Volume ? image.depth : 1;
    texture->m_mipmaps = mipmaps;
    if (mipmaps) {
        const i32 largest = std::max({image.width, image.height, texture->m_depth, 1});
        texture->m_levels = static_cast<u32>(std::bit_width(static_cast<u32>(largest)));
    }
    texture->m_pending = std::move(image);
    return texture;
}

std::unique_ptr<Texture> Texture::CreateStreaming(i32 width, i32 height) {
    std::unique_ptr<Texture> texture(new Texture());
    texture->m_width = std::max(width, 1);
    texture->m_height = std::max(height, 1);
    texture->m_streaming = true;
    return texture;
}

void Texture::UpdateRgb(const u8* rgb, i32 width, i32 height) {
    if (!m_streaming || rgb == nullptr || width <= 0 || height <= 0) {
        return;
    }
    glActiveTexture(GL_TEXTURE0 + ScratchTextureUnit());
    const bool fresh = m_name == 0;
    if (fresh) {
        glGenTextures(1, &m_name);
    }
    glBindTexture(GL_TEXTURE_2D, m_name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (fresh || width != m_width || height != m_height) {
        m_width = width;
        m_height = height;
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

std::unique_ptr<Texture> Texture::CreateTarget(Device* device, i32 width, i32 height, Format format,
                                               u32 levels) {
    std::unique_ptr<Texture> texture(new Texture());
    texture->m_format = format;
    texture->m_width = std::max(width, 1);
    texture->m_height = std::max(height, 1);
    texture->m_levels = std::max(levels, 1u);
    const GLFormat gl = ToGL(format);
    glActiveTexture(GL_TEXTURE0 + ScratchTextureUnit());
    glGenTextures(1, &texture->m_name);
    glBindTexture(GL_TEXTURE_2D, texture->m_name);
    for (u32 level = 0; level < texture->m_levels; ++level) {
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLint>(gl.internal),
                     std::max(texture->m_width >> level, 1),
                     std::max(texture->m_height >> level, 1), 0, gl.format, gl.type, nullptr);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(texture->m_levels - 1));
    glBindTexture(GL_TEXTURE_2D, 0);
    texture->m_surface.reset(
        new Surface(device, texture->m_name, texture->m_width, texture->m_height, format));
    return texture;
}

Texture::~Texture() {
    m_surface.reset();
    if (m_name != 0) {
        glDeleteTextures(1, &m_name);
    }
}

u32 Texture::GLTarget() const {
    switch (m_kind) {
    case ImageKind::Cube:
        return GL_TEXTURE_CUBE_MAP;
    case ImageKind::Volume:
        return GL_TEXTURE_3D;
    case ImageKind::Texture2D:
        break;
    }
    return GL_TEXTURE_2D;
}

u32 Texture::GLName() {
    if (m_name == 0) {
        Upload();
    }
    return m_name;
}

void Texture::Upload() {
    const GLenum target = GLTarget();
    glActiveTexture(GL_TEXTURE0 + ScratchTextureUnit());
    glGenTextures(1, &m_name);
    glBindTexture(target, m_name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const u8* pixels = m_pending.pixels.empty() ? nullptr : m_pending.pixels.data();
    switch (m_kind) {
    case ImageKind::Cube:
        for (GLenum face = 0; face < 6; ++face) {
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA8, m_width, m_height, 0,
                         GL_RGBA, GL_UNSIGNED_BYTE,
                         pixels != nullptr ? pixels + m_pending.LayerBytes() * face : nullptr);
        }
        break;
    case ImageKind::Volume:
        glTexImage3D(GL_TEXTURE_3D, 0, GL_RGBA8, m_width, m_height, m_depth, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, pixels);
        break;
    case ImageKind::Texture2D:
        glTexImage2D(GL_TEXTURE_2D, 0, m_streaming ? GL_RGB8 : GL_RGBA8, m_width, m_height, 0,
                     GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        break;
    }
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(m_levels - 1));
    if (m_mipmaps && m_levels > 1) {
        glGenerateMipmap(target);
    }
    glBindTexture(target, 0);
    m_pending = Image{};
}

} // namespace gfx
