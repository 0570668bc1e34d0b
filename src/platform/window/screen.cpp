#include "platform/window/screen.h"

#include <SDL.h>

#include <mutex>

#include "platform/window/video.h"

namespace window {
namespace {

std::mutex g_override_lock;
std::optional<ScreenMetrics> g_override;

ScreenMetrics QueryDisplay() {
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        return {};
    }
    return {mode.w, mode.h};
}

} // namespace

ScreenMetrics GetScreenMetrics() {
    {
        const std::lock_guard<std::mutex> lock(g_override_lock);
        if (g_override) {
            return *g_override;
        }
    }
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        return QueryDisplay();
    }
    // Asked before any window exists (the resolution is chosen first): bring video up just
    // for the question.
    if (!detail::InitVideo(nullptr)) {
        return {};
    }
    const ScreenMetrics metrics = QueryDisplay();
    detail::QuitVideo();
    return metrics;
}

void SetScreenMetricsOverride(std::optional<ScreenMetrics> metrics) {
    const std::lock_guard<std::mutex> lock(g_override_lock);
    g_override = metrics;
}

Point CentredPosition(ScreenMetrics screen, i32 width, i32 height) {
    return {screen.width / 2 - width / 2, screen.height / 2 - height / 2};
}

} // namespace window
