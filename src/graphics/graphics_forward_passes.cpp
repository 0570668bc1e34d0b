// What the frame draws forward over the lit scene on either path: the fading ground quads,
// the collision displays of the debug keys, the level editor's aids, and the components that
// need blending (excluded from the main pass) or that the editor highlights.

#include <initializer_list>
#include <utility>
#include <vector>

#include "core/math_functions.h"
#include "graphics/graphic_component.h"
#include "graphics/graphics_process.h"
#include "graphics/overlay_lines.h"
#include "graphics/render_settings.h"
#include "graphics/render_state_cache.h"
#include "platform/gfx/device.h"
#include "platform/gfx/render_states.h"

namespace {

constexpr u32 kBoxColour = 0xFFFF4040u;
constexpr u32 kSphereColour = 0xFF40FF40u;
constexpr u32 kOrientedBoxColour = 0xFF40C0FFu;
constexpr u32 kEditorColours[3] = {0xFFFFFF00u, 0xC000FFFFu, 0xFFFF00FFu};

// Render states set for a pass and put back as they were when it ends.
class SavedStates {
  public:
    SavedStates(gfx::Device& device, std::initializer_list<std::pair<u32, u32>> states)
        : m_device(device) {
        for (const auto& [state, value] : states) {
            m_saved.emplace_back(state, RenderStateCache::Get(device, state));
            RenderStateCache::Set(device, state, value);
        }
    }
    ~SavedStates() {
        for (const auto& [state, value] : m_saved) {
            RenderStateCache::Set(m_device, state, value);
        }
    }
    SavedStates(const SavedStates&) = delete;
    SavedStates& operator=(const SavedStates&) = delete;

  private:
    gfx::Device& m_device;
    std::vector<std::pair<u32, u32>> m_saved;
};

SavedStates BlendedStates(gfx::Device& device) {
    return SavedStates(device, {{gfx::kRsAlphaBlendEnable, 1},
                                {gfx::kRsAlphaTestEnable, 1},
                                {gfx::kRsSrcBlend, gfx::kBlendSrcAlpha},
                                {gfx::kRsDestBlend, gfx::kBlendInvSrcAlpha}});
}

} // namespace

void GraphicsProcess::DrawBlendedComponents(u8 GraphicComponent::*flag) {
    std::vector<GraphicComponent*> drawn;
    for (GraphicComponent* c : m_graphic_components) {
        if (c->*flag != 0) {
            drawn.push_back(c);
        }
    }
    if (drawn.empty() || m_device == nullptr) {
        return;
    }
    const SavedStates blended = BlendedStates(*m_device);
    // These components are shaded forward, with their opacity, on either path.
    RenderSettings& settings = g_render_settings;
    const u8 deferred = settings.deferred;
    if (deferred != 0) {
        settings.deferred = 0;
        SetObjectTechniques();
    }
    SaveShadowSamplers();
    DrawComponentsLit(drawn, false);
    RestoreShadowSamplers();
    if (deferred != 0) {
        settings.deferred = deferred;
        SetObjectTechniques();
    }
}

void GraphicsProcess::DrawTransparentObjects() {
    DrawBlendedComponents(&GraphicComponent::m_excluded);
}

void GraphicsProcess::DrawHighlightedObjects() {
    DrawBlendedComponents(&GraphicComponent::m_highlighted);
}

void GraphicsProcess::DrawColourLines(const std::vector<OverlayVertex>& vertices,
                                      const Float4x4& world) {
    if (vertices.size() < 2) {
        return;
    }
    gfx::Device& device = *m_device;
    device.SetProgram(0);
    device.SetTexture(0, nullptr);
    device.SetVertexLayout(gfx::VertexLayout::Colour);
    device.SetTransform(gfx::TransformKind::World, world.m);
    device.DrawPrimitiveUP(gfx::PrimitiveType::LineList, static_cast<u32>(vertices.size() / 2),
                           vertices.data(), sizeof(OverlayVertex));
}

void GraphicsProcess::DrawFadingQuads() {
    gfx::Device& device = *m_device;
    const SavedStates blended = BlendedStates(device);
    const SavedStates unlit(
        device,
        {{gfx::kRsLighting, 0}, {gfx::kRsCullMode, gfx::kCullNone}, {gfx::kRsZWriteEnable, 0}});
    device.SetProgram(0);
    device.SetTexture(0, nullptr);
    device.SetVertexLayout(gfx::VertexLayout::FadingQuad);
    device.SetTransform(gfx::TransformKind::World, Math::MatrixIdentity().m);
    for (const auto& [name, group] : m_fading_quads.Groups()) {
        if (group.vertices.size() < 3) {
            continue;
        }
        device.DrawPrimitiveUP(gfx::PrimitiveType::TriangleList,
                               static_cast<u32>(group.vertices.size() / 3), group.vertices.data(),
                               sizeof(FadingQuadVertex));
    }
}

void GraphicsProcess::DrawCollisionBoundsDisplays() {
    if (!BoundsDisplayOn(0) && !BoundsDisplayOn(1)) {
        return;
    }
    const SavedStates lines(*m_device, {{gfx::kRsLighting, 0}, {gfx::kRsCullMode, gfx::kCullNone}});
    const std::vector<OverlayVertex> box = overlay_lines::UnitBox(kBoxColour);
    const std::vector<OverlayVertex> sphere = overlay_lines::UnitSphere(kSphereColour);
    for (GraphicComponent* c : m_graphic_components) {
        if (BoundsDisplayOn(0) && c->HasCollisionBox()) {
            DrawColourLines(box, c->GetCollisionBoxMatrix());
        }
        if (BoundsDisplayOn(1) && c->HasCollisionSphere()) {
            DrawColourLines(sphere, c->GetCollisionSphereMatrix());
        }
    }
}

void GraphicsProcess::DrawEditorOverlays() {
    // The editor's marks show through whatever stands in front of what they mark.
    gfx::Device& device = *m_device;
    const Float4x4 identity = Math::MatrixIdentity();
    {
        const SavedStates lines(
            device,
            {{gfx::kRsLighting, 0}, {gfx::kRsCullMode, gfx::kCullNone}, {gfx::kRsZEnable, 0}});
        const std::vector<OverlayVertex> box = overlay_lines::UnitBox(kOrientedBoxColour);
        for (GraphicComponent* c : m_graphic_components) {
            if (c->m_oriented_box_display != 0) {
                DrawColourLines(box, c->GetCollisionBoxMatrix());
            }
        }
        for (GraphicComponent* c : m_graphic_components) {
            if (c->m_editor_display[0] != 0) {
                DrawColourLines(overlay_lines::BoxEdges(c->GetWorldBox(), kEditorColours[0]),
                                identity);
            }
        }
    }
    {
        // The second marker is translucent, so the first shows through where both are on.
        const SavedStates blended = BlendedStates(device);
        const SavedStates lines(
            device,
            {{gfx::kRsLighting, 0}, {gfx::kRsCullMode, gfx::kCullNone}, {gfx::kRsZEnable, 0}});
        for (GraphicComponent* c : m_graphic_components) {
            if (c->m_editor_display[1] != 0) {
                DrawColourLines(overlay_lines::CornerTicks(c->GetWorldBox(), kEditorColours[1]),
                                identity);
            }
        }
    }
    {
        const SavedStates lines(
            device,
            {{gfx::kRsLighting, 0}, {gfx::kRsCullMode, gfx::kCullNone}, {gfx::kRsZEnable, 0}});
        for (GraphicComponent* c : m_graphic_components) {
            if (c->m_editor_display[2] != 0) {
                DrawColourLines(overlay_lines::TopPin(c->GetWorldBox(), m_render_camera.m_eye,
                                                      kEditorColours[2]),
                                identity);
            }
        }
    }
    DrawHighlightedObjects();
}

void GraphicsProcess::DrawForwardOverlays() {
    if (m_device == nullptr) {
        return;
    }
    gfx::Device& device = *m_device;
    device.SetTransform(gfx::TransformKind::View, m_render_camera.m_view.m);
    device.SetTransform(gfx::TransformKind::Projection, m_render_camera.m_projection.m);
    const bool sceneUpdate = g_render_settings.sceneUpdate != 0;
    if (sceneUpdate) {
        DrawFadingQuads();
    }
    DrawCollisionBoundsDisplays();
    const bool editor = m_level_editor_present != 0;
    if (editor) {
        DrawEditorOverlays();
    }
    if (sceneUpdate) {
        DrawTransparentObjects();
        // The editor's step drew them already; blended twice they would look different.
        if (!editor) {
            DrawHighlightedObjects();
        }
    }
}
