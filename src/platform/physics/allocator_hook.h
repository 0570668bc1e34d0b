#pragma once
// Private to the physics layer: routes the engine's allocations to the allocator of the
// scene that is working at the moment.
#include "platform/physics/allocator.h"

namespace physics::detail {

// Makes an allocator the one the engine's allocations go to on this thread while the scope
// lives. Scopes nest: a callback that reaches another scene restores ours when it returns.
class AllocatorScope {
  public:
    explicit AllocatorScope(Allocator& allocator);
    ~AllocatorScope();
    AllocatorScope(const AllocatorScope&) = delete;
    AllocatorScope& operator=(const AllocatorScope&) = delete;

  private:
    Allocator* const m_previous;
};

// The engine's allocation hook and its other process-wide settings are installed when the
// first scene is made and restored when the last goes, so nothing else that uses the
// engine is touched while no scene exists.
void AcquireEngine(Allocator& allocator);
void ReleaseEngine(Allocator& allocator);

} // namespace physics::detail
