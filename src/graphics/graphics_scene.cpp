// The scene passes of the renderer: the parallel update of every graphic component, their
// animation and skinning, culling into the draw lists, and the lit draw of the visible list
// with as few effect and material changes as the list order allows.

#include <algorithm>

#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/worker_pool.h"
#include "graphics/animation_map_operations.h"
#include "graphics/graphic_component.h"
#include "graphics/graphics_process.h"
#include "graphics/key_state.h"
#include "graphics/mesh_hierarchy.h"
#include "graphics/object_effects.h"
#include "graphics/render_settings.h"
#include "graphics/render_state_cache.h"
#include "graphics/shadow_maps.h"
#include "graphics/video_manager.h"
#include "platform/gfx/device.h"
#include "platform/gfx/effect.h"
#include "platform/gfx/render_states.h"
#include "platform/gfx/texture.h"
#include "platform/input/keys.h"

namespace {

constexpr const char* kDriveInScreen = "Drive-In Screen";
constexpr const char* kDriveInVideo = "./assets/video/introscreen.avi";

using key_state::Pressed;

u8 Flip(u8 value) {
    return value != 0 ? 0 : 1;
}

} // namespace

WorkerPool& GraphicsProcess::ComponentPool() {
    if (m_component_pool == nullptr) {
        m_component_pool = std::make_unique<WorkerPool>(g_processor_count);
    }
    return *m_component_pool;
}

WorkerPool& GraphicsProcess::CullPool() {
    if (m_cull_pool == nullptr) {
        m_cull_pool = std::make_unique<WorkerPool>(g_processor_count);
    }
    return *m_cull_pool;
}

void GraphicsProcess::UpdateComponentsParallel(float dt) {
    std::vector<GraphicComponent*>& all = m_graphic_components;
    ComponentPool().Run(all.size(), [&all, dt](std::size_t begin, std::size_t end, u32) {
        for (std::size_t i = begin; i < end; ++i) {
            all[i]->Update(dt);
        }
    });
}

void GraphicsProcess::AdvanceAnimations(float dt) {
    AnimationMapOperations* operations = GetAnimationMapOperations();
    if (operations == nullptr) {
        return;
    }
    for (GraphicComponent* component : m_graphic_components) {
        if (GraphicsAnimationMap* map = component->GetAnimationMap()) {
            operations->Update(*map, dt);
        }
    }
}

bool GraphicsProcess::IsDrawnThisFrame(const GraphicComponent& component) const {
    return component.m_unshadowed_draw != 0 || component.IsInAnyShadowSplit() ||
           component.GetCameraCulled() == 0;
}

void GraphicsProcess::SkinComponent(GraphicComponent& component, float dt) {
    AnimationMapOperations* operations = GetAnimationMapOperations();
    GraphicsAnimationMap* map = component.GetAnimationMap();
    if (operations == nullptr || map == nullptr) {
        return;
    }
    operations->ApplyPoses(*map);
    component.ApplyAnimationToFrames(component.GetRootFrame());
    component.UpdateSkinning(dt);
}

void GraphicsProcess::UpdateSkinning(float dt) {
    AnimationMapOperations* operations = GetAnimationMapOperations();
    bool citizenSeen = false;
    for (GraphicComponent* component : m_graphic_components) {
        if (component->owner != nullptr &&
            component->owner->name == GraphicComponent::kCitizenType &&
            (component->OwnsCitizenMesh() || m_citizen_component != nullptr)) {
            citizenSeen = true;
            continue;
        }
        GraphicsAnimationMap* map = component->GetAnimationMap();
        if (operations == nullptr || map == nullptr || !IsDrawnThisFrame(*component) ||
            !operations->IsAnyPlaying(*map)) {
            continue;
        }
        SkinComponent(*component, dt);
    }
    // All citizens share one skinned hierarchy: it is posed once, whatever the recorded
    // citizen's own flags, and only when a citizen is recorded.
    if (citizenSeen && m_citizen_component != nullptr) {
        SkinComponent(*m_citizen_component, dt);
    }
}

void GraphicsProcess::UpdateSkinningOf(GraphicComponent* component) {
    AnimationMapOperations* operations = GetAnimationMapOperations();
    if (component == nullptr || operations == nullptr || component->GetAnimationMap() == nullptr ||
        !IsDrawnThisFrame(*component) || !operations->IsAnyPlaying(*component->GetAnimationMap())) {
        return;
    }
    SkinComponent(*component, 0.0f);
}

void GraphicsProcess::CullObjectsParallel() {
    RenderCamera& camera = m_render_camera;
    camera.m_aspect = kAspectRatio;
    const FrustumBox frustum = camera.BuildFrustumBox(camera.m_min_near, camera.m_cull_far);
    std::vector<GraphicComponent*>& all = m_graphic_components;
    m_visible.reserve(all.size());
    CullPool().Run(all.size(), [&all, &frustum](std::size_t begin, std::size_t end, u32) {
        for (std::size_t i = begin; i < end; ++i) {
            GraphicComponent& c = *all[i];
            c.SetCameraCulled(
                RenderCamera::IsBoxInFrustum(c.GetWorldBox(), c.m_frustum_memory, frustum) ? 0 : 1);
        }
    });
    const float fogRange = g_render_settings.fogRange;
    const Float3& eye = camera.m_eye;
    for (GraphicComponent* c : all) {
        c->m_unshadowed_draw = 0;
        if (c->GetCameraCulled() != 0 || c->owner == nullptr) {
            continue;
        }
        const Vector& p = c->owner->position;
        const Vector& scale = c->owner->scale;
        const float dx = p.x - eye.x;
        const float dy = p.y - eye.y;
        const float dz = p.z - eye.z;
        const float s = c->GetSphereRadius() * std::max({scale.x, scale.y, scale.z});
        const float reach = fogRange + s;
        if (c->m_no_shadow_set != 0) {
            m_no_shadow.push_back(c);
        } else if (c->m_excluded == 0 && c->m_cast_shadow != 0 &&
                   reach * reach < dx * dx + dy * dy + dz * dz) {
            m_no_shadow.push_back(c);
        } else if (c->m_park != 0) {
            m_park.push_back(c);
        } else {
            if (c->GetDefinitionFlag1() == 0) {
                c->m_unshadowed_draw = 1;
            }
            m_visible.push_back(c);
        }
    }
}

void GraphicsProcess::BuildDrawLists(float) {
    m_visible.clear();
    m_no_shadow.clear();
    m_park.clear();
    CullObjectsParallel();
    if (m_bounds_display[0] != 0 || m_bounds_display[1] != 0 || m_level_editor_mode != 0) {
        m_visible.insert(m_visible.end(), m_park.begin(), m_park.end());
        m_visible.insert(m_visible.end(), m_no_shadow.begin(), m_no_shadow.end());
        m_park.clear();
        m_no_shadow.clear();
        for (GraphicComponent* c : m_visible) {
            c->ComputeCollisionShapeMatrices();
        }
    }
    m_objects_seen += static_cast<u32>(m_graphic_components.size());
    m_objects_culled = m_objects_seen - static_cast<u32>(m_park.size()) -
                       static_cast<u32>(m_no_shadow.size()) - static_cast<u32>(m_visible.size());
    Light* sun = m_lights.MainLight();
    if (sun != nullptr) {
        sun->PlaceSun(m_render_camera.m_eye);
    }
    // The splits cut the depth range fitted in the previous frame.
    if (m_shadow_maps != nullptr && sun != nullptr) {
        m_shadow_maps->ComputeSplits(m_render_camera.m_near, m_render_camera.m_far);
        m_shadow_maps->CullSplits(m_render_camera, sun->m_light.direction, m_graphic_components,
                                  g_render_settings.fogRange, m_level_editor_present != 0,
                                  CullPool());
    }
}

std::vector<const BoxRecord*> GraphicsProcess::DepthFitBoxes() const {
    std::vector<const BoxRecord*> boxes;
    boxes.reserve(m_visible.size());
    for (const GraphicComponent* c : m_visible) {
        if (c->m_cast_shadow != 0 && c->m_excluded == 0 && c->m_spawning == 0) {
            boxes.push_back(&c->GetWorldBox());
        }
    }
    return boxes;
}

void GraphicsProcess::SetObjectTechniques() {
    const RenderSettings& settings = g_render_settings;
    const Light* sun = m_lights.MainLight();
    for (gfx::Effect* effect : {Effects().Phong(), Effects().Bump()}) {
        if (effect == nullptr) {
            continue;
        }
        effect->SetTechnique(settings.deferred != 0 ? "DeferredShading" : "TransformTech");
        if (sun != nullptr) {
            const LightRecord& light = sun->m_light;
            const Float3 toLight{-light.direction.x, -light.direction.y, -light.direction.z};
            effect->SetFloatArray("gLightVecW", &toLight.x, 3);
            effect->SetFloatArray("gSpecularLight", &light.specular.r, 4);
            effect->SetFloatArray("gDiffuseLight", &light.diffuse.r, 4);
            effect->SetFloatArray("gAmbientLight", &light.ambient.r, 4);
            effect->SetFloatArray("gLightPosW", &light.position.x, 3);
        }
        effect->SetBool("render_shadows", settings.shadows != 0 && m_shadow_maps_ready);
        effect->SetBool("level_editor_mode", m_level_editor_mode != 0);
    }
}

void GraphicsProcess::RenderObjectLists() {
    if (Pressed(m_graphics_input, input::key::Digit8)) {
        m_scene_draw = Flip(m_scene_draw);
    }
    const bool forward = g_render_settings.deferred == 0;
    if (forward) {
        SaveShadowSamplers();
    }
    if (m_scene_draw != 0) {
        DrawLitObjects();
    }
    if (forward) {
        RestoreShadowSamplers();
    }
    if (Pressed(m_graphics_input, input::key::Digit9)) {
        m_bounds_display[0] = Flip(m_bounds_display[0]);
    }
    if (Pressed(m_graphics_input, input::key::Digit0)) {
        m_bounds_display[1] = Flip(m_bounds_display[1]);
    }
}

GraphicDrawPass GraphicsProcess::ObjectPass() const {
    GraphicDrawPass pass;
    pass.effect = m_current_effect;
    pass.device = m_device.get();
    pass.viewProjection = m_render_camera.m_view * m_render_camera.m_projection;
    return pass;
}

void GraphicsProcess::DrawLitObjects() {
    DrawComponentsLit(m_visible, true);
}

void GraphicsProcess::DrawComponentsLit(const std::vector<GraphicComponent*>& components,
                                        bool mainPass) {
    if (components.empty()) {
        return;
    }
    // The draw order groups the bump-mapped components and those sharing a mesh record;
    // effect and material values change only where a neighbour differs.
    bool begun = false;
    bool bump = false;
    u32 record = 0;
    const GraphicComponent* last = nullptr;
    for (GraphicComponent* c : components) {
        if (c->m_drawn == 0 || (mainPass && (c->m_cast_shadow == 0 || c->m_excluded != 0))) {
            continue;
        }
        const bool newEffect = !begun || c->HasBumpMap() != bump;
        if (newEffect) {
            if (begun) {
                m_current_effect->EndPass();
                m_current_effect->End();
            }
            bump = c->HasBumpMap();
            begun = BeginObjectEffect(*c);
            if (!begun) {
                return;
            }
        }
        // Material values go with the effect just begun and with every change of mesh record
        // or of the maps neighbours carry, so no component draws with another one's maps.
        if (newEffect || c->GetRecordNumber() != record || last == nullptr ||
            last->GetBumpMap() != c->GetBumpMap() ||
            last->GetSpecularMap() != c->GetSpecularMap()) {
            record = c->GetRecordNumber();
            SetMaterialParameters(*c);
        }
        if (c->IsAnimated()) {
            DrawSkinnedComponent(*c);
        } else {
            DrawMeshComponent(*c);
        }
        m_faces_drawn += c->GetFaceCount();
        m_vertices_drawn += c->GetVertexCount();
        last = c;
    }
    if (begun) {
        m_current_effect->EndPass();
        m_current_effect->End();
    }
}

bool GraphicsProcess::BeginObjectEffect(const GraphicComponent& component) {
    m_current_effect = component.HasBumpMap() ? Effects().Bump() : Effects().Phong();
    if (m_current_effect == nullptr) {
        return false;
    }
    u32 passes = 0;
    if (!m_current_effect->Begin(&passes, 0)) {
        return false;
    }
    m_current_effect->BeginPass(0);
    return true;
}

void GraphicsProcess::SetMaterialParameters(const GraphicComponent& component) {
    gfx::Effect& effect = *m_current_effect;
    const bool forward = g_render_settings.deferred == 0;
    effect.SetFloatArray("gEyePosW", &m_render_camera.m_eye.x, 3);
    if (forward) {
        effect.SetFloat("alpha_color", component.m_alpha);
    }
    if (component.HasBumpMap() && &effect == Effects().Bump()) {
        gfx::Texture* bump = component.GetBumpMap();
        effect.SetTexture("gBumpTex", bump);
        effect.SetFloat("gBumpTexWidth", static_cast<float>(bump->Width()));
        effect.SetFloat("gBumpTexHeight", static_cast<float>(bump->Height()));
    }
    if (forward) {
        BindShadowMapsForward(effect);
        effect.SetMatrix("gView", m_render_camera.m_view.m);
    }
    gfx::Texture* specular = component.GetSpecularMap();
    effect.SetBool("useSpecularMapping", specular != nullptr);
    if (specular != nullptr) {
        effect.SetTexture("gSpecularTex", specular);
    }
}

float GraphicsProcess::SpecularPowerOf(const GraphicComponent& component) const {
    const bool red =
        component.m_render_red != 0 && (component.m_lit != 0 || g_render_settings.threeDee == 1);
    return red ? -component.GetSpecularPower() : component.GetSpecularPower();
}

void GraphicsProcess::SetObjectMatrices(gfx::Effect& effect, const Float4x4& world) {
    const Float4x4 wvp = world * m_render_camera.m_view * m_render_camera.m_projection;
    effect.SetMatrix("gWVP", wvp.m);
    effect.SetMatrix("gWorld", world.m);
    const Float4x4 inverse = Math::MatrixInverse(world).value_or(Math::MatrixIdentity());
    effect.SetMatrix("gWorldInverseTranspose", Math::MatrixTranspose(inverse).m);
}

void GraphicsProcess::DrawMeshComponent(GraphicComponent& component) {
    gfx::Effect& effect = *m_current_effect;
    SetObjectMatrices(effect, *component.GetWorldMatrix());
    effect.SetFloat("gSpecularPower", SpecularPowerOf(component));
    GraphicDrawPass pass = ObjectPass();
    pass.hdrMultiplier = component.GetHdrMultiplier() * component.GetDamageShade();
    if (component.owner != nullptr && component.owner->name == kDriveInScreen) {
        pass.textureOverride = VideoManager::Instance()->GetTexture(kDriveInVideo);
    }
    component.DrawMeshSubsets(pass);
    if (pass.textureOverride != nullptr) {
        // The video's texture goes with the device's resources on a reset; the effect must
        // not keep it for the next object, which may draw untextured.
        effect.SetTexture("gTex", nullptr);
    }
}

void GraphicsProcess::DrawSkinnedComponent(GraphicComponent& component) {
    gfx::Effect& effect = *m_current_effect;
    effect.SetFloat("gSpecularPower", SpecularPowerOf(component));
    SetObjectMatrices(effect, component.GetCentreOffsetMatrix() * *component.GetWorldMatrix());
    GraphicDrawPass pass = ObjectPass();
    pass.hdrMultiplier = component.GetHdrMultiplier() * component.GetDamageShade();
    if (component.HasSkinnedContainers()) {
        component.DrawSubsets(pass);
    } else {
        component.DrawFrame(component.GetRootFrame(), pass);
    }
}

void GraphicsProcess::RenderDepthObjects(const Float4x4& viewProjection) {
    gfx::Effect* effect = Effects().DepthBuffer();
    if (effect == nullptr) {
        return;
    }
    u32 passes = 0;
    if (!effect->Begin(&passes, 0)) {
        return;
    }
    effect->BeginPass(0);
    for (GraphicComponent* c : m_visible) {
        ++m_depth_objects_counted;
        if (c->m_cast_shadow == 0) {
            ++m_depth_objects_skipped;
            continue;
        }
        const bool robot = c->owner != nullptr && c->owner->name.find("Robot") != std::string::npos;
        effect->SetFloat("depth_mult", robot ? -1.0f : 1.0f);
        effect->SetMatrix("gWVP", (*c->GetWorldMatrix() * viewProjection).m);
        effect->CommitChanges();
        if (c->IsAnimated()) {
            c->DrawSubsetsPlain(*m_device);
        } else if (gfx::Mesh* mesh = c->GetMesh()) {
            for (u32 i = 0; i < c->GetSubsetCount(); ++i) {
                mesh->DrawSubset(*m_device, i);
            }
        }
    }
    effect->EndPass();
    effect->End();
}
