#pragma once
// Level scripts and definitions that the level editor wrote beside the packages. A file
// that exists on disk under its path is read in place of the packaged copy of that path.
#include <memory>
#include <string>

#include "core/types.h"

// The bytes of the file at path on disk, else of the entry of that path in the package;
// null (after the package's own message) when neither has it.
std::unique_ptr<u8[]> ReadLevelFile(const std::string& packagePath, const std::string& path,
                                    u32& size);
