#include "platform/gfx/buffer.h"

#include <epoxy/gl.h>

namespace gfx {

Buffer::~Buffer() {
    if (m_name != 0) {
        glDeleteBuffers(1, &m_name);
    }
}

u32 Buffer::Bind() {
    if (m_name == 0) {
        glGenBuffers(1, &m_name);
    }
    glBindBuffer(m_target, m_name);
    if (m_dirty) {
        glBufferData(m_target, static_cast<GLsizeiptr>(m_bytes.size()), m_bytes.data(),
                     GL_DYNAMIC_DRAW);
        m_dirty = false;
    }
    return m_name;
}

VertexBuffer::VertexBuffer(std::size_t size) : Buffer(size, GL_ARRAY_BUFFER) {}

IndexBuffer::IndexBuffer(std::size_t size, bool wide)
    : Buffer(size, GL_ELEMENT_ARRAY_BUFFER), m_wide(wide) {}

} // namespace gfx
