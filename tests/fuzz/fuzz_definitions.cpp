// The object definitions: read from any text, written and read back.

#include "content/game_object_definition_map.h"
#include "fuzz/fuzz_support.h"

namespace {

bool Read(const std::string& path, GameObjectDefinitionMap& definitions) {
    const std::string text = fuzz::ReadBack(path);
    return ReadGameObjectDefinitions(text.data(), text.size(), definitions);
}

bool Write(const std::string& path, const GameObjectDefinitionMap& definitions) {
    return WriteGameObjectDefinitions(definitions, path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::InputFile(data, size, "game_objects.xml");
    fuzz::CheckRoundTrip<GameObjectDefinitionMap>(path, Read, Write,
                                                  "definitions do not read back as written");
    return 0;
}
