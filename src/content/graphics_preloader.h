#pragma once
// What the background resource loader needs of the renderer. The loader lives below the
// renderer, so the renderer hands it this view of its caches instead of itself. Each call
// loads one file into the renderer's caches on the calling thread (a cached file costs
// nothing more) and takes the device mutex itself around any work on the device.
#include <string>

class GraphicsPreloader {
  public:
    virtual ~GraphicsPreloader() = default;

    virtual void PreloadStaticMesh(const std::string& name) = 0;
    virtual void PreloadAnimatedMesh(const std::string& name) = 0;
    // The shared-hierarchy variant that the citizen mesh uses.
    virtual void PreloadAnimatedMeshInstance(const std::string& name) = 0;
    // Builds and caches the mesh's animation map; the loader needs no copy of it.
    virtual void PreloadAnimationMap(const std::string& name) = 0;
    virtual void PreloadTexture(const std::string& name) = 0;
};
