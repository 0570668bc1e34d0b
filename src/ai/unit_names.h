#pragma once
// Unit kinds are told apart by their object type name: exactly, or by a part of it for a
// family ("AI-Ground-Tank" covers every tank). The reaction tables hold one NameRule a row.
#include <string>
#include <string_view>

struct NameRule {
    enum Kind { Is, Contains };

    bool Matches(std::string_view name) const {
        return kind == Is ? name == text : name.find(text) != std::string_view::npos;
    }

    const char* text;
    Kind kind;
};

inline bool Contains(std::string_view name, std::string_view part) {
    return name.find(part) != std::string_view::npos;
}
