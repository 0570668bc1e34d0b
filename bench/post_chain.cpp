// The cost of the final image at 1280 x 800 on the offscreen driver: an empty frame (clear
// and read back) against the same frame with the scene composed through the bloom and the
// post-process chain at the start settings (depth of field and both blurs, then the grain).
// The read-back waits for the GPU (llvmpipe: the CPU) to finish the frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "graphics/post_process_chain.h"
#include "graphics/render_state_cache.h"
#include "platform/gfx/device.h"
#include "platform/gfx/image.h"
#include "platform/gfx/texture.h"
#include "platform/window/window.h"
#include "timing_reporter.h"

namespace {

const std::string kPackage = std::string(GORVANE_BINARY_DIR) + "/assets/packages/shaders.kzp";

struct Screen {
    std::unique_ptr<window::Window> window;
    std::unique_ptr<gfx::Device> device;
    std::unique_ptr<gfx::Texture> noise;
    std::unique_ptr<PostProcessChain> chain;
};

Screen& TheScreen() {
    static Screen screen = [] {
        Screen s;
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        window::WindowDesc desc;
        desc.width = 1280;
        desc.height = 800;
        s.window = window::Window::Create(desc);
        if (s.window != nullptr) {
            s.device = gfx::Device::Create(*s.window);
        }
        if (s.device != nullptr) {
            gfx::Image grain;
            grain.width = 4;
            grain.height = 4;
            grain.pixels.assign(4 * 4 * 4, 128);
            s.noise = gfx::Texture::FromImage(std::move(grain), false);
            s.chain = std::make_unique<PostProcessChain>(*s.device, s.noise.get(), nullptr,
                                                         kPackage.c_str());
        }
        return s;
    }();
    return screen;
}

void Frame(Screen& s, bool compose) {
    s.device->SetBackBufferTarget();
    s.device->Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF000000u, 1.0f, 0);
    if (compose) {
        s.chain->BeginSceneTarget();
        s.device->Clear(gfx::kClearTarget, 0xFF806040u, 1.0f, 0);
        s.chain->EndSceneTarget();
        ComposeInputs inputs;
        inputs.frameTime = 1.0f / 60.0f;
        s.chain->Compose(inputs);
    }
    benchmark::DoNotOptimize(s.device->ReadBackBuffer());
}

void BM_EmptyFrame(benchmark::State& state) {
    Screen& s = TheScreen();
    if (s.chain == nullptr) {
        state.SkipWithError("no device");
        return;
    }
    for (auto _ : state) {
        Frame(s, false);
    }
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond);

// 0: bloom and the loop effects of the start settings; 1: bloom and the grain alone; 2: the
// loop effects and the grain without bloom.
void BM_ComposedFrame(benchmark::State& state) {
    Screen& s = TheScreen();
    if (s.chain == nullptr) {
        state.SkipWithError("no device");
        return;
    }
    const auto& effects = s.chain->Effects();
    s.chain->SetBloomOn(state.range(0) != 2);
    for (std::size_t i = 0; i + 1 < effects.size(); ++i) {
        // Motion blur starts off; the rest start on.
        effects[i]->SetEnabledFlag(state.range(0) != 1 && effects[i]->Name() != "MotionBlur");
    }
    for (auto _ : state) {
        Frame(s, true);
    }
}
BENCHMARK(BM_ComposedFrame)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TimingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto empty = reporter.Time("BM_EmptyFrame");
    const auto composed = reporter.Time("BM_ComposedFrame/0");
    if (empty && composed) {
        std::printf("composition at 1280x800: %.2f ms a frame (%.1f fps with it, %.1f without)\n",
                    *composed - *empty, 1000.0 / *composed, 1000.0 / *empty);
    }
    TheScreen().chain.reset();
    benchmark::Shutdown();
    return 0;
}
