// Level scripts of 5,000 objects with a few per-object values each. Saving is timed against
// writing the same bytes in one write to a file renamed over the level; loading through the script
// bindings into an editor state against making the same objects with the same calls from C++.
// Prints both ratios.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include <lua.hpp>

#include "content/lua_handler.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/message_router.h"
#include "editor/level_editor_state.h"
#include "editor/level_script_writer.h"
#include "timing_reporter.h"

namespace {

namespace fs = std::filesystem;

constexpr int kObjectCount = 5000;
constexpr const char* kType = "BuildingBlock";

// Where a level script of the game's lies, relative to the game's folder.
constexpr const char* kLevelPath = "./assets/levels/bench_level.lua";

struct Bench {
    // A game folder of its own: the working folder while the benchmarks run.
    fs::path folder;
    fs::path previous;
    MessageRouter root;
    LuaHandler lua;
    std::unique_ptr<LevelEditorState> state;
    // The loads run in a level of their own, as in the game only one state takes the
    // script's objects.
    MessageRouter loadRoot;
    LuaHandler loadLua;
    std::vector<GameObject*> level;
};

Bench& TheBench() {
    static Bench bench;
    return bench;
}

void Populate(LevelEditorState& state) {
    for (int i = 0; i < kObjectCount; ++i) {
        GameObject* object = state.CreateObject(kType);
        object->SetPosition(Vector(static_cast<float>(i % 100) * 10.0f, 0.5f * (i % 7),
                                   static_cast<float>(i / 100) * 10.0f));
        object->SetOrientation(Quaternion{0.0f, 0.3826834f, 0.0f, 0.9238795f});
        object->SetScale(Vector(1.0f, 1.0f + 0.25f * (i % 3), 1.0f));
        object->parameters.AddBool("Anchored", i % 2 == 0);
        object->parameters.AddFloat("Health", 5.0f + static_cast<float>(i % 10));
        object->parameters.AddString("Group", "block" + std::to_string(i % 13));
    }
}

bool Prepare() {
    Bench& bench = TheBench();
    std::string pattern = (fs::temp_directory_path() / "gorvane-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return false;
    }
    bench.folder = pattern;
    std::error_code error;
    fs::create_directories(bench.folder / "assets" / "levels", error);
    bench.previous = fs::current_path(error);
    fs::current_path(bench.folder, error);
    if (error) {
        return false;
    }
    bench.lua.Bind(&bench.root, LuaHandler::kHandlerId);
    bench.loadLua.Bind(&bench.loadRoot, LuaHandler::kHandlerId);
    bench.state = std::make_unique<LevelEditorState>(GameState::kLevelEditorName, nullptr, nullptr,
                                                     nullptr, &bench.lua, nullptr, &bench.root);
    StreamMap graphic;
    graphic.AddString("Object", kType);
    graphic.AddString("Component", "Graphic");
    bench.state->m_definitions[kType].emplace(ComponentType::Graphic, graphic);
    Populate(*bench.state);
    return level_script::Write(bench.state->Objects(), kLevelPath);
}

void BM_SaveLevelScript(benchmark::State& state) {
    Bench& bench = TheBench();
    const std::string path = (bench.folder / "saved.lua").string();
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench.state->SaveLevelScript(path));
    }
}

// The save's text alone, built in memory: what the save adds to the plain write below.
void BM_LevelScriptText(benchmark::State& state) {
    Bench& bench = TheBench();
    for (auto _ : state) {
        benchmark::DoNotOptimize(level_script::Text(bench.state->Objects()));
    }
}

// The same bytes by the way a saved level must go, so a failed write never leaves half a
// level: one write into a file beside the target, renamed over it.
void BM_WriteSameBytes(benchmark::State& state) {
    Bench& bench = TheBench();
    const std::string text = level_script::Text(bench.state->Objects());
    const std::string path = (bench.folder / "plain.lua").string();
    const std::string temp = path + ".tmp";
    for (auto _ : state) {
        std::FILE* file = std::fopen(temp.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
        std::rename(temp.c_str(), path.c_str());
    }
}

// A state of its own for the loads, emptied after each.
LevelEditorState& LoadState() {
    static LevelEditorState* state = [] {
        Bench& bench = TheBench();
        auto* made = new LevelEditorState(GameState::kLevelEditorName, nullptr, nullptr, nullptr,
                                          &bench.loadLua, nullptr, &bench.loadRoot);
        made->m_definitions = bench.state->m_definitions;
        return made;
    }();
    return *state;
}

void BM_LoadThroughBindings(benchmark::State& state) {
    Bench& bench = TheBench();
    LevelEditorState& target = LoadState();
    LuaHandler& lua = bench.loadLua;
    for (auto _ : state) {
        const u32 id = lua.CreateState();
        lua.SwitchState(id);
        lua.SetObjectTarget(HANDLER_LEVEL_EDITOR_STATE);
        lua.DoScript(kLevelPath);
        state.PauseTiming();
        const bool whole = target.Objects().size() == static_cast<std::size_t>(kObjectCount);
        lua.DeleteState(id);
        target.DestroyObjects();
        if (!whole) {
            state.SkipWithError("the script did not make every object");
            break;
        }
        state.ResumeTiming();
    }
}

// What no load through the bindings can go below: compiling the script's text.
void BM_CompileLevelScript(benchmark::State& state) {
    std::ifstream file(kLevelPath, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    for (auto _ : state) {
        lua_State* const L = luaL_newstate();
        if (luaL_loadbuffer(L, text.data(), text.size(), kLevelPath) != 0) {
            state.SkipWithError("the script does not compile");
        }
        lua_close(L);
    }
}

// The load's other half: running the compiled script in a new state of the game's, so the
// script's own calls, the bindings and the objects they make are timed without the compile.
void BM_RunCompiledLevelScript(benchmark::State& state) {
    Bench& bench = TheBench();
    LevelEditorState& target = LoadState();
    LuaHandler& lua = bench.loadLua;
    std::ifstream file(kLevelPath, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    for (auto _ : state) {
        state.PauseTiming();
        const u32 id = lua.CreateState();
        lua.SwitchState(id);
        lua.SetObjectTarget(HANDLER_LEVEL_EDITOR_STATE);
        lua_State* const L = lua.CurrentState();
        const bool compiled = luaL_loadbuffer(L, text.data(), text.size(), kLevelPath) == 0;
        state.ResumeTiming();
        const bool ran = compiled && lua_pcall(L, 0, 0, 0) == 0;
        state.PauseTiming();
        const bool whole = target.Objects().size() == static_cast<std::size_t>(kObjectCount);
        lua.DeleteState(id);
        target.DestroyObjects();
        if (!ran || !whole) {
            state.SkipWithError("the compiled script did not make every object");
            break;
        }
        state.ResumeTiming();
    }
}

void BM_LoadByDirectCalls(benchmark::State& state) {
    LevelEditorState& target = LoadState();
    const Float4x4 turn =
        Math::MatrixRotationQuaternion(Quaternion{0.0f, 0.3826834f, 0.0f, 0.9238795f});
    for (auto _ : state) {
        for (int i = 0; i < kObjectCount; ++i) {
            GameObject* object = target.CreateObject(kType);
            object->SetPosition(Vector(static_cast<float>(i % 100) * 10.0f, 0.5f * (i % 7),
                                       static_cast<float>(i / 100) * 10.0f));
            object->SetOrientation(Math::QuaternionRotationMatrix(turn));
            object->SetScale(Vector(1.0f, 1.0f + 0.25f * (i % 3), 1.0f));
            object->parameters.AddBool("Anchored", i % 2 == 0);
            object->parameters.AddFloat("Health", 5.0f + static_cast<float>(i % 10));
            object->parameters.AddString("Group", "block" + std::to_string(i % 13));
            object->NotifyComponents();
        }
        state.PauseTiming();
        target.DestroyObjects();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_SaveLevelScript)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteSameBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LevelScriptText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadThroughBindings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileLevelScript)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunCompiledLevelScript)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadByDirectCalls)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!Prepare()) {
        std::cerr << "cannot prepare the level\n";
        return 1;
    }
    TimingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto ratio = [&](const char* a, const char* b, const char* note) {
        const auto ta = reporter.Time(a);
        const auto tb = reporter.Time(b);
        if (ta && tb) {
            std::printf("%s / %s = %.2f (%s)\n", a, b, *ta / *tb, note);
        }
    };
    ratio("BM_SaveLevelScript", "BM_WriteSameBytes", "target at most 3");
    ratio("BM_LevelScriptText", "BM_WriteSameBytes", "building the text alone");
    ratio("BM_LoadThroughBindings", "BM_LoadByDirectCalls", "target at most 3");
    ratio("BM_CompileLevelScript", "BM_LoadByDirectCalls", "compiling alone");
    ratio("BM_RunCompiledLevelScript", "BM_LoadByDirectCalls", "running the compiled script");
    TheBench().state->DestroyObjects();
    std::error_code ec;
    fs::current_path(TheBench().previous, ec);
    fs::remove_all(TheBench().folder, ec);
    benchmark::Shutdown();
    return 0;
}
