#include "graphics/start_error.h"

#include <cstdlib>
#include <mutex>

#include "graphics/graphics_process.h"
#include "platform/system/log.h"
#include "platform/system/message_box.h"

namespace {

std::mutex g_hook_mutex;
ExitHook g_exit_hook;

} // namespace

ExitHook SetGraphicsExitHook(ExitHook hook) {
    const std::lock_guard<std::mutex> lock(g_hook_mutex);
    ExitHook previous = std::move(g_exit_hook);
    g_exit_hook = std::move(hook);
    return previous;
}

void ShowGraphicsStartError() {
    ShowGraphicsStartError(GraphicsProcess::kStartupErrorText);
}

void ShowGraphicsStartError(const std::string& text) {
    sys::ShowMessageBox("Error", text, sys::MessageBoxIcon::Error);
    sys::LogLine(text);
    ExitHook hook;
    {
        const std::lock_guard<std::mutex> lock(g_hook_mutex);
        hook = g_exit_hook;
    }
    if (hook) {
        hook(0);
    } else {
        std::exit(0);
    }
}
