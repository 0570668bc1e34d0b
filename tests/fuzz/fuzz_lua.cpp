// Script text run by the LuaHandler with the game's bindings, against a stand-in level
// that builds the objects scripts ask for. Each script gets a fresh handler and is held to
// an instruction and a memory budget, so loops and huge strings end as Lua errors.

#include <lua.hpp>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "content/lua_handler.h"
#include "content/lua_test_fixture.h"
#include "core/message_router.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr int kInstructionsPerHook = 1000;
constexpr int kHooksPerScript = 2000;
constexpr std::int64_t kMemoryPerScript = 64 << 20;

struct Budget {
    lua_Alloc allocate = nullptr;
    void* state = nullptr;
    // Blocks made before the budget was set are freed through it too, so this may go
    // below zero.
    std::int64_t used = 0;
    int hooks = 0;
};

Budget g_budget;

void* CappedAllocate(void* ud, void* block, std::size_t oldSize, std::size_t newSize) {
    auto* const budget = static_cast<Budget*>(ud);
    const auto old = static_cast<std::int64_t>(block != nullptr ? oldSize : 0);
    const auto wanted = static_cast<std::int64_t>(newSize);
    if (wanted > old && budget->used + (wanted - old) > kMemoryPerScript) {
        return nullptr;
    }
    void* const result = budget->allocate(budget->state, block, oldSize, newSize);
    if (result != nullptr || newSize == 0) {
        budget->used += wanted - old;
    }
    return result;
}

void CountInstructions(lua_State* L, lua_Debug*) {
    if (++g_budget.hooks > kHooksPerScript) {
        luaL_error(L, "instruction budget spent");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MessageRouter root;
    MessageRouter level(&root);
    level.AttachToParent();
    LuaHandler handler;
    handler.Bind(&root, LuaHandler::kHandlerId);
    lua_test::FakeState state({"Tank", "Building", "Robot"});
    state.Bind(&level, LuaHandler::kDefaultObjectTarget);
    lua_test::Recorder graphics;
    graphics.Bind(&root, LuaHandler::kGraphicsProcessId);
    lua_test::Recorder particleScripts;
    particleScripts.Bind(&level, LuaHandler::kParticleScriptProcessId);

    lua_State* const L = handler.CurrentState();
    g_budget = Budget{};
    g_budget.allocate = lua_getallocf(L, &g_budget.state);
    // What the state already holds counts towards nothing: only the script's own growth
    // is capped.
    lua_setallocf(L, CappedAllocate, &g_budget);
    lua_sethook(L, CountInstructions, LUA_MASKCOUNT, kInstructionsPerHook);

    handler.DoString(std::string(reinterpret_cast<const char*>(data), size), "fuzz");
    handler.CallFunction("Update");
    return 0;
}
