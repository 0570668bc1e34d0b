#pragma once
// Log lines of the loaders, which run on threads of their own: each line goes out in one
// write, so lines of different threads never interleave.
#include <iostream>
#include <string>

inline void LogLine(const std::string& text) {
    std::cout << (text + '\n') << std::flush;
}
