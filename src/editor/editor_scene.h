#pragma once
// What the level editor needs of the renderer, and nothing more: the two input copies and
// the routing between them, the cursor, the camera and its matrices, the objects drawn with
// a graphic component and their model-space boxes, and a way to show the editor's marks.
// The game hands it an implementation over the GraphicsProcess; tests use their own.
#include <string>
#include <vector>

#include "core/math_types.h"
#include "core/types.h"
#include "game/input_state.h"

class GameObject;

namespace editor {

// How the editor marks an object for the renderer.
struct EditorMarks {
    u8 m_selected = 0;
    u8 m_handle_hovered = 0;
    u32 m_hovered_handle = 0;
    u8 m_show_translate = 0;
    u8 m_show_rotate = 0;
    u8 m_show_scale = 0;
    u8 m_preview = 0;
    float m_opacity = 1.0f;
    u8 m_solid = 1;
    // A group member's transform relative to its group.
    Float4x4 m_group_relative{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
};

struct CameraPose {
    Float3 m_position;
    Float3 m_look_at;
    float m_angles[2] = {};
};

class EditorScene {
  public:
    virtual ~EditorScene() = default;

    // The copy the free camera reads and the copy the editor reads.
    virtual const InputState& GraphicsInput() const = 0;
    virtual const InputState& EditorInput() const = 0;
    // 1: input drives the free camera, 2: it goes to the editor.
    virtual void SetInputRouting(u8 routing) = 0;

    // The cursor in client pixels of the game view and that view's size.
    virtual Float2 Cursor() const = 0;
    virtual float ViewWidth() const = 0;
    virtual float ViewHeight() const = 0;

    virtual Float4x4 View() const = 0;
    virtual Float4x4 Projection() const = 0;
    virtual CameraPose Camera() const = 0;
    virtual void SetCamera(const CameraPose& pose) = 0;

    // The objects drawn with a graphic component.
    virtual std::vector<GameObject*> DrawnObjects() const = 0;
    // The model-space box of the object's graphic component; false without one.
    virtual bool LocalBox(const GameObject& object, Float3& min, Float3& max) const = 0;
    virtual void SetLocalBox(GameObject& object, const Float3& min, const Float3& max) = 0;
    // The radius of the graphic component's bounding sphere; false when it has none.
    virtual bool SphereRadius(const GameObject&, float&) const { return false; }
    // Left out of the placement test (set outside the editor).
    virtual bool ExcludedFromPlacement(const GameObject&) const { return false; }

    // The marks as the renderer should show them.
    virtual void ShowMarks(GameObject& object, const EditorMarks& marks) = 0;
    // Stops the object's animations (and puts it back in its rest pose).
    virtual void StopAnimations(GameObject&) {}
};

// Where a level is loaded from or saved to; "" when the user cancels.
class FileDialogService {
  public:
    virtual ~FileDialogService() = default;
    virtual std::string Open() = 0;
    virtual std::string Save() = 0;
};

} // namespace editor
