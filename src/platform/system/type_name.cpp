#include "platform/system/type_name.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

namespace sys {

std::string Demangle(const char* mangled) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    std::string name = (status == 0 && readable) ? readable.get() : mangled;
    for (const char* prefix : {"class ", "struct "}) {
        const std::string p(prefix);
        if (name.rfind(p, 0) == 0) {
            name.erase(0, p.size());
        }
    }
    return name;
}

} // namespace sys
