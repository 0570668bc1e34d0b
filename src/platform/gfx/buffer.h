#pragma once
// Vertex and index buffers. Each keeps a CPU copy of its bytes: Lock hands that copy out and
// marks it changed, and the next draw that uses the buffer uploads it. So buffers can be
// made and filled on any thread; only the upload needs the context.
#include <vector>

#include "platform/system/types.h"

namespace gfx {

class Buffer {
  public:
    ~Buffer();
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    // The whole buffer for writing; it goes to GL at the next draw.
    u8* Lock() {
        m_dirty = true;
        return m_bytes.data();
    }
    void Unlock() {}
    const u8* Data() const { return m_bytes.data(); }
    std::size_t Size() const { return m_bytes.size(); }
    bool IsDirty() const { return m_dirty; }

    // Render thread: binds the GL buffer to its target, uploading the copy when changed.
    u32 Bind();

  protected:
    Buffer(std::size_t size, u32 target) : m_bytes(size), m_target(target) {}

  private:
    std::vector<u8> m_bytes;
    u32 m_target;
    u32 m_name = 0;
    bool m_dirty = true;
};

class VertexBuffer : public Buffer {
  public:
    explicit VertexBuffer(std::size_t size);
};

class IndexBuffer : public Buffer {
  public:
    // 16-bit indices unless wide.
    IndexBuffer(std::size_t size, bool wide);
    bool IsWide() const { return m_wide; }

  private:
    bool m_wide;
};

} // namespace gfx
