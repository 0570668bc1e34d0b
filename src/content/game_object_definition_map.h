#pragma once
// The object types of the game: each type name maps to its components, one StreamMap of
// parameters per component, ordered by component type and, within a type, by file order.
// Each stream starts with the object type name and the component type name as strings,
// followed by the parameters in file order.
#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>

#include "core/asset_paths.h"
#include "core/component_type.h"
#include "core/stream_map.h"

using ComponentDefinitionList = std::multimap<ComponentType, StreamMap>;
using GameObjectDefinitionMap = std::unordered_map<std::string, ComponentDefinitionList>;

class ParserProcess;

// The path the object definitions are written to, beside the packages.
inline constexpr const char* kGameObjectDefinitionsPath = asset_path::kGameObjectDefinitions;

// Reads the object types of a game_objects.xml text into `definitions`; a type replaces an
// earlier one of its name. An XML failure is reported and stops the reading: the types
// completed before it stay, the one being read is dropped, and the result is false. A
// parameter of an unknown type is reported and skipped.
bool ReadGameObjectDefinitions(const char* text, std::size_t size,
                               GameObjectDefinitionMap& definitions,
                               const std::string& sourceName = "game_objects.xml");

// Writes the definitions as game_objects.xml, the types in name order. A failure is
// reported, leaves any old file as it was and returns false.
bool WriteGameObjectDefinitions(const GameObjectDefinitionMap& definitions,
                                const std::string& path);

// The parser's definitions, read from the levels package unless `useCache` is set and they
// are already there. A package without the file leaves them as they were.
GameObjectDefinitionMap* LoadGameObjectDefinitions(ParserProcess* parser, bool useCache);
// Writes the parser's definitions to kGameObjectDefinitionsPath.
bool SaveGameObjectDefinitions(ParserProcess* parser);
