#include "graphics/x_animation_tree.h"

#include <algorithm>

#include "core/math_functions.h"
#include "graphics/mesh_cache.h"
#include "platform/gfx/x_file.h"

namespace {

void PushFront(AnimFrame* parent, AnimFrame* child) {
    child->m_next_sibling = parent->m_first_child;
    parent->m_first_child = child;
}

// Unlinks child from parent's list and deletes it (alone).
void RemoveChild(AnimFrame* parent, AnimFrame* child) {
    for (AnimFrame** slot = &parent->m_first_child; *slot != nullptr;
         slot = &(*slot)->m_next_sibling) {
        if (*slot == child) {
            *slot = child->m_next_sibling;
            child->m_next_sibling = nullptr;
            delete child;
            return;
        }
    }
}

void ReadKeys(const gfx::XData& data, AnimFrame* node) {
    const std::vector<double>& n = data.numbers;
    std::size_t pos = 0;
    const auto next = [&n, &pos]() { return pos < n.size() ? n[pos++] : 0.0; };
    node->m_key_type = static_cast<u32>(std::clamp(next(), 0.0, 5.0));
    const double count = next();
    for (double k = 0; k < count && pos < n.size(); ++k) {
        AnimFrameKey key;
        key.m_time = static_cast<u32>(std::max(0.0, next()));
        const double values = next();
        float v[16] = {};
        for (double i = 0; i < values; ++i) {
            const float value = static_cast<float>(next());
            if (i < 16) {
                v[static_cast<int>(i)] = value;
            }
        }
        if (node->m_key_type == AnimFrame::kMatrixKeys && values == 16) {
            std::copy(v, v + 16, key.m_matrix.m);
        } else if (node->m_key_type == AnimFrame::kScaleKeys && values == 3) {
            key.m_scale = {v[0], v[1], v[2]};
        } else if (node->m_key_type == AnimFrame::kPositionKeys && values == 3) {
            key.m_position = {v[0], v[1], v[2]};
        } else if (node->m_key_type == AnimFrame::kRotationKeys && values == 4) {
            key.m_rotation = Math::QuaternionNormalize({v[1], v[2], v[3], -v[0]});
        }
        node->m_keys.push_back(key);
    }
}

void Walk(const gfx::XFile& file, const gfx::XData& data, AnimFrame* parent, int depth) {
    AnimFrame* node = nullptr;
    if (data.type == "Frame") {
        node = new AnimFrame;
        node->m_kind = AnimFrame::kFrameReference;
    } else if (data.type == "AnimationSet") {
        node = new AnimFrame;
        node->m_kind = AnimFrame::kAnimationSet;
    } else if (data.type == "Animation") {
        node = new AnimFrame;
        node->m_kind = AnimFrame::kAnimation;
    } else if (data.type == "AnimationKey") {
        node = new AnimFrame;
        node->m_kind = AnimFrame::kAnimationKey;
        ReadKeys(data, node);
    } else {
        return;
    }
    node->m_name = data.name.empty() ? "Template" : data.name;
    PushFront(parent, node);
    if (node->m_kind == AnimFrame::kFrameReference || depth > 8) {
        return;
    }
    for (const gfx::XData& child : data.children) {
        if (const gfx::XData* resolved = file.Resolve(child)) {
            Walk(file, *resolved, node, depth + 1);
        } else if (child.IsReference()) {
            // A frame the file names but does not hold: the name is all that is needed.
            auto* const reference = new AnimFrame;
            reference->m_kind = AnimFrame::kFrameReference;
            reference->m_name = child.reference;
            PushFront(node, reference);
        }
    }
}

void SplitMatrixKeys(AnimFrame* key) {
    for (AnimFrameKey& k : key->m_keys) {
        Math::MatrixDecompose(k.m_matrix, k.m_scale, k.m_rotation, k.m_position);
    }
    key->m_key_type = AnimFrame::kCombinedKeys;
}

void MergeInto(AnimFrame* base, const AnimFrame* other) {
    const std::size_t count = std::min(base->m_keys.size(), other->m_keys.size());
    base->m_keys.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const AnimFrameKey& from = other->m_keys[i];
        AnimFrameKey& to = base->m_keys[i];
        switch (other->m_key_type) {
        case AnimFrame::kRotationKeys:
            to.m_rotation = from.m_rotation;
            break;
        case AnimFrame::kScaleKeys:
            to.m_scale = from.m_scale;
            break;
        case AnimFrame::kPositionKeys:
            to.m_position = from.m_position;
            break;
        default:
            to.m_scale = from.m_scale;
            to.m_rotation = from.m_rotation;
            to.m_position = from.m_position;
            break;
        }
    }
    base->m_key_type = AnimFrame::kCombinedKeys;
}

void PostProcessAnimation(AnimFrame* animation) {
    AnimFrame* base = nullptr;
    for (AnimFrame* child = animation->m_first_child; child != nullptr;) {
        AnimFrame* const next = child->m_next_sibling;
        if (child->m_kind == AnimFrame::kFrameReference) {
            animation->m_target = child->m_name;
            RemoveChild(animation, child);
        } else if (child->m_kind == AnimFrame::kAnimationKey) {
            if (child->m_key_type == AnimFrame::kMatrixKeys) {
                SplitMatrixKeys(child);
            }
            if (base == nullptr) {
                base = child;
            } else {
                MergeInto(base, child);
                RemoveChild(animation, child);
            }
        }
        child = next;
    }
    if (base != nullptr) {
        animation->m_kind = base->m_kind;
        animation->m_key_type = base->m_key_type;
        animation->m_keys = std::move(base->m_keys);
        if (!base->m_target.empty()) {
            animation->m_target = base->m_target;
        }
        RemoveChild(animation, base);
    }
}

void PostProcess(AnimFrame* node) {
    for (AnimFrame* child = node->m_first_child; child != nullptr; child = child->m_next_sibling) {
        if (child->m_kind == AnimFrame::kAnimation) {
            PostProcessAnimation(child);
        } else {
            PostProcess(child);
        }
    }
}

} // namespace

AnimFrame::~AnimFrame() {
    delete m_first_child;
    // Siblings iteratively: a long list must not nest the destructors.
    AnimFrame* sibling = m_next_sibling;
    while (sibling != nullptr) {
        AnimFrame* const next = sibling->m_next_sibling;
        sibling->m_next_sibling = nullptr;
        delete sibling;
        sibling = next;
    }
}

AnimFrame* BuildXAnimationTree(const gfx::XFile& file) {
    auto* const root = new AnimFrame;
    root->m_name = "$ROOT$";
    for (const gfx::XData& data : file.Objects()) {
        Walk(file, data, root, 0);
    }
    PostProcess(root);
    return root;
}

AnimFrame* LoadXAnimationTree(const std::string& package, const std::string& name) {
    gfx::XFile file;
    if (!ReadXFileFromPackage(package, name, file)) {
        return nullptr;
    }
    return BuildXAnimationTree(file);
}
