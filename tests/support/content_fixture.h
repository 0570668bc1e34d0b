#pragma once
// The game's bundled content as the build packs it into the game folder: its packages and
// videos, and its object definitions read from the levels package by the game's own reader.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "content/file_package.h"
#include "content/game_object_definition_map.h"
#include "content/package_format.h"
#include "core/stream_map.h"

namespace content_test {

inline std::string AssetPath(const std::string& relative) {
    return std::string(GORVANE_ASSETS_DIR) + "/" + relative;
}

inline FilePackage* Package(const std::string& name) {
    return FilePackage::Get(AssetPath("packages/" + name + ".kzp"));
}

// Whether the package holds the file that a game path such as "assets/art/tank.X" names,
// found as the game finds it: by its lowercased base name.
inline bool Packaged(const std::string& package, const std::string& gamePath) {
    return Package(package)->FindEntry(kzp::LowerCase(FilePackage::SplitPath(gamePath))) >= 0;
}

// The bytes of a packaged file; empty after a test failure when it is missing.
inline std::string ReadPackaged(const std::string& package, const std::string& gamePath) {
    u32 size = 0;
    const std::unique_ptr<u8[]> bytes =
        Package(package)->GetFile(FilePackage::SplitPath(gamePath), size);
    EXPECT_NE(bytes, nullptr) << gamePath << " in " << package;
    return bytes != nullptr ? std::string(reinterpret_cast<const char*>(bytes.get()), size)
                            : std::string();
}

// The names of a package's files that end with the extension, such as ".png".
inline std::vector<std::string> PackagedWithExtension(const std::string& package,
                                                      const std::string& extension) {
    std::vector<std::string> names;
    for (const FilePackage::Entry& entry : Package(package)->Entries()) {
        const std::string name = entry.m_name;
        if (name.size() >= extension.size() &&
            name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
            names.push_back(name);
        }
    }
    return names;
}

struct Bundled {
    GameObjectDefinitionMap definitions;
    bool read = false;
    // What the reader wrote while reading.
    std::string log;
    // The text of game_objects.xml.
    std::string text;
};

// Read once for the whole test program.
inline const Bundled& BundledDefinitions() {
    static const Bundled bundled = [] {
        Bundled b;
        b.text = ReadPackaged("levels", "game_objects.xml");
        testing::internal::CaptureStdout();
        b.read = ReadGameObjectDefinitions(b.text.data(), b.text.size(), b.definitions);
        b.log = testing::internal::GetCapturedStdout();
        return b;
    }();
    return bundled;
}

// One parameter of a component definition, its value as text (numbers in the stream's
// default notation, vectors joined by ", ").
struct Param {
    std::string name;
    std::string type;
    std::string value;
};

// The parameters of a definition stream after its two leading names, read in order by the
// types they were written with. A type that is not one of the stream's value types ends the
// list with that parameter, value empty.
inline std::vector<Param> ParamsOf(const StreamMap& definition) {
    StreamMap stream = definition;
    stream.BeginRead();
    std::string skipped;
    stream.ReadString(skipped);
    stream.ReadString(skipped);
    std::vector<Param> params;
    const auto number = [](auto value) {
        std::ostringstream text;
        text << value;
        return text.str();
    };
    const auto floats = [&](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            float value = 0.0f;
            stream.ReadFloat(value);
            text += (i > 0 ? ", " : "") + number(value);
        }
        return text;
    };
    while (stream.Cursor() < stream.Size()) {
        Param param{stream.GetCurrentName(), stream.GetCurrentType(), ""};
        const std::string& type = param.type;
        if (type == "string") {
            stream.ReadString(param.value);
        } else if (type == "int" || type == "long") {
            i32 value = 0;
            stream.ReadInt(value);
            param.value = number(value);
        } else if (type == "float") {
            param.value = floats(1);
        } else if (type == "double") {
            double value = 0.0;
            stream.ReadDouble(value);
            param.value = number(value);
        } else if (type == "bool") {
            bool value = false;
            stream.ReadBool(value);
            param.value = value ? "true" : "false";
        } else if (type == "vector3" || type == "vector4") {
            param.value = floats(type == "vector3" ? 3 : 4);
        } else {
            params.push_back(param);
            break;
        }
        params.push_back(param);
    }
    return params;
}

// The value of the first parameter of that name, or empty.
inline std::string ValueOf(const StreamMap& definition, const std::string& name) {
    for (const Param& param : ParamsOf(definition)) {
        if (param.name == name) {
            return param.value;
        }
    }
    return std::string();
}

} // namespace content_test
