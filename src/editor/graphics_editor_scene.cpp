#include "editor/graphics_editor_scene.h"

#include "core/component_type.h"
#include "core/game_object.h"
#include "game/shell_globals.h"
#include "graphics/graphic_component.h"
#include "graphics/graphics_process.h"

namespace editor {

GraphicComponent* GraphicsEditorScene::GraphicOf(const GameObject& object) {
    return dynamic_cast<GraphicComponent*>(object.GetComponent(ComponentType::Graphic));
}

const InputState& GraphicsEditorScene::GraphicsInput() const {
    return m_graphics != nullptr ? m_graphics->GraphicsInput() : m_empty;
}

const InputState& GraphicsEditorScene::EditorInput() const {
    return m_graphics != nullptr ? m_graphics->EditorInput() : m_empty;
}

Float2 GraphicsEditorScene::Cursor() const {
    if (m_graphics == nullptr) {
        return {-1.0f, -1.0f};
    }
    const window::Point point = window::ClientCursor(m_graphics->GetWindow());
    return {static_cast<float>(point.x), static_cast<float>(point.y)};
}

float GraphicsEditorScene::ViewWidth() const {
    return static_cast<float>(g_render_width);
}

float GraphicsEditorScene::ViewHeight() const {
    return static_cast<float>(g_render_height);
}

Float4x4 GraphicsEditorScene::View() const {
    return m_graphics != nullptr ? m_graphics->Camera().m_view : Float4x4{};
}

Float4x4 GraphicsEditorScene::Projection() const {
    return m_graphics != nullptr ? m_graphics->Camera().m_projection : Float4x4{};
}

CameraPose GraphicsEditorScene::Camera() const {
    CameraPose pose;
    if (m_graphics != nullptr) {
        const RenderCamera& camera = m_graphics->Camera();
        pose.m_position = camera.m_eye;
        pose.m_look_at = camera.m_target;
        pose.m_angles[0] = camera.m_pitch;
        pose.m_angles[1] = camera.m_yaw;
    }
    return pose;
}

void GraphicsEditorScene::SetCamera(const CameraPose& pose) {
    if (m_graphics == nullptr) {
        return;
    }
    RenderCamera& camera = m_graphics->Camera();
    camera.m_pitch = pose.m_angles[0];
    camera.m_yaw = pose.m_angles[1];
    camera.SetPose(pose.m_position, pose.m_look_at);
}

std::vector<GameObject*> GraphicsEditorScene::DrawnObjects() const {
    std::vector<GameObject*> objects;
    if (m_graphics == nullptr) {
        return objects;
    }
    for (GraphicComponent* component : m_graphics->GraphicComponents()) {
        if (component->owner != nullptr) {
            objects.push_back(component->owner);
        }
    }
    return objects;
}

bool GraphicsEditorScene::LocalBox(const GameObject& object, Float3& min, Float3& max) const {
    const GraphicComponent* graphic = GraphicOf(object);
    if (graphic == nullptr) {
        return false;
    }
    float box[6];
    graphic->GetLocalBox(box);
    min = {box[0], box[1], box[2]};
    max = {box[3], box[4], box[5]};
    return true;
}

void GraphicsEditorScene::SetLocalBox(GameObject& object, const Float3& min, const Float3& max) {
    if (GraphicComponent* graphic = GraphicOf(object)) {
        const float box[6] = {min.x, min.y, min.z, max.x, max.y, max.z};
        graphic->SetLocalBox(box);
    }
}

bool GraphicsEditorScene::SphereRadius(const GameObject& object, float& radius) const {
    const GraphicComponent* graphic = GraphicOf(object);
    if (graphic == nullptr) {
        return false;
    }
    radius = graphic->GetSphereRadius();
    return true;
}

void GraphicsEditorScene::ShowMarks(GameObject& object, const EditorMarks& marks) {
    if (GraphicComponent* graphic = GraphicOf(object)) {
        graphic->m_render_red = marks.m_selected;
        graphic->m_alpha = marks.m_opacity;
    }
}

} // namespace editor
