#include "PhysX/user_allocator.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/system/log.h"

namespace {

struct BlockHeader {
    std::uint32_t magic;
    std::uint32_t size;
};
static_assert(sizeof(BlockHeader) == UserAllocator::kHeaderSize);

// Headers are read and written by copy: a block handed to us by mistake need not be aligned.
BlockHeader ReadHeader(const void* memory) {
    BlockHeader header;
    std::memcpy(&header, static_cast<const char*>(memory) - UserAllocator::kHeaderSize,
                sizeof header);
    return header;
}

void WriteHeader(void* block, const BlockHeader& header) {
    std::memcpy(block, &header, sizeof header);
}

void* HeapAllocate(std::size_t size) {
    return std::malloc(size);
}
void* HeapResize(void* block, std::size_t size) {
    return std::realloc(block, size);
}
void HeapRelease(void* block) {
    std::free(block);
}

// Sizes travel in a 32-bit header field and counters are 32-bit.
bool SizeFits(std::size_t size) {
    return size <= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) -
                       UserAllocator::kHeaderSize;
}

} // namespace

UserAllocator::Heap UserAllocator::SystemHeap() {
    return Heap{HeapAllocate, HeapResize, HeapRelease};
}

UserAllocator::UserAllocator(const Heap& heap) : m_heap(heap) {}

UserAllocator::~UserAllocator() {
    if (m_bytesInUse != 0) {
        sys::Log() << "Memory leak detected: " << m_bytesInUse << " bytes non released";
    }
    if (m_liveCount != 0) {
        sys::Log() << "Remaining allocs: " << m_liveCount;
    }
    sys::Log() << "Nb alloc: " << m_allocCount;
    sys::Log() << "Nb realloc: " << m_reallocCount;
    sys::Log() << "High water mark: " << m_highWater / 1024 << " Kb";
}

void* UserAllocator::mallocDEBUG(std::size_t size, const char*, int, const char*,
                                 physics::MemoryType type) {
    return malloc(size, type);
}

void* UserAllocator::mallocDEBUG(std::size_t, const char*, int) {
    sys::Log() << "Obsolete code called!";
    return nullptr;
}

void* UserAllocator::malloc(std::size_t) {
    sys::Log() << "Obsolete code called!";
    return nullptr;
}

void* UserAllocator::malloc(std::size_t size, physics::MemoryType) {
    if (size == 0) {
        sys::Log() << "Warning: trying to allocate 0 bytes";
        return nullptr;
    }
    if (!SizeFits(size)) {
        return nullptr;
    }
    const std::lock_guard<std::mutex> lock(m_lock);
    void* const block = m_heap.allocate(size + kHeaderSize);
    if (!block) {
        return nullptr;
    }
    ++m_allocCount;
    ++m_liveCount;
    WriteHeader(block, BlockHeader{kMagic, static_cast<std::uint32_t>(size)});
    m_bytesInUse += static_cast<std::int32_t>(size);
    RaiseHighWater();
    return static_cast<char*>(block) + kHeaderSize;
}

void UserAllocator::free(void* memory) {
    if (!memory) {
        sys::Log() << "Warning: trying to free null pointer";
        return;
    }
    const std::lock_guard<std::mutex> lock(m_lock);
    BlockHeader header = ReadHeader(memory);
    if (header.magic != kMagic) {
        // Not ours: handing it to the heap would corrupt it, so it is left alone.
        sys::Log() << "Error: free unknown memory!!";
        return;
    }
    const std::int32_t size = static_cast<std::int32_t>(header.size);
    m_bytesInUse -= size;
    if (m_bytesInUse < 0) {
        sys::Log() << "Oops (" << size << ")";
    }
    --m_liveCount;
    void* const block = static_cast<char*>(memory) - kHeaderSize;
    header.size = 0;
    WriteHeader(block, header);
    m_heap.release(block);
}

void* UserAllocator::realloc(void* memory, std::size_t size) {
    if (!memory) {
        sys::Log() << "Warning: trying to realloc null pointer";
        return nullptr;
    }
    if (size == 0) {
        sys::Log() << "Warning: trying to realloc 0 bytes";
    }
    if (!SizeFits(size)) {
        return nullptr;
    }
    const std::lock_guard<std::mutex> lock(m_lock);
    const BlockHeader header = ReadHeader(memory);
    if (header.magic != kMagic) {
        sys::Log() << "Error: realloc unknown memory!!";
        return nullptr;
    }
    void* const block = static_cast<char*>(memory) - kHeaderSize;
    void* const resized = m_heap.resize(block, size + kHeaderSize);
    if (!resized) {
        return nullptr; // the old block, its header and the counters stay as they were
    }
    m_bytesInUse += static_cast<std::int32_t>(size) - static_cast<std::int32_t>(header.size);
    RaiseHighWater();
    ++m_reallocCount;
    WriteHeader(resized, BlockHeader{kMagic, static_cast<std::uint32_t>(size)});
    return static_cast<char*>(resized) + kHeaderSize;
}

void UserAllocator::RaiseHighWater() {
    if (m_bytesInUse > m_highWater) {
        m_highWater = m_bytesInUse;
    }
}

std::int32_t UserAllocator::BytesInUse() const {
    const std::lock_guard<std::mutex> lock(m_lock);
    return m_bytesInUse;
}
std::int32_t UserAllocator::HighWater() const {
    const std::lock_guard<std::mutex> lock(m_lock);
    return m_highWater;
}
std::int32_t UserAllocator::AllocCount() const {
    const std::lock_guard<std::mutex> lock(m_lock);
    return m_allocCount;
}
std::int32_t UserAllocator::LiveCount() const {
    const std::lock_guard<std::mutex> lock(m_lock);
    return m_liveCount;
}
std::int32_t UserAllocator::ReallocCount() const {
    const std::lock_guard<std::mutex> lock(m_lock);
    return m_reallocCount;
}
