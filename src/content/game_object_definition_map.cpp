#include "content/game_object_definition_map.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <vector>

#include "content/file_package.h"
#include "content/level_files.h"
#include "content/parser_process.h"
#include "content/ticpp.h"
#include "content/xml_failure.h"
#include "core/asset_paths.h"
#include "platform/system/files.h"
#include "platform/system/log.h"

namespace {

// Vector values are written "x, y, z"; when read, every comma and blank separates pieces,
// empty pieces are skipped, and components without a piece stay 0.
void ReadVectorValue(const ticpp::Element& param, float* components, std::size_t count) {
    const std::string text = param.GetAttribute("value");
    std::fill(components, components + count, 0.0f);
    std::size_t filled = 0;
    std::size_t start = 0;
    while (filled < count && start < text.size()) {
        const std::size_t end = std::min(text.find_first_of(", \t\r\n", start), text.size());
        if (end > start) {
            try {
                ticpp::FromString(text.substr(start, end - start), &components[filled++]);
            } catch (const ticpp::Exception& e) {
                throw ticpp::Exception(e.m_details + " (attribute 'value' of element '" +
                                       param.Value() + "')");
            }
        }
        start = end + 1;
    }
}

std::string JoinVector(const float* components, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += (i > 0 ? ", " : "") + ticpp::ToString(components[i]);
    }
    return text;
}

// The parameter types of object definitions: how a Param's value goes into a stream, and
// how a value at the stream's cursor comes back out as text (false past the data).
struct ParamType {
    const char* name;
    void (*add)(StreamMap& stream, const std::string& name, const ticpp::Element& param);
    bool (*format)(StreamMap& stream, std::string& text);
};

template <class T, void (StreamMap::*Add)(const std::string&, T)>
void AddScalar(StreamMap& stream, const std::string& name, const ticpp::Element& param) {
    T value{};
    param.GetAttribute("value", &value);
    (stream.*Add)(name, value);
}

template <class T, bool (StreamMap::*Read)(T&)>
bool FormatScalar(StreamMap& stream, std::string& text) {
    T value{};
    const bool ok = (stream.*Read)(value);
    text = ticpp::ToString(value);
    return ok;
}

void AddText(StreamMap& stream, const std::string& name, const ticpp::Element& param) {
    stream.AddString(name, param.GetAttribute("value"));
}

bool FormatText(StreamMap& stream, std::string& text) {
    return stream.ReadString(text);
}

template <std::size_t N>
void AddVector(StreamMap& stream, const std::string& name, const ticpp::Element& param) {
    float v[N];
    ReadVectorValue(param, v, N);
    if constexpr (N == 3) {
        stream.AddVector3(name, v[0], v[1], v[2]);
    } else {
        stream.AddVector4(name, &v[0]);
    }
}

template <std::size_t N> bool FormatVector(StreamMap& stream, std::string& text) {
    float v[N] = {};
    const bool ok = N == 3 ? stream.ReadVector3(&v[0]) : stream.ReadVector4(&v[0]);
    text = JoinVector(v, N);
    return ok;
}

const ParamType kParamTypes[] = {
    {"string", AddText, FormatText},
    {"int", AddScalar<i32, &StreamMap::AddInt>, FormatScalar<i32, &StreamMap::ReadInt>},
    {"long", AddScalar<i32, &StreamMap::AddLong>, FormatScalar<i32, &StreamMap::ReadInt>},
    {"float", AddScalar<float, &StreamMap::AddFloat>, FormatScalar<float, &StreamMap::ReadFloat>},
    {"double", AddScalar<double, &StreamMap::AddDouble>,
     FormatScalar<double, &StreamMap::ReadDouble>},
    {"bool", AddScalar<bool, &StreamMap::AddBool>, FormatScalar<bool, &StreamMap::ReadBool>},
    {"vector3", AddVector<3>, FormatVector<3>},
    {"vector4", AddVector<4>, FormatVector<4>},
};

const ParamType* FindParamType(const std::string& name) {
    for (const ParamType& type : kParamTypes) {
        if (name == type.name) {
            return &type;
        }
    }
    return nullptr;
}

void ReadParam(const ticpp::Element& param, const std::string& objectName,
               const std::string& componentName, StreamMap& stream) {
    const std::string name =
        param.HasAttribute("name") ? param.GetAttribute("name") : std::string("Name Unknown");
    const std::string typeName = param.GetAttribute("type");
    const ParamType* const type = FindParamType(typeName);
    if (type == nullptr) {
        // An index entry without bytes would hide the next parameter's entry, and a later
        // save would stop there and drop the rest; so the parameter is left out.
        sys::Log() << "game_objects.xml: parameter '" << name << "' of component '" << componentName
                   << "' of '" << objectName << "' has unknown type '" << typeName
                   << "' and is skipped";
        return;
    }
    type->add(stream, name, param);
}

ComponentDefinitionList ReadComponents(const ticpp::Element& object,
                                       const std::string& objectName) {
    ComponentDefinitionList components;
    for (const ticpp::Element component : object.Children("Component")) {
        const std::string componentName = component.GetAttribute("type");
        StreamMap stream(StreamMap::kDefaultCapacity);
        stream.WriteString(objectName);
        stream.WriteString(componentName);
        for (const ticpp::Element param : component.Children("Param")) {
            ReadParam(param, objectName, componentName, stream);
        }
        // Equal keys go after those already there, so components of one type keep file order.
        components.emplace(ComponentType::FromName(componentName), std::move(stream));
    }
    return components;
}

void WriteComponent(ticpp::Element& object, ComponentType type, const StreamMap& definition,
                    const std::string& objectName) {
    StreamMap stream = definition;
    stream.BeginRead();
    std::string streamObjectName;
    std::string componentName;
    stream.ReadString(streamObjectName);
    stream.ReadString(componentName);

    ticpp::Element component = object.InsertEndChild("Component");
    // An unknown component name is kept as it was read rather than turned into "Invalid".
    component.SetAttribute("type", type == ComponentType::Invalid && !componentName.empty()
                                       ? componentName
                                       : std::string(type.Name()));
    while (stream.Cursor() < stream.Size()) {
        const std::string name = stream.GetCurrentName();
        const std::string typeName = stream.GetCurrentType();
        const ParamType* const paramType = FindParamType(typeName);
        std::string text;
        if (paramType == nullptr || !paramType->format(stream, text)) {
            sys::Log() << "game_objects.xml: the parameters of component '"
                       << component.GetAttribute("type") << "' of '" << objectName << "' stop at '"
                       << name << "' of type '" << typeName << "', whose value cannot be read";
            break;
        }
        ticpp::Element param = component.InsertEndChild("Param");
        if (name != StreamMap::kInvalid) {
            param.SetAttribute("name", name);
        }
        param.SetAttribute("type", typeName);
        param.SetAttribute("value", text);
    }
}

// The bytes of game_objects.xml from the levels package; false (after the package's own
// log line) when it is not there.
bool ReadPackagedDefinitions(const std::string& packagePath, std::string& text) {
    // The definitions the level editor saved beside the packages come first.
    u32 size = 0;
    const std::unique_ptr<u8[]> bytes =
        ReadLevelFile(packagePath, kGameObjectDefinitionsPath, size);
    if (bytes == nullptr) {
        return false;
    }
    text.assign(reinterpret_cast<const char*>(bytes.get()), size);
    return true;
}

} // namespace

bool ReadGameObjectDefinitions(const char* text, std::size_t size,
                               GameObjectDefinitionMap& definitions,
                               const std::string& sourceName) {
    try {
        ticpp::Document document;
        document.Parse(text, size, sourceName);
        const ticpp::Element root = document.FirstChildElement("GameObjects");
        for (const ticpp::Element object : root.Children("GameObject")) {
            const std::string objectName = object.GetAttribute("name");
            definitions[objectName] = ReadComponents(object, objectName);
        }
        return true;
    } catch (const ticpp::Exception& failure) {
        ReportXmlFailure(failure);
        return false;
    }
}

bool WriteGameObjectDefinitions(const GameObjectDefinitionMap& definitions,
                                const std::string& path) {
    try {
        ticpp::Document document;
        ticpp::Element root = document.Create("GameObjects");
        std::vector<const GameObjectDefinitionMap::value_type*> types;
        types.reserve(definitions.size());
        for (const auto& type : definitions) {
            types.push_back(&type);
        }
        std::sort(types.begin(), types.end(),
                  [](const auto* a, const auto* b) { return a->first < b->first; });
        for (const auto* type : types) {
            ticpp::Element object = root.InsertEndChild("GameObject");
            object.SetAttribute("name", type->first);
            for (const auto& [componentType, stream] : type->second) {
                WriteComponent(object, componentType, stream, type->first);
            }
        }
        document.SaveFile(path);
        return true;
    } catch (const ticpp::Exception& failure) {
        ReportXmlFailure(failure);
        return false;
    }
}

GameObjectDefinitionMap* LoadGameObjectDefinitions(ParserProcess* parser, bool useCache) {
    GameObjectDefinitionMap& definitions = parser->m_definitions;
    if (useCache && !definitions.empty()) {
        return &definitions;
    }
    std::string text;
    if (ReadPackagedDefinitions(parser->m_levels_package_path, text)) {
        ReadGameObjectDefinitions(text.data(), text.size(), definitions);
    } else {
        sys::Log() << "game_objects.xml: not found in " << parser->m_levels_package_path
                   << "; the object definitions are unchanged";
    }
    return &definitions;
}

bool SaveGameObjectDefinitions(ParserProcess* parser) {
    // The levels folder sits beside the packages and may not exist in a fresh game folder.
    sys::CreateFolder("./assets");
    sys::CreateFolder(asset_path::kLevelsFolder);
    return WriteGameObjectDefinitions(parser->m_definitions, kGameObjectDefinitionsPath);
}
