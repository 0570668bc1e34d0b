#include "ai/state.h"

namespace {

StateFactory g_state_factories[kStateIdCount] = {};

} // namespace

State* MakeState(i32 id) {
    if (!StateIdHasClass(id) || g_state_factories[id] == nullptr) {
        return nullptr;
    }
    return g_state_factories[id]();
}

StateFactory RegisterStateFactory(i32 id, StateFactory factory) {
    if (!StateIdHasClass(id)) {
        return nullptr;
    }
    const StateFactory previous = g_state_factories[id];
    g_state_factories[id] = factory;
    return previous;
}

void ClearStateFactories() {
    for (StateFactory& factory : g_state_factories) {
        factory = nullptr;
    }
}
