#pragma once
// The level editor process (handler 8): turns the editor's copy of keyboard and mouse into
// editing. It places objects of a chosen type, picks, selects, moves, turns and scales them
// by their handles, groups them under "Group" objects, copies and pastes, deletes, undoes,
// and loads and saves the level. It never creates or deletes objects itself: it asks the
// level editor state (handler 7), whose creation answer arrives before the send returns.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/handler_ids.h"
#include "core/process.h"
#include "core/quaternion.h"
#include "core/vector.h"
#include "editor/editor_picking.h"
#include "editor/editor_scene.h"

class GameObject;

class LevelEditor : public Process {
  public:
    static constexpr u32 kHandlerId = HANDLER_LEVEL_EDITOR;
    static constexpr u32 kStateId = HANDLER_LEVEL_EDITOR_STATE;
    static constexpr const char* kQuickLevel = "./assets/levels/level_temp.lua";
    static constexpr const char* kGroupType = "Group";
    static constexpr const char* kRobotType = "Robot";

    enum EditorActionKind : u32 {
        ACTION_TRANSLATE = 0,
        ACTION_ROTATE = 1,
        ACTION_SCALE = 2,
        ACTION_CREATED = 3,
        ACTION_DELETED = 4,
        ACTION_TYPE_CHANGED = 5,
        ACTION_GROUPED = 6,
        ACTION_UNGROUPED = 7,
    };

    // What an undo needs of the objects an edit touched, in selection order.
    struct EditorAction {
        u32 kind = ACTION_TRANSLATE;
        std::vector<GameObject*> objects;
        std::vector<u32> ids;
        std::vector<Quaternion> orientations;
        std::vector<Vector> positions;
        std::vector<Vector> scales;
        std::vector<std::string> names;
        std::vector<std::vector<GameObject*>> children;

        bool Names(const GameObject* object) const;
    };

    struct StatusLine {
        std::string m_text;
        float m_remaining = 0.0f;
    };

    // The scene and the dialogs stay the caller's.
    LevelEditor(editor::EditorScene& scene, editor::FileDialogService* dialogs);
    ~LevelEditor() override;
    LevelEditor(const LevelEditor&) = delete;
    LevelEditor& operator=(const LevelEditor&) = delete;

    void Initialize() override;
    void Update(float dt) override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    // The routines of a frame, public for the tool window and for tests.
    void AddStatus(const std::string& text, float seconds);
    void RecordAction(u32 kind);
    void Undo();
    void Copy();
    void Paste();
    bool Group(std::vector<GameObject*> list);
    void FitGroup(GameObject& group);
    bool Ungroup(std::vector<GameObject*>& list, bool record, bool reselect);
    void LoadLevel(bool quick);
    void SaveLevel(bool quick);
    void SetSelected(GameObject& object, bool on);
    void Select(GameObject& object);
    void DeselectAll();

    // Picking and drags.
    GameObject* PickObject(float x, float y) const;
    Vector PlacementPoint(float x, float y) const;
    bool HoverMoveScaleHandle(float x, float y, GameObject*& object, u32& handle) const;
    bool HoverRotateHandle(float x, float y, GameObject*& object, u32& handle) const;
    void DragTranslate();
    void DragRotate();
    void DragScale();
    void ApplyGroupTransform();

    const std::vector<GameObject*>& Selection() const { return m_selection; }
    const std::vector<StatusLine>& StatusLines() const { return m_messages; }
    const std::vector<std::unique_ptr<EditorAction>>& Actions() const { return m_actions; }
    const EditorAction* Clipboard() const { return m_clipboard.get(); }
    editor::EditorMarks& Marks(GameObject& object) { return m_marks[&object]; }
    GameObject* PreviewObject() const { return m_placing != 0 ? m_object : nullptr; }
    bool Placing() const { return m_placing != 0; }
    bool EditorInputOn() const { return m_editor_input != 0; }
    u32 TransformMode() const { return m_transform_mode; }
    const std::string& ObjectType() const { return m_object_type; }
    const std::vector<std::string>& TypeNames() const { return m_type_names; }
    bool TopView() const { return m_top_view != 0; }
    bool TransformFieldsStale() const { return m_fields_stale != 0; }
    bool PagesStale() const { return m_pages_stale != 0; }
    const std::string& LastSavePath() const { return m_last_save_path; }

  private:
    const InputState& Input() const { return m_scene.EditorInput(); }
    bool Pressed(u32 key) const;
    bool Held(u32 key) const;
    bool CtrlHeld() const;
    bool Dragging() const { return m_translating || m_rotating || m_scaling; }
    bool CursorInside() const;

    void Frame(float dt);
    void UpdateStatusLines(float dt);
    bool ToggleInputRouting();
    void CtrlShortcuts();
    void ModeAndCameraKeys(float dt);
    void SwitchPlacing();
    void Placement();
    void ShowCurrentObjectType();
    void Modifying();
    void RightClickDelete();
    void DeleteSelection();
    void ModeKeys();
    void LeftClick();
    void ShowMarks();

    GameObject* CreateObject(const std::string& type);
    void DeleteObject(GameObject* object);
    void MakePreview(GameObject& object);
    void MakeSolid(GameObject& object);
    void ClearSelectedMarks(GameObject& object);
    void RemoveFromSelection(GameObject* object);
    std::unique_ptr<EditorAction> BuildAction(u32 kind,
                                              const std::vector<GameObject*>& objects) const;
    struct Replacement {
        GameObject* m_from;
        u32 m_from_id;
        GameObject* m_to;
    };
    void RecreateObjects(EditorAction& action);
    // Every record naming an old object (by address and id) names its replacement.
    void Replace(const std::vector<Replacement>& replacements);
    void DropRecordsNaming(const GameObject* group);
    float CameraDistance(const GameObject& object) const;
    Float3 DragMotion(float dx, float dy) const;
    editor::Ray CursorRay() const;

    editor::EditorScene& m_scene;
    editor::FileDialogService* m_dialogs;
    std::vector<GameObject*> m_selection;
    std::vector<StatusLine> m_messages;
    std::vector<std::unique_ptr<EditorAction>> m_actions;
    std::unique_ptr<EditorAction> m_clipboard;
    std::unordered_map<GameObject*, editor::EditorMarks> m_marks;
    GameObject* m_drag_component = nullptr;
    u8 m_translating = 0;
    u8 m_rotating = 0;
    u8 m_scaling = 0;
    u8 m_editor_input = 0;
    u32 m_transform_mode = 0;
    u32 m_drag_handle = 0;
    std::string m_object_type = "BuildingBlock";
    u8 m_placing = 0;
    GameObject* m_object = nullptr;
    Vector m_top_position{0.0f, 300.0f, 0.0f};
    editor::CameraPose m_saved_camera;
    u32 m_top_view = 0;
    Vector m_drag_start;
    u8 m_fields_stale = 0;
    u8 m_pages_stale = 0;
    std::vector<std::string> m_type_names;
    i32 m_type_index = 0;
    std::vector<std::string> m_names_answer;
    u8 m_names_pending = 1;
    u8 m_first_update = 1;
    editor::DragAccumulators m_accumulators;
    std::string m_last_save_path;
};
