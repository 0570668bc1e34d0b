#pragma once
// Textures from the art package, decoded on the calling thread (the loader thread too) and
// uploaded on their first use on the render thread.
//
// The cache hands out one texture per name as the caller spells it. A name that cannot be
// loaded writes "Failed to load " and the name to the log every time it is asked for, and
// nothing is cached for it, so a later call tries again. The cache has no lock of its own:
// callers hold the device mutex.
#include <map>
#include <memory>
#include <string>

#include "platform/gfx/texture.h"

// The fixed names of the sky environment and the lighting noise.
inline constexpr const char* kEnvironmentCubeName = "assets/art/grassenvmap512.dds";
inline constexpr const char* kNoiseVolumeName = "assets/art/noise.dds";

// Each loader finds the file by its base name in the package; null when the file is missing,
// cannot be decoded or is of another kind (2D, cube, volume) than the loader makes.
std::unique_ptr<gfx::Texture> LoadTextureFromPackage(const std::string& package,
                                                     const std::string& name);
std::unique_ptr<gfx::Texture> LoadCubeTextureFromPackage(const std::string& package);
std::unique_ptr<gfx::Texture> LoadVolumeTextureFromPackage(const std::string& package);

class TextureCache {
  public:
    explicit TextureCache(std::string package) : m_package(std::move(package)) {}

    gfx::Texture* Get(const std::string& name);
    std::size_t Size() const { return m_textures.size(); }
    // Render thread: the textures hold GL objects once used.
    void Clear() { m_textures.clear(); }

  private:
    std::string m_package;
    std::map<std::string, std::unique_ptr<gfx::Texture>> m_textures;
};
