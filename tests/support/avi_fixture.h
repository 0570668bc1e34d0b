#pragma once
// Tiny AVI files for tests of video playback, written with FFmpeg's own muxer.

#include <filesystem>
#include <vector>

namespace avi_fixture {

// The grey level of every pixel of one picture: each picture of each stream differs.
unsigned char FrameByte(int stream, int frame);

// One video stream per entry of frameCounts, each that many frames of 2 x 2 pixels at fps
// frames per second. False (with a test failure) when the file cannot be written.
bool WriteTinyAvi(const std::filesystem::path& path, const std::vector<int>& frameCounts,
                  int fps = 10);

} // namespace avi_fixture
