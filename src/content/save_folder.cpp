#include "content/save_folder.h"

#include "platform/system/files.h"

namespace {

const char* const kFallbackFolder = "./save/";

std::string FallbackFolder() {
    sys::CreateFolder("./save");
    return kFallbackFolder;
}

} // namespace

std::string GetSaveFolder() {
    std::string folder = sys::DocumentsFolder();
    if (folder.empty()) {
        return FallbackFolder();
    }
    if (folder.compare(0, 2, "//") == 0 || folder.compare(0, 2, "\\\\") == 0) {
        return "./";
    }
    bool made = sys::CreateFolder(folder);
    if (folder.back() != '/') {
        folder += '/';
    }
    for (const char* level : {"My Games", "Vantrel", "Gorvane"}) {
        folder += level;
        made = made && sys::CreateFolder(folder);
        folder += '/';
    }
    return made ? folder : FallbackFolder();
}
