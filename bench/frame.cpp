// One frame of the renderer on the city of the feature film's level at 1280x800, headless
// on the offscreen driver (Mesa llvmpipe without a display): the time of
// GraphicsProcess::Update with the component update, skinning and culling steps as
// counters. The city is placed as the level script places it; the camera looks over it
// from above the robot, as the player's camera does.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "content/file_package.h"
#include "content/game_object_definition_map.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_router.h"
#include "game/player_info.h"
#include "graphics/graphics_process.h"
#include "graphics/render_settings.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"

namespace {

struct Placement {
    const char* type;
    float x, y, z;
};

std::vector<Placement> CityPlacements() {
    std::vector<Placement> city = {
        {"Ground", 0, -0.5f, 0},
        {"RobotLeg", -2, 5, 0},
        {"RobotLeg", 2, 5, 0},
        {"RobotBody", 0, 14.5f, 0},
        {"RobotHead", 0, 21, 0},
        {"RobotRightArm", 5.5f, 14, 0},
        {"RobotLeftArm", -5.5f, 14, 0},
        {"BuildingApartment", 60, 20.5f, 40},
        {"BuildingApartment", 60, 20.5f, -40},
        {"BuildingApartment", 120, 20.5f, 0},
        {"BuildingHighrise", -70, 36, 60},
        {"BuildingHighrise", 100, 36, -90},
        {"BuildingStore", -60, 6, -40},
        {"BuildingStore", 0, 6, 110},
        {"SmokeStack", -120, 15.5f, -20},
    };
    for (const float z : {-60.0f, -20.0f, 20.0f, 60.0f}) {
        city.push_back({"LightPost", -25, 6.1f, z});
        city.push_back({"LightPost", 25, 6.1f, z});
    }
    // The three hollow towers of building blocks, roofed.
    const auto tower = [&city](int nx, int ny, int nz, float x, float z) {
        for (int j = 0; j < ny; ++j) {
            for (int i = 0; i < nx; ++i) {
                for (int k = 0; k < nz; ++k) {
                    const bool wall = i == 0 || k == 0 || i == nx - 1 || k == nz - 1;
                    if (wall || j == ny - 1) {
                        city.push_back({"BuildingBlock", x + (i - nx / 2.0f) * 10.01f + 5.005f,
                                        j * 10.01f + 5.005f,
                                        z + (k - nz / 2.0f) * 10.01f + 5.005f});
                    }
                }
            }
        }
    };
    tower(3, 3, 3, 40, 100);
    tower(4, 2, 3, -50, 110);
    tower(3, 4, 3, 0, -100);
    return city;
}

// The CPU time of all the process's threads (the driver's rasterizer threads among them), in
// seconds: on a loaded machine it moves far less than the wall-clock time of a frame.
double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class City {
  public:
    bool Build() {
        if (chdir(GORVANE_BINARY_DIR) != 0) {
            return false;
        }
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        window::WindowDesc desc;
        desc.width = 1280;
        desc.height = 800;
        desc.openGL = true;
        m_window = window::Window::Create(desc);
        if (m_window == nullptr) {
            return false;
        }
        m_graphics = std::make_unique<GraphicsProcess>(m_window.get(), nullptr, 0, 1024.0f, 3);
        if (m_graphics->GetDevice() == nullptr) {
            return false;
        }
        m_graphics->Bind(&m_router, GraphicsProcess::kHandlerId);

        FilePackage* levels = FilePackage::Get("./assets/packages/levels.kzp");
        u32 size = 0;
        const std::unique_ptr<u8[]> text = levels->GetFile("game_objects.xml", size);
        GameObjectDefinitionMap definitions;
        if (text == nullptr || !ReadGameObjectDefinitions(reinterpret_cast<const char*>(text.get()),
                                                          size, definitions)) {
            return false;
        }
        for (const Placement& p : CityPlacements()) {
            const auto found = definitions.find(p.type);
            if (found == definitions.end()) {
                continue;
            }
            auto object = std::make_unique<GameObject>(p.type);
            object->position = Vector(p.x, p.y, p.z);
            for (auto& [type, stream] : found->second) {
                if (type != ComponentType::Graphic && type != ComponentType::Light) {
                    continue;
                }
                StreamMap copy = stream;
                object->AddComponent(static_cast<u32>(type), m_graphics->CreateComponent(&copy));
            }
            object->InitializeComponents();
            m_objects.push_back(std::move(object));
        }
        PlayerInfo camera;
        camera.m_target = Vector(0.0f, 12.0f, 30.0f);
        camera.m_eye = Vector(-10.0f, 45.0f, -70.0f);
        Message<PlayerInfo> feed(MSG_PLAYER_CAMERA, camera);
        m_graphics->HandleMessage(&feed, 0);
        return true;
    }

    ~City() {
        // Each object hands its components back to the renderer as it goes.
        m_objects.clear();
        m_graphics.reset();
        m_window.reset();
    }

    GraphicsProcess& Graphics() { return *m_graphics; }
    std::size_t ObjectCount() const { return m_objects.size(); }

  private:
    MessageRouter m_router;
    std::unique_ptr<window::Window> m_window;
    std::unique_ptr<GraphicsProcess> m_graphics;
    std::vector<std::unique_ptr<GameObject>> m_objects;
};

// Chooses the path and the shadows for one benchmark and puts the settings back after it.
class PathScope {
  public:
    PathScope(std::int64_t deferred, std::int64_t shadows) : m_kept(g_render_settings) {
        g_render_settings.deferred = static_cast<u8>(deferred);
        g_render_settings.shadows = static_cast<u8>(shadows);
    }
    ~PathScope() { g_render_settings = m_kept; }
    PathScope(const PathScope&) = delete;
    PathScope& operator=(const PathScope&) = delete;

  private:
    RenderSettings m_kept;
};

void BM_CityFrame(benchmark::State& state) {
    City city;
    if (!city.Build()) {
        state.SkipWithError("no device or no content: build the game's assets first");
        return;
    }
    GraphicsProcess& graphics = city.Graphics();
    // The first frame is black and the next ones upload meshes and textures.
    for (int i = 0; i < 3; ++i) {
        graphics.Update(1.0f / 30.0f);
    }
    double componentUpdate = 0.0;
    double skinning = 0.0;
    double culling = 0.0;
    const double cpuBefore = ProcessCpuSeconds();
    for (auto _ : state) {
        graphics.Update(1.0f / 30.0f);
        const GraphicsProcess::FrameTimings& t = graphics.LastFrameTimings();
        componentUpdate += t.componentUpdate;
        skinning += t.skinning;
        culling += t.culling;
    }
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const double frames = static_cast<double>(state.iterations());
    // All threads' CPU per frame: the measure to compare runs by on a busy machine.
    state.counters["cpu_ms"] = cpu / frames * 1000.0;
    state.counters["objects"] = static_cast<double>(city.ObjectCount());
    state.counters["visible"] = static_cast<double>(graphics.VisibleList().size());
    state.counters["update_ms"] = componentUpdate / frames * 1000.0;
    state.counters["skinning_ms"] = skinning / frames * 1000.0;
    state.counters["culling_ms"] = culling / frames * 1000.0;
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CityFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The same frame with the device finishing after every step and pass, each step's time a
// counter in ms ("scene_update" is the CPU work before the drawing, "present" the copy to
// the window). Waiting after each pass costs a little, so the sum is above BM_CityFrame.
// Each pass's CPU time over all threads is a counter too ("<pass>_cpu_ms"): on a busy
// machine the one to compare passes by.
//
// Last measured (Release, llvmpipe on 8 shared cores under a load average of 15 to 20, the
// deferred path with its shadows; CPU ms per frame, two runs): sun light 50.8-50.9 (56.3-58.8
// while its grain was read from the noise volume), local lights 55-56, objects 30-31, depth
// of field 28-30, shadow maps 16-18, noise (the final pass) 13-14, each Gaussian blur 12-13,
// sky 7, present 6, bloom 9 in all; 240-252 in all. The whole frame (BM_CityFramePath,
// cpu_ms): deferred with shadows 227-253, without 233-236, forward 179-187. With the lamps'
// and neon signs' glow, bloom and chain on, at a load average of 38-45 on 8 cores: 231, 240 and
// 199 ms a frame (4.3, 4.2 and 5.0 fps; cpu_ms 245, 229, 165). Spreading the
// local lights over the sun pass as a list of lights read once per pixel cost more than
// their spheres: the software rasterizer shades every listed light at every pixel (about
// 13 ms per light and screen against 7 for a sphere).
//
// Then, old and new builds run by turns under the same load (load average 28 to 40, so
// compare the CPU figures only): the shadow splits as tiles of one atlas, the split picked
// before one texel fetch, took the sun light from 48.5-52.3 to 36.6-38.1 (the three maps
// read behind a branch were all read at every pixel) and the shadow maps from 11.7-12.6 to
// 13.0-15.0; the Gaussian blurs reading their centre once, 11.5-12.6 to 9.5-10.8
// (horizontal) and 10.8-11.9 to 10.0-11.2 (vertical); local lights that add nothing outside
// the sphere instead of discarding (a shader that may discard is depth-tested after it
// runs), 60.0-67.5 to 52.8-61.5 over three runs of the same binary. Fetching the final
// pass's scene and grain texel by texel behind a uniform switch cost more (11-14 to 15-19):
// the rasterizer ran both sides.
//
// Then (old and new builds by turns, load average 11 to 27, CPU ms per frame): the two
// Gaussian blurs done by the final grain pass, which reads its 25 texels itself (a technique
// of its own, no switch), took blurs and grain together from 34.6-37.5 (10.2-12.3 for each
// blur, 12.7-14.0 for the grain) to 26.2-29.3; the whole frame (BM_CityFramePath, deferred
// with shadows, cpu_ms) from 221-242 to 186-227. The horizontal blur alone in the final pass
// gave 24.9-27.1 with the vertical pass; the blurs as nine filtered reads of their product
// kernel 36.8-40.4 (a filtered read costs llvmpipe about three unfiltered ones); the grain
// read unfiltered at its texel 33-35 against 26-31 filtered (the wrap's integer arithmetic).
// Measured and left: the local lights behind a stencil mark of the spheres' near side (front
// faces behind the surface), 46-52 against 46-51 without (few pixels of a sphere lie in front
// of its near side in the city, and one lamp's sphere holds the eye); a shadow split's matrix
// picked by selects instead of indexing, sun light 50-51 against 38-39. Of the sun pass's
// 37-39 the shadow lookup is 13-14 (its atlas read about 7) and the grain 2; of depth of
// field's 28-30 the disk's six taps 16; of the local lights' 47-52 the spheres' raster and
// blend 14 and the glow 4.
//
// With that and depth of field reading view distances from the deferred position map, on a
// quiet machine (load average 2 to 5), BM_CityFramePath over three repetitions: deferred
// with shadows 32.8 ms a frame (30.5 fps, cpu_ms 219), deferred without shadows 29.2 ms
// (34.2 fps), forward 21.1 ms (47.5 fps).
// Run in each path with its shadow maps on.
void BM_CityFramePasses(benchmark::State& state) {
    const PathScope path(state.range(0), 1);
    City city;
    if (!city.Build()) {
        state.SkipWithError("no device or no content: build the game's assets first");
        return;
    }
    GraphicsProcess& graphics = city.Graphics();
    gfx::Device& device = *graphics.GetDevice();
    for (int i = 0; i < 3; ++i) {
        graphics.Update(1.0f / 30.0f);
    }
    std::map<std::string, double> seconds;
    std::map<std::string, double> cpuSeconds;
    auto last = std::chrono::steady_clock::now();
    double lastCpu = ProcessCpuSeconds();
    graphics.SetPassProbe([&](const char* pass) {
        device.Finish();
        const auto now = std::chrono::steady_clock::now();
        const double cpu = ProcessCpuSeconds();
        std::string name = pass;
        std::replace(name.begin(), name.end(), ' ', '_');
        seconds[name] += std::chrono::duration<double>(now - last).count();
        cpuSeconds[name] += cpu - lastCpu;
        last = now;
        lastCpu = cpu;
    });
    for (auto _ : state) {
        device.Finish();
        last = std::chrono::steady_clock::now();
        lastCpu = ProcessCpuSeconds();
        graphics.Update(1.0f / 30.0f);
    }
    graphics.SetPassProbe({});
    const double frames = static_cast<double>(state.iterations());
    for (const auto& [name, total] : seconds) {
        state.counters[name + "_ms"] = total / frames * 1000.0;
    }
    // All threads' CPU per pass (the rasterizer's threads among them): what a pass costs,
    // whatever else the machine runs.
    for (const auto& [name, total] : cpuSeconds) {
        state.counters[name + "_cpu_ms"] = total / frames * 1000.0;
    }
}
BENCHMARK(BM_CityFramePasses)
    ->ArgName("deferred")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);

// The same frame in each path, with and without the shadow maps.
void BM_CityFramePath(benchmark::State& state) {
    const PathScope path(state.range(0), state.range(1));
    BM_CityFrame(state);
}
BENCHMARK(BM_CityFramePath)
    ->ArgNames({"deferred", "shadows"})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
