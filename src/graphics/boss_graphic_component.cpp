#include "graphics/boss_graphic_component.h"

#include "core/math_functions.h"
#include "graphics/animation_map_operations.h"
#include "graphics/mesh_hierarchy.h"

namespace {

constexpr float kPoseTable[BossGraphicComponent::kPoseCount][4] = {
    {0.8678f, -0.1620f, -0.4440f, -0.1537f}, {0.5696f, -0.4041f, -0.6523f, -0.2946f},
    {-0.5521f, 0.1528f, 0.8169f, -0.0673f},  {0.5542f, 0.1590f, 0.8001f, 0.1653f},
    {0.5065f, -0.5467f, -0.6079f, -0.2739f}, {-0.8662f, 0.4423f, 0.2243f, 0.0610f},
    {0.0270f, 0.6765f, 0.7353f, -0.0299f},   {-0.6288f, -0.4909f, -0.5872f, 0.1373f},
    {-0.4515f, 0.6211f, 0.6316f, 0.1072f},   {0.1586f, -0.6937f, -0.6550f, -0.2540f},
    {-0.1652f, -0.4969f, -0.8514f, -0.0320f}};

// The animations all but stop while the bones turn.
constexpr float kTurnAnimationSpeed = 0.001f;

} // namespace

const Float4x4& ComposeTransformMatrix(const Float3& scale, const Quaternion& rotation,
                                       const Float3& translation) {
    static Float4x4 scaling;
    static Float4x4 turn;
    static Float4x4 result;
    scaling = Math::MatrixScaling(scale.x, scale.y, scale.z);
    turn = Math::MatrixRotationQuaternion(rotation);
    result =
        Math::MatrixMultiply(Math::MatrixMultiply(scaling, turn),
                             Math::MatrixTranslation(translation.x, translation.y, translation.z));
    return result;
}

BossGraphicComponent::BossGraphicComponent(const std::string& objectType, GraphicsProcess* graphics,
                                           gfx::Device* device, const std::string& meshName,
                                           u8 definitionFlag1, float specularPower,
                                           float hdrMultiplier, u8 animated, u8 secondHierarchy,
                                           u8 definitionFlag2, const char* bumpMapName,
                                           const char* specularMapName, u8 definitionFlag3,
                                           u8 definitionFlag4)
    : GraphicComponent(objectType, graphics, device, meshName, definitionFlag1, specularPower,
                       hdrMultiplier, animated, secondHierarchy, "Boss", definitionFlag2,
                       bumpMapName, specularMapName, definitionFlag3, definitionFlag4) {
    for (const auto& pose : kPoseTable) {
        m_poses.push_back(Math::QuaternionNormalize({pose[0], pose[1], pose[2], pose[3]}));
    }
    m_target = m_poses.back();
}

void BossGraphicComponent::ResetAnimationPose() {
    m_blend_time = 0.0f;
    m_turning = 1;
    m_blend_factor = 0.0f;
    m_rising = 1;
    m_target = m_poses.back();
    AnimationMapOperations* const operations = GetAnimationMapOperations();
    if (m_animation_map != nullptr && operations != nullptr) {
        operations->SetTimeAt(*m_animation_map, 0, 1.0f);
        operations->SetSpeedAll(*m_animation_map, kTurnAnimationSpeed);
    }
}

void BossGraphicComponent::UpdateSkinning(float dt) {
    if (m_turning != 0) {
        m_blend_time += dt;
        if (m_rising != 0) {
            m_blend_factor += kBlendRate * dt;
            // Not clamped: the last step ends a little above 1.
            if (m_blend_factor > 1.0f) {
                m_rising = 0;
            }
        }
    }
    GraphicComponent::UpdateSkinning(dt);
}

void BossGraphicComponent::UpdateFrameMatrices(Frame* frame, const Float4x4* parent) {
    if (m_turning == 0) {
        GraphicComponent::UpdateFrameMatrices(frame, parent);
        return;
    }
    if (frame == nullptr) {
        return;
    }
    if (parent == nullptr) {
        // The root keeps its own transform.
        frame->m_combined = frame->m_transformation;
    } else {
        Float3 scale;
        Quaternion rotation;
        Float3 translation;
        Math::MatrixDecompose(frame->m_transformation, scale, rotation, translation);
        const Quaternion turned = Math::QuaternionSlerp(rotation, m_target, m_blend_factor);
        const Float4x4 local = ComposeTransformMatrix(scale, turned, translation);
        frame->m_combined = Math::MatrixMultiply(local, *parent);
    }
    UpdateFrameMatrices(frame->m_sibling, parent);
    UpdateFrameMatrices(frame->m_first_child, &frame->m_combined);
}
