#pragma once
// Screenshots: the frame as a 24-bit BMP in "Screenshots/" below the working folder, named
// "screenshot000.bmp" to "screenshot998.bmp", the first free number first.
#include <functional>
#include <string>
#include <vector>

#include "core/types.h"

// The first name that `exists` says is free, or empty when all 999 are taken.
std::string NextScreenshotName(const std::function<bool(const std::string&)>& exists);
// The same against the files of the working folder.
std::string NextScreenshotName();

// Writes R, G, B, A pixels (row 0 at the top) under the next free name, creating the folder
// when the first write fails. Logs the name once the file is written, or why nothing was.
// Returns the name written, or empty.
std::string SaveScreenshot(const std::vector<u8>& rgba, i32 width, i32 height);
