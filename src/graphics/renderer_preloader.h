#pragma once
// The renderer's side of the background resource loader: the loader asks through this view,
// and the renderer's own loaders fill its caches (taking the device mutex themselves). The
// level state that starts a loader keeps one of these beside it for the loader's lifetime.
#include <string>

#include "content/graphics_preloader.h"

class GraphicsProcess;

class RendererPreloader : public GraphicsPreloader {
  public:
    explicit RendererPreloader(GraphicsProcess* graphics) : m_graphics(graphics) {}

    void PreloadStaticMesh(const std::string& name) override;
    void PreloadAnimatedMesh(const std::string& name) override;
    void PreloadAnimatedMeshInstance(const std::string& name) override;
    void PreloadAnimationMap(const std::string& name) override;
    void PreloadTexture(const std::string& name) override;

  private:
    GraphicsProcess* m_graphics;
};
