#include "animation/x_animation_set_source.h"

#include <algorithm>
#include <memory>

#include "core/asset_paths.h"
#include "graphics/x_animation_tree.h"

std::vector<AnimationSet> AnimationSetsFromTree(const AnimFrame& root) {
    std::vector<AnimationSet> sets;
    for (const AnimFrame* set = root.m_first_child; set != nullptr; set = set->m_next_sibling) {
        if (set->m_kind != AnimFrame::kAnimationSet) {
            continue;
        }
        AnimationSet out;
        out.name = set->m_name;
        for (const AnimFrame* animation = set->m_first_child; animation != nullptr;
             animation = animation->m_next_sibling) {
            if (animation->m_target.empty() || animation->m_keys.empty()) {
                continue;
            }
            AnimationSetTrack track;
            track.frame = animation->m_target;
            for (const AnimFrameKey& key : animation->m_keys) {
                GraphicsAnimationKey converted;
                converted.tick = key.m_time;
                converted.matrix = key.m_matrix;
                converted.scale = key.m_scale;
                converted.translation = key.m_position;
                converted.rotation = key.m_rotation;
                track.keys.push_back(converted);
            }
            out.tracks.push_back(std::move(track));
        }
        // The tree holds its lists newest first.
        std::reverse(out.tracks.begin(), out.tracks.end());
        sets.push_back(std::move(out));
    }
    std::reverse(sets.begin(), sets.end());
    return sets;
}

std::vector<AnimationSet> XAnimationSetSource::ReadAnimationSets(const std::string& meshName) {
    const std::unique_ptr<AnimFrame> root(LoadXAnimationTree(m_package, meshName));
    return root != nullptr ? AnimationSetsFromTree(*root) : std::vector<AnimationSet>{};
}

void RegisterXAnimationSetSource() {
    static XAnimationSetSource source(asset_path::kArtPackage);
    SetAnimationSetSource(&source);
}
