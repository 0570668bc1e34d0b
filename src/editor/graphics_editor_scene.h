#pragma once
// The editor's scene over the Game's renderer: its input copies, its camera and the graphic
// components it draws. Selected objects are drawn red and previews half transparent.
#include "editor/editor_scene.h"

class GraphicsProcess;
class GraphicComponent;

namespace editor {

class GraphicsEditorScene : public EditorScene {
  public:
    // Without a renderer the scene is empty and the cursor is outside the view.
    explicit GraphicsEditorScene(GraphicsProcess* graphics) : m_graphics(graphics) {}

    const InputState& GraphicsInput() const override;
    const InputState& EditorInput() const override;
    // The renderer switches its routing on the same Space press the editor sees.
    void SetInputRouting(u8) override {}
    Float2 Cursor() const override;
    float ViewWidth() const override;
    float ViewHeight() const override;
    Float4x4 View() const override;
    Float4x4 Projection() const override;
    CameraPose Camera() const override;
    void SetCamera(const CameraPose& pose) override;
    std::vector<GameObject*> DrawnObjects() const override;
    bool LocalBox(const GameObject& object, Float3& min, Float3& max) const override;
    void SetLocalBox(GameObject& object, const Float3& min, const Float3& max) override;
    bool SphereRadius(const GameObject& object, float& radius) const override;
    void ShowMarks(GameObject& object, const EditorMarks& marks) override;

  private:
    static GraphicComponent* GraphicOf(const GameObject& object);

    GraphicsProcess* m_graphics;
    InputState m_empty;
};

} // namespace editor
