#pragma once
// Every path of the game folder's assets, named once. The game runs with its folder as the
// working directory; paths keep the exact spelling the game logs and looks them up by
// (some with a leading "./", some without). Here in core because the content layer's
// loaders and core's default level need them as much as the subsystems do.

#include <string>

namespace asset_path {

// Packages.
inline constexpr const char* kArtPackage = "./assets/packages/art.kzp";
inline constexpr const char* kShaderPackage = "./assets/packages/shaders.kzp";
inline constexpr const char* kParticlesPackage = "./assets/packages/particles.kzp";
inline constexpr const char* kSoundsPackage = "./assets/packages/sounds.kzp";
inline constexpr const char* kLevelsPackage = "./assets/packages/levels.kzp";

// Levels and object definitions.
inline constexpr const char* kLevelsFolder = "./assets/levels";
inline constexpr const char* kGameObjectDefinitions = "./assets/levels/game_objects.xml";
inline constexpr const char* kDefaultLevel = "./assets/levels/ubergold.lua";
inline constexpr const char* kMenuLevel = "./assets/levels/menu_level.lua";

// Loose sound effects, films and music.
inline constexpr const char* kSoundFolder = "./assets/sound fx/";
inline constexpr const char* kLogoVideo = "assets/video/kelmorvideo.avi";
inline constexpr const char* kIntroVideo = "./assets/video/introscreen.avi";
inline constexpr const char* kFilmLeaderVideo = "./assets/video/FilmLeader.avi";
inline constexpr const char* kCreditsVideo = "./assets/video/Credits.avi";
inline constexpr const char* kFilmLeaderSound = "assets/music/FilmLeader.wav";
inline constexpr const char* kMenuMusic = "./assets/music/Gramophone_Stars_And_Stripes.mp3";

// Art the level and the particle systems load by name.
inline constexpr const char* kDefaultParticleTexture = "assets/art/smoke.dds";
inline constexpr const char* kTubeMeshes[] = {"assets/art/tube0.X", "assets/art/tube1.X",
                                              "assets/art/tube2.X", "assets/art/tube3.X",
                                              "assets/art/tube4.X"};
inline constexpr unsigned kMothershipTubeMeshCount = 6;
// The mesh of the mothership's tube number index.
inline std::string MothershipTubeMesh(unsigned index) {
    return "assets/art/mothership_tube" + std::to_string(index) + ".X";
}

} // namespace asset_path
