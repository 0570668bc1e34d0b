#pragma once
// The graphic component of the two bosses: besides the ordinary skinned hierarchy it can
// turn every bone smoothly towards one target orientation, keeping each bone's own scale
// and position, while the animations are slowed almost to a stop (the boss's death).
#include <string>
#include <vector>

#include "core/quaternion.h"
#include "graphics/graphic_component.h"

class BossGraphicComponent : public GraphicComponent {
  public:
    static constexpr u32 kPoseCount = 11;
    // The blend factor grows by this much a second.
    static constexpr float kBlendRate = 0.3f;

    BossGraphicComponent(const std::string& objectType, GraphicsProcess* graphics,
                         gfx::Device* device, const std::string& meshName, u8 definitionFlag1,
                         float specularPower, float hdrMultiplier, u8 animated, u8 secondHierarchy,
                         u8 definitionFlag2 = 0, const char* bumpMapName = nullptr,
                         const char* specularMapName = nullptr, u8 definitionFlag3 = 0,
                         u8 definitionFlag4 = 0);

    // Starts the turn towards the last pose and slows the animations to a crawl.
    void ResetAnimationPose();
    void UpdateSkinning(float dt) override;
    void UpdateFrameMatrices(Frame* frame, const Float4x4* parent) override;

    const std::vector<Quaternion>& Poses() const { return m_poses; }
    const Quaternion& Target() const { return m_target; }
    float BlendFactor() const { return m_blend_factor; }
    float BlendTime() const { return m_blend_time; }
    bool IsTurning() const { return m_turning != 0; }
    bool IsRising() const { return m_rising != 0; }
    u32 PoseIndex() const { return m_pose_index; }

  private:
    std::vector<Quaternion> m_poses;
    Quaternion m_target;
    float m_blend_time = 0.0f;
    float m_blend_factor = 0.0f;
    u32 m_pose_index = 0;
    u8 m_turning = 0;
    u8 m_rising = 0;
};

// Scaling × rotation × translation. Works in function-local matrices and returns one of
// them: not reentrant, and the caller copies the result at once.
const Float4x4& ComposeTransformMatrix(const Float3& scale, const Quaternion& rotation,
                                       const Float3& translation);
