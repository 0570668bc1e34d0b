#pragma once
// The allocator the level's physics scene runs on: every block carries a small header so
// the allocator can count bytes, blocks and calls, and report leaks when it is destroyed.
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "platform/physics/allocator.h"

class UserAllocator : public physics::Allocator {
  public:
    // The heap underneath; tests swap in one that fails.
    struct Heap {
        void* (*allocate)(std::size_t size);
        void* (*resize)(void* block, std::size_t size);
        void (*release)(void* block);
    };
    static Heap SystemHeap();

    static constexpr std::uint32_t kMagic = 0xDEADBABE;
    static constexpr std::size_t kHeaderSize = 8;

    explicit UserAllocator(const Heap& heap = SystemHeap());
    ~UserAllocator() override;
    UserAllocator(const UserAllocator&) = delete;
    UserAllocator& operator=(const UserAllocator&) = delete;

    void* mallocDEBUG(std::size_t size, const char* fileName, int line, const char* className,
                      physics::MemoryType type) override;
    void* mallocDEBUG(std::size_t size, const char* fileName, int line) override;
    void* malloc(std::size_t size, physics::MemoryType type) override;
    void* malloc(std::size_t size) override;
    void* realloc(void* memory, std::size_t size) override;
    void free(void* memory) override;
    void check() override {}

    std::int32_t BytesInUse() const;
    std::int32_t HighWater() const;
    std::int32_t AllocCount() const;
    std::int32_t LiveCount() const;
    std::int32_t ReallocCount() const;

  private:
    void RaiseHighWater();

    const Heap m_heap;
    std::int32_t m_bytesInUse = 0;
    std::int32_t m_highWater = 0;
    std::int32_t m_allocCount = 0;
    std::int32_t m_liveCount = 0;
    std::int32_t m_reallocCount = 0;
    mutable std::mutex m_lock;
};
