// The loaders on their threads, run by a process manager as a level state runs them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "content/game_state_loader_process.h"
#include "content/lua_handler.h"
#include "core/process_manager.h"
#include "core/threaded_process.h"
#include "graphics/graphics_process.h"
#include "graphics/renderer_preloader.h"
#include "support/resource_loader_fixture.h"

namespace resource_loader_test {
namespace {

using Strings = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

// The level state: what reaches it from the loader threads, with the thread and whether the
// level's resources counted as loaded then.
class LevelRecorder : public MessageHandler {
  public:
    explicit LevelRecorder(std::string path) : m_path(std::move(path)) {}

    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        const bool loaded = ResourceLoaderProcess::IsLoaded(m_path);
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_received.push_back(MessageTypeName(msg->type));
        m_loadedWhenReceived.push_back(loaded);
        m_threads.push_back(std::this_thread::get_id());
        if (msg->type == MSG_LEVEL_LOADING_COMPLETE) {
            m_complete.notify_all();
        }
    }

    // False when loading did not complete within the time.
    bool WaitForCompletion(std::chrono::seconds limit) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_complete.wait_for(lock, limit, [this] {
            return !m_received.empty() && m_received.back() == "MSG_LEVEL_LOADING_COMPLETE";
        });
    }

    std::string m_path;
    std::mutex m_mutex;
    std::condition_variable m_complete;
    Strings m_received;
    std::vector<bool> m_loadedWhenReceived;
    std::vector<std::thread::id> m_threads;
};

// Definitions T0..T(n-1) with one mesh each, and a script that creates all of them.
std::pair<GameObjectDefinitionMap, std::string> ManyTypes(int n) {
    std::string objects;
    std::string script;
    for (int i = 0; i < n; ++i) {
        const std::string type = "T" + std::to_string(i);
        objects += ObjectXml(type, GraphicXml(type + ".x", false));
        script += "CreateGameObject(\"" + type + "\")\n";
    }
    return {Definitions(objects), script};
}

// The loader on a free-running thread of its own, started.
std::unique_ptr<ThreadedProcess> StartFreeRunning(boost::shared_ptr<Process> loader) {
    auto thread = std::make_unique<ThreadedProcess>(std::move(loader));
    thread->lockStep = false;
    thread->Start();
    return thread;
}

TEST_F(ResourceLoaderTest, ThreadedLoaderHandsOverToTheLevelLoaderAndBothRetire) {
    const auto [definitions, script] = ManyTypes(5);
    MakePackages({{"ubergold.lua", script}}, {"hit.wav", "boom.wav"});

    MessageRouter stateRouter(&m_router);
    m_router.AddChild(&stateRouter);
    LuaHandler lua;
    lua.Bind(&m_router, LuaHandler::kHandlerId);
    lua.SetPackagePaths(m_levelsPackage, m_levelsPackage);
    LevelRecorder renderer(kLevel);
    renderer.Bind(&m_router, GameStateLoaderProcess::kGraphicsProcessId);
    LevelRecorder level(kLevel);
    level.Bind(&stateRouter, GameStateLoaderProcess::kLevelStateId);

    // Wired as the level state wires its loaders.
    const boost::shared_ptr<ResourceLoaderProcess> resources =
        MakeLoader(kLevel, &definitions, nullptr, &stateRouter);
    const boost::shared_ptr<GameStateLoaderProcess> levelLoader(new GameStateLoaderProcess(kLevel));
    levelLoader->Bind(&stateRouter, GameStateLoaderProcess::kHandlerId);
    resources->SetThreadRequest(levelLoader, true, true, GameStateLoaderProcess::kThreadPriority);
    const boost::shared_ptr<ThreadedProcess> thread(new ThreadedProcess(resources));
    thread->lockStep = false;
    thread->SetPriority(ResourceLoaderProcess::kLevelThreadPriority);

    ProcessManager manager;
    manager.AddThreadedProcess(thread);

    testing::internal::CaptureStdout();
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (manager.HasProcesses() && Clock::now() < deadline) {
        manager.Update(1.0f / 60.0f);
        std::this_thread::yield();
    }
    const std::string log = testing::internal::GetCapturedStdout();
    ASSERT_FALSE(manager.HasProcesses()) << "the loaders did not retire\n" << log;
    ASSERT_TRUE(level.WaitForCompletion(std::chrono::seconds(0)));

    // The resources were loaded off the main thread before the level loader began.
    EXPECT_EQ(m_graphics.Calls().size(), 5u);
    EXPECT_NE(m_graphics.Thread(), std::this_thread::get_id());
    EXPECT_EQ(m_sounds.Paths().size(), 2u);
    EXPECT_TRUE(ResourceLoaderProcess::IsLoaded(kLevel));
    EXPECT_LT(log.find("ResourceLoader: Finished loading resources"),
              log.find("GameStateLoaderProcess::Update: Start loading"))
        << log;

    // The level loader ran its sequence once, on a thread of its own, and is gone.
    EXPECT_EQ(level.m_received,
              (Strings{"MSG_LEVEL_CREATE_OBJECT", "MSG_LEVEL_CREATE_OBJECT",
                       "MSG_LEVEL_CREATE_OBJECT", "MSG_LEVEL_CREATE_OBJECT",
                       "MSG_LEVEL_CREATE_OBJECT", "MSG_LEVEL_INITIALIZE_OCTREE",
                       "MSG_LEVEL_PROCESS_UPDATE_ONCE", "MSG_LEVEL_LOADING_COMPLETE"}));
    for (std::size_t i = 0; i < level.m_received.size(); ++i) {
        EXPECT_TRUE(level.m_loadedWhenReceived[i]) << i;
        EXPECT_NE(level.m_threads[i], std::this_thread::get_id()) << i;
    }
    EXPECT_EQ(renderer.m_received, Strings{"MSG_GRAPHICS_INITIALIZE"});
    EXPECT_TRUE(resources->killed);
    EXPECT_TRUE(levelLoader->killed);
    EXPECT_FALSE(resources->attached);
    EXPECT_FALSE(levelLoader->attached);
    EXPECT_FALSE(resources->successor);
    EXPECT_EQ(lua.StateCount(), 1u);
}

// The loading screen asks IsLoaded every frame while the loader takes the "Loading" mutex
// for each of its steps: the screen gets its answer between two steps, not after the load.
TEST_F(ResourceLoaderTest, ThePollingScreenGetsInBetweenTheLoadersSteps) {
    constexpr int kSteps = 400;
    const auto [definitions, script] = ManyTypes(kSteps);
    MakePackages({{"ubergold.lua", script}});
    m_graphics.workPerCall = std::chrono::microseconds(50);

    testing::internal::CaptureStdout();
    const auto thread = StartFreeRunning(MakeLoader(kLevel, &definitions));
    int answersBeforeTheEnd = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (!ResourceLoaderProcess::IsLoaded(kLevel) && Clock::now() < deadline) {
        ++answersBeforeTheEnd;
    }
    thread->Stop();
    testing::internal::GetCapturedStdout();

    EXPECT_TRUE(ResourceLoaderProcess::IsLoaded(kLevel));
    EXPECT_EQ(m_graphics.Calls().size(), static_cast<std::size_t>(kSteps));
    // Taking turns, the screen is answered about once a step; shut out, hardly ever.
    EXPECT_GE(answersBeforeTheEnd, kSteps / 10);
}

TEST_F(ResourceLoaderTest, TheRendererLoadsFromTheLoadersThread) {
    const GameObjectDefinitionMap definitions =
        Definitions(ObjectXml("Crate", GraphicXml("crate.x", false, "true")) +
                    ObjectXml("Walker", GraphicXml("walker.x", true)) +
                    ObjectXml("Flare", SpriteXml("flare.dds")));
    MakePackages({{"ubergold.lua", "a(\"Crate\")\nb(\"Walker\")\nc(\"Flare\")\n"}});
    GraphicsProcess graphics(nullptr, nullptr, 0, 1024.0f, 3);
    RendererPreloader preloader(&graphics);

    const boost::shared_ptr<ResourceLoaderProcess> loader =
        MakeLoader(kLevel, &definitions, &preloader);
    testing::internal::CaptureStdout();
    const auto thread = StartFreeRunning(loader);
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!loader->killed && Clock::now() < deadline) {
        std::this_thread::yield();
    }
    thread->Stop();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(ResourceLoaderProcess::IsLoaded(kLevel));
}

} // namespace
} // namespace resource_loader_test
