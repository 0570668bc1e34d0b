#pragma once
// A reader of text .X files: the file becomes a tree of data objects. Each object has its
// template type ("Frame", "Mesh", "AnimationKey", ...), an optional name, its numbers and
// strings in file order (the separators ';' and ',' only end values), and its nested
// objects and references ("{ Name }") in file order. Template declarations are skipped;
// binary and compressed files are refused. Errors come back as text, never as a crash.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/types.h"

namespace gfx {

struct XData {
    std::string type;
    std::string name;
    // Set for a reference instead of a nested object; type and the lists stay empty.
    std::string reference;
    std::vector<double> numbers;
    std::vector<std::string> strings;
    std::vector<XData> children;

    bool IsReference() const { return !reference.empty(); }
    // The first nested object of the type (references not followed), or null.
    const XData* Child(std::string_view childType) const;
};

class XFile {
  public:
    XFile() = default;
    XFile(const XFile&) = delete;
    XFile& operator=(const XFile&) = delete;
    XFile(XFile&&) = default;
    XFile& operator=(XFile&&) = default;

    // Replaces the contents; false with error set when the text cannot be read.
    bool Parse(std::string_view text, std::string* error = nullptr);

    const std::vector<XData>& Objects() const { return m_objects; }
    // The named object anywhere in the file (the first of that name), or null.
    const XData* Find(const std::string& name) const;
    // A reference's target, or the object itself when it is none; null for an unresolved
    // reference.
    const XData* Resolve(const XData& data) const;

  private:
    void Index(const XData& data);

    std::vector<XData> m_objects;
    std::map<std::string, const XData*> m_names;
};

} // namespace gfx
