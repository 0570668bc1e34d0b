#include "platform/system/process_memory.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace sys {

u64 ResidentBytes() {
    // The second field of statm is the resident set in pages.
    std::ifstream statm("/proc/self/statm");
    u64 size = 0;
    u64 resident = 0;
    if (!(statm >> size >> resident)) {
        return 0;
    }
    const long page = sysconf(_SC_PAGESIZE);
    return resident * static_cast<u64>(page > 0 ? page : 4096);
}

u64 PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
        }
    }
    return 0;
}

} // namespace sys
