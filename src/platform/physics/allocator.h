#pragma once
// The allocator a physics scene hands its engine's memory to. The game supplies one per
// scene, so it can count and report what the engine keeps.
#include <cstddef>

namespace physics {

// What a block is for; allocators may treat short-lived blocks differently.
enum class MemoryType { kTemp, kPersistent };

class Allocator {
  public:
    virtual ~Allocator() = default;

    virtual void* mallocDEBUG(std::size_t size, const char* fileName, int line,
                              const char* className, MemoryType type) = 0;
    // Kept for callers of the older two-argument form; allocators answer null.
    virtual void* mallocDEBUG(std::size_t size, const char* fileName, int line) = 0;
    virtual void* malloc(std::size_t size, MemoryType type) = 0;
    virtual void* malloc(std::size_t size) = 0;
    virtual void* realloc(void* memory, std::size_t size) = 0;
    virtual void free(void* memory) = 0;
    virtual void check() = 0;
};

} // namespace physics
