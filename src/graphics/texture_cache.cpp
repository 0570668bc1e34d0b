#include "graphics/texture_cache.h"

#include "content/file_package.h"
#include "platform/gfx/image.h"
#include "platform/system/log.h"

namespace {

std::unique_ptr<gfx::Texture> Load(const std::string& package, const std::string& name,
                                   gfx::ImageKind kind) {
    FilePackage* files = FilePackage::Get(package);
    u32 size = 0;
    const std::unique_ptr<u8[]> bytes =
        files != nullptr ? files->GetFile(FilePackage::SplitPath(name), size) : nullptr;
    gfx::Image image;
    if (bytes == nullptr || !gfx::DecodeImage(bytes.get(), size, image) || image.kind != kind) {
        return nullptr;
    }
    return gfx::Texture::FromImage(std::move(image), true);
}

} // namespace

std::unique_ptr<gfx::Texture> LoadTextureFromPackage(const std::string& package,
                                                     const std::string& name) {
    return Load(package, name, gfx::ImageKind::Texture2D);
}

std::unique_ptr<gfx::Texture> LoadCubeTextureFromPackage(const std::string& package) {
    return Load(package, kEnvironmentCubeName, gfx::ImageKind::Cube);
}

std::unique_ptr<gfx::Texture> LoadVolumeTextureFromPackage(const std::string& package) {
    return Load(package, kNoiseVolumeName, gfx::ImageKind::Volume);
}

gfx::Texture* TextureCache::Get(const std::string& name) {
    if (const auto found = m_textures.find(name); found != m_textures.end()) {
        return found->second.get();
    }
    std::unique_ptr<gfx::Texture> texture = LoadTextureFromPackage(m_package, name);
    if (texture == nullptr) {
        sys::LogLine("Failed to load " + name);
        return nullptr;
    }
    gfx::Texture* const result = texture.get();
    m_textures.emplace(name, std::move(texture));
    return result;
}
