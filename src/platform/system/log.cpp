#include "platform/system/log.h"

#include <iostream>
#include <mutex>
#include <string>

namespace sys {

namespace {

std::mutex& LogMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

void LogLine(std::string_view text) {
    std::string line;
    line.reserve(text.size() + 1);
    line.append(text);
    line.push_back('\n');
    const std::lock_guard<std::mutex> lock(LogMutex());
    std::cout << line << std::flush;
}

} // namespace sys
