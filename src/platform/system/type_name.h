#pragma once
// Readable class names for logs and reports ("GameObject", "Message<float>"), without the
// "class " prefix some compilers add.
#include <string>
#include <typeinfo>

namespace sys {

std::string Demangle(const char* mangled);

template <class T> std::string TypeName() {
    return Demangle(typeid(T).name());
}

} // namespace sys
