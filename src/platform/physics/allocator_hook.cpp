#include "platform/physics/allocator_hook.h"

#include <BulletCollision/CollisionDispatch/btCollisionObject.h>
#include <BulletCollision/CollisionDispatch/btManifoldResult.h>
#include <LinearMath/btAlignedAllocator.h>

#include <algorithm>
#include <cassert>
#include <mutex>
#include <vector>

namespace physics::detail {
namespace {

thread_local Allocator* t_current = nullptr;

std::mutex g_engineLock;
std::vector<Allocator*> g_liveAllocators; // guarded by g_engineLock
CalculateCombinedCallback g_savedFriction = nullptr;

// Only reached from outside a scope when the layer itself forgot one; the first live
// scene's allocator then keeps the block's header valid, at the cost of its counts.
Allocator* CurrentAllocator() {
    assert(t_current && "engine allocation outside a scene's allocator scope");
    if (t_current) {
        return t_current;
    }
    const std::lock_guard<std::mutex> lock(g_engineLock);
    return g_liveAllocators.empty() ? nullptr : g_liveAllocators.front();
}

void* HookAllocate(size_t size) {
    Allocator* const allocator = CurrentAllocator();
    return allocator ? allocator->malloc(size, MemoryType::kPersistent) : nullptr;
}

void HookFree(void* memory) {
    if (!memory) {
        return; // the engine frees null pointers freely; the allocator would warn
    }
    if (Allocator* const allocator = CurrentAllocator()) {
        allocator->free(memory);
    }
}

// Two surfaces slide on the mean of their frictions, not on the product.
btScalar AverageFriction(const btCollisionObject* body0, const btCollisionObject* body1) {
    return (body0->getFriction() + body1->getFriction()) * btScalar(0.5);
}

} // namespace

AllocatorScope::AllocatorScope(Allocator& allocator) : m_previous(t_current) {
    t_current = &allocator;
}

AllocatorScope::~AllocatorScope() {
    t_current = m_previous;
}

void AcquireEngine(Allocator& allocator) {
    const std::lock_guard<std::mutex> lock(g_engineLock);
    if (g_liveAllocators.empty()) {
        btAlignedAllocSetCustom(HookAllocate, HookFree);
        g_savedFriction = gCalculateCombinedFrictionCallback;
        gCalculateCombinedFrictionCallback = AverageFriction;
    }
    g_liveAllocators.push_back(&allocator);
}

void ReleaseEngine(Allocator& allocator) {
    const std::lock_guard<std::mutex> lock(g_engineLock);
    const auto found = std::find(g_liveAllocators.begin(), g_liveAllocators.end(), &allocator);
    if (found != g_liveAllocators.end()) {
        g_liveAllocators.erase(found);
    }
    if (g_liveAllocators.empty()) {
        btAlignedAllocSetCustom(nullptr, nullptr);
        gCalculateCombinedFrictionCallback = g_savedFriction;
    }
}

} // namespace physics::detail
