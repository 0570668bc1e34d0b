#include "content/level_files.h"

#include <fstream>

#include "content/file_package.h"

std::unique_ptr<u8[]> ReadLevelFile(const std::string& packagePath, const std::string& path,
                                    u32& size) {
    // Read whole in one call: a level script runs to megabytes.
    if (std::ifstream file(path, std::ios::binary | std::ios::ate); file) {
        const std::streamoff length = file.tellg();
        if (length >= 0 && file.seekg(0)) {
            auto bytes = std::make_unique_for_overwrite<u8[]>(static_cast<std::size_t>(length) + 1);
            file.read(reinterpret_cast<char*>(bytes.get()), length);
            size = static_cast<u32>(file.gcount());
            bytes[size] = 0;
            return bytes;
        }
    }
    return FilePackage::Get(packagePath)->GetFile(FilePackage::SplitPath(path), size);
}
