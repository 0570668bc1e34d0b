#include "graphics/screenshot.h"

#include <cstdio>

#include "platform/gfx/image.h"
#include "platform/system/files.h"
#include "platform/system/log.h"

namespace {

constexpr const char* kFolder = "Screenshots";
constexpr int kNameCount = 999;

bool FileOpens(const std::string& name) {
    if (std::FILE* file = std::fopen(name.c_str(), "r")) {
        std::fclose(file);
        return true;
    }
    return false;
}

} // namespace

std::string NextScreenshotName(const std::function<bool(const std::string&)>& exists) {
    for (int i = 0; i < kNameCount; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Screenshots/screenshot%.3d.bmp", i);
        if (!exists(name)) {
            return name;
        }
    }
    return {};
}

std::string NextScreenshotName() {
    return NextScreenshotName(FileOpens);
}

std::string SaveScreenshot(const std::vector<u8>& rgba, i32 width, i32 height) {
    const std::string name = NextScreenshotName();
    if (name.empty()) {
        // Overwriting an old one would lose it; the player can clear the folder instead.
        sys::LogLine("Screenshot not saved: every screenshot name up to 998 is taken");
        return {};
    }
    if (width <= 0 || height <= 0 ||
        rgba.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
        sys::LogLine("Screenshot not saved: there is no frame");
        return {};
    }
    const std::string bmp = gfx::EncodeBmp(rgba.data(), width, height);
    std::string error;
    if (!sys::WriteFileAtomic(name, bmp, &error)) {
        sys::CreateFolder(kFolder);
        if (!sys::WriteFileAtomic(name, bmp, &error)) {
            sys::LogLine("Screenshot could not be saved to: " + name + " (" + error + ")");
            return {};
        }
    }
    sys::LogLine("Screenshot saved to: " + name);
    return name;
}
