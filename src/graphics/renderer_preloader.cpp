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

// The map comes back as the caller's own copy; the animation map type has no release
// operation yet, and until it has, the renderer hands out none.
void RendererPreloader::PreloadAnimationMap(const std::string& name) {
    m_graphics->GetAnimationMap(name);
}

void RendererPreloader::PreloadTexture(const std::string& name) {
    m_graphics->GetTexture(name);
}
