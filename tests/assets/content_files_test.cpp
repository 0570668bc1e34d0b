// The files the bundled content names: every mesh, texture, particle system, sound and video
// that a definition, a mesh, a particle definition or a game state asks for is in the game
// folder, and each one decodes the way its reader takes it.
#include <gtest/gtest.h>

#include <stb/stb_image.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/sound/sound_system.h"
#include "support/content_fixture.h"

namespace {

using content_test::BundledDefinitions;
using content_test::Packaged;
using content_test::PackagedWithExtension;
using content_test::ReadPackaged;
using content_test::ValueOf;

// The value after "Keyword =" on the line of a particle definition that holds the keyword.
std::string Setting(const std::string& definition, const std::string& keyword) {
    const std::size_t at = definition.find(keyword);
    if (at == std::string::npos) {
        return std::string();
    }
    const std::size_t equals = definition.find('=', at);
    const std::size_t end = definition.find('\n', at);
    if (equals == std::string::npos || equals > end) {
        return std::string();
    }
    std::string value = definition.substr(equals + 1, end - equals - 1);
    value.erase(0, value.find_first_not_of(" \t"));
    return value.substr(0, value.find_first_of(" \t\r"));
}

// The particle systems of the particles package by name, with their texture names.
std::map<std::string, std::string> ParticleSystems() {
    std::map<std::string, std::string> systems;
    for (const std::string& file : PackagedWithExtension("particles", ".txt")) {
        const std::string definition = ReadPackaged("particles", file);
        systems[Setting(definition, "SystemName")] = Setting(definition, "TextureName");
    }
    return systems;
}

// The texture file names the materials of a text .X mesh ask for.
std::vector<std::string> MeshTextures(const std::string& mesh) {
    std::vector<std::string> textures;
    for (std::size_t at = mesh.find("TextureFilename"); at != std::string::npos;
         at = mesh.find("TextureFilename", at + 1)) {
        const std::size_t open = mesh.find('"', at);
        const std::size_t close = mesh.find('"', open + 1);
        textures.push_back(mesh.substr(open + 1, close - open - 1));
    }
    return textures;
}

TEST(ContentFiles, EveryFileADefinitionNamesIsPackaged) {
    const std::map<std::string, std::string> systems = ParticleSystems();
    std::vector<std::string> missing;
    const auto need = [&](const std::string& package, const std::string& file,
                          const std::string& who) {
        if (!Packaged(package, file)) {
            missing.push_back(file + " (" + who + ")");
        }
    };
    for (const auto& [typeName, components] : BundledDefinitions().definitions) {
        for (const auto& [kind, definition] : components) {
            if (kind == ComponentType::Graphic) {
                need("art", ValueOf(definition, "Mesh"), typeName);
                for (const char* map : {"Bump Map", "Specular Map"}) {
                    if (!ValueOf(definition, map).empty()) {
                        need("art", ValueOf(definition, map), typeName);
                    }
                }
                // Any text but these two names the mesh of the broken object.
                const std::string breakable = ValueOf(definition, "Breakable");
                if (breakable != "true" && breakable != "false") {
                    need("art", breakable, typeName);
                }
            } else if (kind == ComponentType::Sprite) {
                need("art", ValueOf(definition, "Texture"), typeName);
            } else if (kind == ComponentType::ParticleSystem) {
                const std::string name = ValueOf(definition, "Name");
                if (systems.count(name) == 0) {
                    missing.push_back("particle system " + name + " (" + typeName + ")");
                }
            }
        }
    }
    EXPECT_EQ(missing, std::vector<std::string>());
}

TEST(ContentFiles, ParticleDefinitionsNameTheirSystemAndAPackagedTexture) {
    const std::map<std::string, std::string> systems = ParticleSystems();
    ASSERT_FALSE(systems.empty());
    for (const auto& [name, texture] : systems) {
        EXPECT_FALSE(name.empty());
        EXPECT_TRUE(Packaged("art", texture)) << name << ": " << texture;
    }
    EXPECT_EQ(PackagedWithExtension("particles", ".txt").size(), systems.size())
        << "two definitions name one system";
}

TEST(ContentFiles, MeshesAreTextXFilesWhoseTexturesArePackaged) {
    // The level's mothership hangs its turrets on these, and unloads them and the robot's
    // cable tubes when it ends.
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(Packaged("art", "assets/art/mothership_tube" + std::to_string(i) + ".X"));
    }
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(Packaged("art", "assets/art/tube" + std::to_string(i) + ".X"));
    }
    const std::vector<std::string> meshes = PackagedWithExtension("art", ".x");
    ASSERT_FALSE(meshes.empty());
    for (const std::string& name : meshes) {
        const std::string mesh = ReadPackaged("art", name);
        EXPECT_EQ(mesh.rfind("xof 0303txt 0032", 0), 0u) << name;
        EXPECT_NE(mesh.find("Mesh "), std::string::npos) << name;
        std::ptrdiff_t depth = 0;
        for (const char c : mesh) {
            depth += c == '{' ? 1 : c == '}' ? -1 : 0;
            ASSERT_GE(depth, 0) << name;
        }
        EXPECT_EQ(depth, 0) << name;
        for (const std::string& texture : MeshTextures(mesh)) {
            EXPECT_TRUE(Packaged("art", "assets/art/" + texture)) << name << ": " << texture;
        }
    }
}

TEST(ContentFiles, TexturesDecodeAtTheSizesTheirWidgetsLayOut) {
    std::map<std::string, std::pair<int, int>> sizes;
    for (const std::string& name : PackagedWithExtension("art", ".png")) {
        const std::string bytes = ReadPackaged("art", name);
        int width = 0;
        int height = 0;
        int channels = 0;
        stbi_uc* const pixels =
            stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                  static_cast<int>(bytes.size()), &width, &height, &channels, 4);
        EXPECT_NE(pixels, nullptr) << name;
        stbi_image_free(pixels);
        sizes[name] = {width, height};
    }

    // A widget's sprites are drawn at their texture's size, scaled with the window, over
    // the box that the screen layout gives the widget.
    const std::map<std::string, std::pair<int, int>> boxes = {
        {"VantrelLogo", {984, 246}}, {"Copyright", {745, 41}},  {"White", {16, 16}},
        {"Black", {16, 16}},         {"TeamLogo", {1024, 640}}, {"PhysxLogo", {400, 140}},
        {"GameLogo", {1024, 640}},   {"Controls", {1024, 640}}, {"Loading", {140, 40}},
    };
    for (const auto& [typeName, components] : BundledDefinitions().definitions) {
        const auto box = boxes.find(typeName);
        const bool button = components.count(ComponentType::UIButton) != 0;
        if ((box == boxes.end() && !button) || typeName == "DUMMY") {
            continue;
        }
        const std::pair<int, int> wanted = button ? std::pair(200, 50) : box->second;
        const auto [first, last] = components.equal_range(ComponentType::Sprite);
        for (auto sprite = first; sprite != last; ++sprite) {
            const std::string texture =
                kzp::LowerCase(FilePackage::SplitPath(ValueOf(sprite->second, "Texture")));
            EXPECT_EQ(sizes[texture], wanted) << typeName << ": " << texture;
        }
    }
}

TEST(ContentFiles, SoundsDecodeAndTheStatesFindTheirMusic) {
    // The menu's music, the film leader's sound before a level and the credits' music.
    for (const char* path : {"./assets/music/Gramophone_Stars_And_Stripes.mp3",
                             "assets/music/FilmLeader.wav", "./assets/music/credits_music.mp3"}) {
        EXPECT_TRUE(Packaged("sounds", path)) << path;
    }

    setenv("SDL_AUDIODRIVER", "dummy", 1);
    sound::System system;
    ASSERT_TRUE(system.IsOpen());
    // The loader decodes every file of the package as a sound; music also plays streamed.
    const auto& entries = content_test::Package("sounds")->Entries();
    ASSERT_FALSE(entries.empty());
    for (const FilePackage::Entry& entry : entries) {
        const std::string bytes = ReadPackaged("sounds", entry.m_name);
        const std::vector<u8> data(bytes.begin(), bytes.end());
        EXPECT_TRUE(system.Load(data, false) != nullptr) << entry.m_name;
        EXPECT_TRUE(system.Load(data, true) != nullptr) << entry.m_name;
    }
}

// Every sound and tune the game asks for by path: those written out in the sources, and the
// effects and tunes the units, the robot, the city and the levels name.
TEST(ContentFiles, EverySoundTheGameNamesIsPackaged) {
    std::set<std::string> paths;
    const std::regex literal(R"re("(\./)?assets/(sound fx|music)/[^"]+\.(mp3|wav)")re");
    for (const auto& file : std::filesystem::recursive_directory_iterator(
             std::filesystem::path(GORVANE_SOURCE_DIR) / "src")) {
        if (!file.is_regular_file()) {
            continue;
        }
        std::ifstream in(file.path());
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        for (auto it = std::sregex_iterator(text.begin(), text.end(), literal);
             it != std::sregex_iterator(); ++it) {
            paths.insert(it->str().substr(1, it->str().size() - 2));
        }
    }
    EXPECT_GE(paths.size(), 2u);
    for (const char* effect : {"tank_shot",
                               "helicopter_shot",
                               "helicopter",
                               "tank",
                               "building_demolition_2",
                               "medium_explosion",
                               "laser",
                               "bfg_open",
                               "bfg_charge",
                               "bfg_shot",
                               "mothership_explosion",
                               "minigun_5shot",
                               "citizen_fire1",
                               "citizen_fire2",
                               "punch",
                               "punch_impact",
                               "walk",
                               "hum",
                               "electrical_explosion",
                               "building_impact1",
                               "building_impact2",
                               "building_impact3"}) {
        paths.insert(std::string("./assets/sound fx/") + effect + ".mp3");
    }
    for (const char* tune :
         {"A Robot's Afoot [in game].mp3", "Attack The City [in game].mp3",
          "Flight Of The UFO [in game].mp3", "Game Intro [in game].mp3", "Mothership [in game].mp3",
          "UFO Boom and Mothership Intro [in game].mp3", "UFO Intro [in game].mp3", "music.mp3"}) {
        paths.insert(std::string("./assets/music/") + tune);
    }
    for (const std::string& path : paths) {
        EXPECT_TRUE(Packaged("sounds", path)) << path;
    }
}

TEST(ContentFiles, VideosOpenWithAShortVideoStream) {
    // The maker's logo, the menu's backdrop and the film leader before a level.
    for (const char* name : {"kelmorvideo.avi", "introscreen.avi", "FilmLeader.avi"}) {
        const std::string path = content_test::AssetPath(std::string("video/") + name);
        AVFormatContext* format = nullptr;
        ASSERT_GE(avformat_open_input(&format, path.c_str(), nullptr, nullptr), 0) << path;
        EXPECT_GE(avformat_find_stream_info(format, nullptr), 0) << path;
        const int stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        EXPECT_GE(stream, 0) << path;
        // Short, so the film leader does not hold up the start of play for long.
        EXPECT_GT(format->duration, 0) << path;
        EXPECT_LE(format->duration, 10 * AV_TIME_BASE) << path;
        avformat_close_input(&format);
    }
}

TEST(ContentFiles, TheCreditsLastPastTheirClosingFade) {
    // The credits turn the screen black and fade 31.5 s in, while they still play.
    const std::string path = content_test::AssetPath("video/Credits.avi");
    AVFormatContext* format = nullptr;
    ASSERT_GE(avformat_open_input(&format, path.c_str(), nullptr, nullptr), 0) << path;
    EXPECT_GE(avformat_find_stream_info(format, nullptr), 0) << path;
    EXPECT_GE(av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0), 0) << path;
    EXPECT_GT(format->duration, 32 * AV_TIME_BASE) << path;
    EXPECT_LE(format->duration, 40 * AV_TIME_BASE) << path;
    avformat_close_input(&format);
}

} // namespace
