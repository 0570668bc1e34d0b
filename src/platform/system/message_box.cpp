#include "platform/system/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace sys {
namespace {

bool IsHeadlessDriver(const char* driver) {
    return driver != nullptr &&
           (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool HeadlessVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        return IsHeadlessDriver(SDL_GetCurrentVideoDriver());
    }
    return IsHeadlessDriver(std::getenv("SDL_VIDEODRIVER"));
}

void DefaultSink(const MessageBoxRequest& box) {
    std::fprintf(stderr, "%s: %s\n", box.title.c_str(), box.text.c_str());
    std::fflush(stderr);
    if (HeadlessVideo()) {
        return;
    }
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if (box.icon == MessageBoxIcon::Warning) {
        flags = SDL_MESSAGEBOX_WARNING;
    } else if (box.icon == MessageBoxIcon::Error) {
        flags = SDL_MESSAGEBOX_ERROR;
    }
    // Works with or without an initialised video subsystem; a failure (no display) leaves
    // the stderr copy as the only trace, which is all a headless run can show.
    SDL_ShowSimpleMessageBox(flags, box.title.c_str(), box.text.c_str(), nullptr);
}

std::mutex g_sink_lock;
MessageBoxSink g_sink;

} // namespace

void ShowMessageBox(const std::string& title, const std::string& text, MessageBoxIcon icon) {
    MessageBoxSink sink;
    {
        const std::lock_guard<std::mutex> lock(g_sink_lock);
        sink = g_sink;
    }
    const MessageBoxRequest box{title, text, icon};
    if (sink) {
        sink(box);
    } else {
        DefaultSink(box);
    }
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink) {
    const std::lock_guard<std::mutex> lock(g_sink_lock);
    MessageBoxSink previous = std::move(g_sink);
    g_sink = std::move(sink);
    return previous;
}

} // namespace sys
