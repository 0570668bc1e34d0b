#pragma once
// The animation sets of the art package's .X meshes, read through the renderer's animation
// tree reader, for LoadAnimationSets.
#include <string>
#include <vector>

#include "animation/animation_sets.h"

struct AnimFrame;

class XAnimationSetSource : public AnimationSetSource {
  public:
    explicit XAnimationSetSource(std::string package) : m_package(std::move(package)) {}
    std::vector<AnimationSet> ReadAnimationSets(const std::string& meshName) override;

  private:
    std::string m_package;
};

// The sets under a tree's root, in file order; animations without a target frame or keys
// are left out.
std::vector<AnimationSet> AnimationSetsFromTree(const AnimFrame& root);

// Makes the art package's reader the source of LoadAnimationSets, for the whole program.
void RegisterXAnimationSetSource();
