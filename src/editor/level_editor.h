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

#include "content/game_object_definition_map.h"
#include "core/handler_ids.h"
#include "core/process.h"
#include "core/quaternion.h"
#include "core/vector.h"
#include "editor/editor_picking.h"
#include "editor/editor_scene.h"
#include "platform/gui/tool_window.h"

class GameObject;

namespace editor {
class DialogService;
// Who shows the property window and tells whether it holds the keyboard or the mouse.
class PanelFocus {
  public:
    virtual ~PanelFocus() = default;
    virtual bool PanelWantsInput() const = 0;
};
} // namespace editor

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

    // --- the property window beside the game view ---
    static constexpr std::size_t kFieldCount = 9;
    // Stands for "leave this component unchanged" in the transform values.
    static constexpr float kEmptyField = -9258.326171875f;
    enum PropertyControlId : i32 {
        ID_POS_X = 2,
        ID_APPLY = 11,
        ID_SAVE_UPDATES = 12,
        ID_RESET_UPDATES = 13,
        ID_COMPONENT_ADD = 14,
        ID_COMPONENT_DELETE = 15,
        ID_SAVE_LEVEL = 16,
        ID_LOAD_LEVEL = 17,
        ID_TYPE_ADD = 18,
        ID_TYPE_DELETE = 19,
        ID_COMPONENT_COMBO = 20,
        ID_TYPE_COMBO = 21,
        ID_BOUNDING_VOLUMES = 22,
    };

    void SetDialogService(editor::DialogService* dialogs) { m_dialog_service = dialogs; }
    void SetPanelFocus(editor::PanelFocus* focus) { m_panel_focus = focus; }
    gui::ToolWindow& PropertyWindow() { return m_window; }

    void CreatePropertyWindow();
    void OnPropertyCommand(u32 wParam);
    void RefreshPropertyWindow();
    void RefreshPropertyPages();
    void RebuildPropertyPages();
    void ApplyUpdates();
    void SaveUpdates();
    void ResetUpdates();

    void FillTransformFields();
    void ReadTransformFields();
    bool ValidateTransformFields(std::vector<float>& values);
    void ApplyTransformFields(const std::vector<float>& values);

    std::vector<std::string> GetComponentNames(const std::string& type);
    gui::ControlHandle CreateComponentControls(const std::string& type);
    void OnComponentSelected(bool force);
    std::vector<gui::ControlHandle> CreateParameterControls(u32 index, const std::string& type);
    struct ParameterRow {
        std::string m_label;
        std::string m_value;
    };
    std::string ReadComponentParameters(u32 index, const std::string& type,
                                        std::vector<ParameterRow>& rows);
    void ApplyComponentParameters();
    void AddComponent();
    void DeleteComponent();
    void GetBoundingVolumesFromMesh();

    std::vector<std::string> GetObjectTypeNames();
    gui::ControlHandle CreateObjectTypeControls(bool selectionNotEmpty);
    void ChangeObjectType();
    void AddObjectType();
    void DeleteObjectType();
    void EraseObjectTypeName(std::size_t index);
    void AddObjectTypeName(const std::string& name);

    const std::string& CurrentTypeName() const { return m_current_type; }
    u32 CurrentComponentIndex() const { return m_component_index; }
    const std::string& CurrentComponentName() const { return m_component_name; }
    gui::ControlHandle FieldHandle(std::size_t field) const { return m_field_handles[field]; }
    gui::ControlHandle ComponentCombo() const { return m_component_combo; }
    gui::ControlHandle TypeCombo() const { return m_type_combo; }
    const std::vector<gui::ControlHandle>& ParameterControls() const {
        return m_parameter_controls;
    }
    const ComponentDefinitionList& Components() const { return m_components; }

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

    // The property window.
    bool PanelHasInput() const;
    void DestroyPageControls();
    void DestroyParameterControls();
    void DestroyControl(gui::ControlHandle& handle);
    void SendComponentList(const std::string& type);
    void ShowParametersOf(u32 index);
    void DropObjectsOfType(const std::string& type);

    gui::ToolWindow m_window;
    editor::DialogService* m_dialog_service = nullptr;
    editor::PanelFocus* m_panel_focus = nullptr;
    u8 m_panel_had_input = 0;
    gui::ControlHandle m_field_handles[kFieldCount] = {};
    std::string m_field_text[kFieldCount];
    gui::ControlHandle m_buttons[5] = {};
    std::string m_current_type;
    gui::ControlHandle m_type_combo = 0;
    gui::ControlHandle m_type_add = 0;
    gui::ControlHandle m_type_delete = 0;
    gui::ControlHandle m_component_combo = 0;
    gui::ControlHandle m_component_add = 0;
    gui::ControlHandle m_component_delete = 0;
    gui::ControlHandle m_bounds_button = 0;
    std::vector<gui::ControlHandle> m_parameter_controls;
    u32 m_component_index = 0;
    std::string m_component_name;
    u8 m_special_selection = 0;
    ComponentDefinitionList m_components;
};
