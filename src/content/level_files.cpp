#include "content/level_files.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "content/file_package.h"

std::unique_ptr<u8[]> ReadLevelFile(const std::string& packagePath, const std::string& path,
                                    u32& size) {
    if (std::ifstream file(path, std::ios::binary); file) {
        const std::string text((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
        size = static_cast<u32>(text.size());
        auto bytes = std::make_unique<u8[]>(text.size() + 1);
        std::copy(text.begin(), text.end(), bytes.get());
        return bytes;
    }
    return FilePackage::Get(packagePath)->GetFile(FilePackage::SplitPath(path), size);
}
