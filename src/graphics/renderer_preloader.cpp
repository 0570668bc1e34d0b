#include "graphics/renderer_preloader.h"

#include "graphics/graphics_process.h"

void RendererPreloader::PreloadStaticMesh(const std::string& name) {
    m_graphics->LoadStaticMesh(name);
}

void RendererPreloader::PreloadAnimatedMesh(const std::string& name) {
    m_graphics->LoadAnimatedMesh(name);
}

void RendererPreloader::PreloadAnimatedMeshInstance(const std::string& name) {
    m_graphics->LoadAnimatedMeshInstance(name);
}

// Builds the cached map; the copy that comes back is not needed.
void RendererPreloader::PreloadAnimationMap(const std::string& name) {
    m_graphics->ReleaseAnimationMap(m_graphics->GetAnimationMap(name));
}

void RendererPreloader::PreloadTexture(const std::string& name) {
    m_graphics->GetTexture(name);
}
