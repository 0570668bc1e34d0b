#include "graphics/screenshot.h"

#include <cstdio>
#include <set>

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
    if (width <= 0 || height <= 0 ||
        rgba.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
        sys::LogLine("Screenshot not saved: there is no frame");
        return {};
    }
    const std::string bmp = gfx::EncodeBmp(rgba.data(), width, height);
    // Another game saving into the same folder may take a free name first: the picture then
    // goes under the next one, and neither is lost.
    std::set<std::string> taken;
    const auto exists = [&taken](const std::string& name) {
        return taken.count(name) != 0 || FileOpens(name);
    };
    for (std::string name = NextScreenshotName(exists); !name.empty();
         name = NextScreenshotName(exists)) {
        std::string error;
        bool lost = false;
        if (!sys::WriteNewFile(name, bmp, &error, &lost) && !lost) {
            sys::CreateFolder(kFolder);
            if (!sys::WriteNewFile(name, bmp, &error, &lost) && !lost) {
                sys::LogLine("Screenshot could not be saved to: " + name + " (" + error + ")");
                return {};
            }
        }
        if (!lost) {
            sys::LogLine("Screenshot saved to: " + name);
            return name;
        }
        taken.insert(name);
    }
    // Overwriting an old one would lose it; the player can clear the folder instead.
    sys::LogLine("Screenshot not saved: every screenshot name up to 998 is taken");
    return {};
}
