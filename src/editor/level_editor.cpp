#include "editor/level_editor.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/component_type.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "platform/input/keys.h"
#include "platform/system/log.h"

namespace {

constexpr float kInputStatusSeconds = 1.5f;
constexpr float kModeStatusSeconds = 3.0f;
constexpr float kFileStatusSeconds = 5.0f;
constexpr float kFarAway = 3.4028235e+38f;
constexpr float kPlacementReach = 100.0f;

Float3 ToFloat3(const Vector& v) {
    return {v.x, v.y, v.z};
}

float Distance(const Float3& a, const Float3& b) {
    return Math::Vec3Length(Float3{a.x - b.x, a.y - b.y, a.z - b.z});
}

bool Contains(const std::vector<GameObject*>& list, const GameObject* object) {
    return std::find(list.begin(), list.end(), object) != list.end();
}

Float4x4 TransformOf(const GameObject& object) {
    return Math::MatrixScaling(object.scale.x, object.scale.y, object.scale.z) *
           Math::MatrixRotationQuaternion(object.orientation) *
           Math::MatrixTranslation(object.position.x, object.position.y, object.position.z);
}

} // namespace

bool LevelEditor::EditorAction::Names(const GameObject* object) const {
    if (Contains(objects, object)) {
        return true;
    }
    return std::any_of(children.begin(), children.end(),
                       [object](const std::vector<GameObject*>& c) { return Contains(c, object); });
}

LevelEditor::LevelEditor(editor::EditorScene& scene, editor::FileDialogService* dialogs)
    : m_scene(scene), m_dialogs(dialogs) {
    CreatePropertyWindow();
}

LevelEditor::~LevelEditor() {
    if (m_top_view != 0) {
        m_scene.SetCamera(m_saved_camera);
    }
}

void LevelEditor::Initialize() {
    if (m_names_pending != 0) {
        Message<ComponentType> request(MSG_GET_OBJECT_NAMES_WITH_TYPE, ComponentType::Graphic);
        SendMessage(&request, kStateId);
        m_names_pending = 0;
    }
    m_type_names = m_names_answer;
}

void LevelEditor::HandleMessage(BaseMessage* msg, u32) {
    switch (msg->type) {
    case MSG_LEVEL_EDITOR_MODE:
        if (!msg->ValueOr<bool>(true)) {
            m_editor_input = 0;
            for (GameObject* object : m_selection) {
                Marks(*object).m_selected = 0;
                SetSelected(*object, false);
            }
            m_selection.clear();
            m_translating = m_rotating = m_scaling = 0;
            m_placing = 0;
            m_object = nullptr;
        }
        break;
    case MSG_LEVEL_OBJECT_CREATED:
        m_object = msg->ValueOr<GameObject*>(nullptr);
        break;
    case MSG_EDITOR_DISABLE_PLACEMENT:
        if (m_placing != 0) {
            DeleteObject(m_object);
            m_object = nullptr;
        }
        m_placing = 0;
        break;
    case MSG_EDITOR_SAVE:
        // The state's answer to a save request.
        if (const bool* saved = msg->Payload<bool>()) {
            AddStatus((*saved ? "Saved: " : "Save failed: ") + m_last_save_path,
                      kFileStatusSeconds);
        }
        break;
    case MSG_COMPONENT_LIST:
        if (const auto* components = msg->Payload<ComponentDefinitionList>()) {
            m_components = *components;
        }
        break;
    case MSG_GET_OBJECT_NAMES_WITH_TYPE:
        if (const auto* names = msg->Payload<std::vector<std::string>>()) {
            m_names_answer = *names;
            std::sort(m_names_answer.begin(), m_names_answer.end());
        }
        break;
    default:
        break;
    }
}

void LevelEditor::AddStatus(const std::string& text, float seconds) {
    m_messages.push_back({text, seconds});
}

// --- the frame ---

void LevelEditor::Update(float dt) {
    if (m_first_update != 0) {
        m_first_update = 0;
        Initialize();
    }
    // What the user did in the property window since the last frame.
    m_window.Drain([this](u32 command) { OnPropertyCommand(command); });
    if (PanelHasInput()) {
        // Typing into a field or working a control: the game view's keys and clicks are
        // not the editor's.
        m_panel_had_input = 1;
        UpdateStatusLines(dt);
    } else {
        if (m_panel_had_input != 0) {
            m_panel_had_input = 0;
            BaseMessage refresh(MSG_INPUT_FORCE_UPDATE);
            SendMessage(&refresh, HANDLER_INPUT_CONTROLS);
        }
        Frame(dt);
    }
    ShowMarks();
    RefreshPropertyWindow();
}

void LevelEditor::Frame(float dt) {
    UpdateStatusLines(dt);
    ToggleInputRouting();
    if (m_editor_input == 0) {
        m_translating = m_rotating = m_scaling = 0;
        if (m_placing != 0) {
            DeleteObject(m_object);
            m_object = nullptr;
            m_placing = 0;
        }
        for (GameObject* object : m_selection) {
            Marks(*object).m_handle_hovered = 0;
            Marks(*object).m_hovered_handle = 0;
        }
        return;
    }
    CtrlShortcuts();
    if (!CursorInside()) {
        return;
    }
    ModeAndCameraKeys(dt);
    if (m_placing != 0) {
        Placement();
        return;
    }
    Modifying();
}

void LevelEditor::UpdateStatusLines(float dt) {
    std::string text;
    std::vector<StatusLine> kept;
    for (StatusLine& line : m_messages) {
        line.m_remaining -= dt;
        if (line.m_remaining < 0.0f) {
            continue;
        }
        text += line.m_text + "\n";
        kept.push_back(line);
    }
    m_messages.swap(kept);
    Message<std::string> status(MSG_BUILDING_COUNT, text);
    SendMessage(&status, HANDLER_GRAPHICS_PROCESS);
}

bool LevelEditor::ToggleInputRouting() {
    const u32 space = input::key::Space;
    if (m_scene.GraphicsInput().m_keys[space] != INPUT_PRESSED &&
        Input().m_keys[space] != INPUT_PRESSED) {
        return false;
    }
    m_editor_input = m_editor_input == 0 ? 1 : 0;
    m_scene.SetInputRouting(static_cast<u8>(m_editor_input + 1));
    AddStatus(m_editor_input != 0 ? "Switched to Editor input mode"
                                  : "Switched to Graphics input mode",
              kInputStatusSeconds);
    return true;
}

bool LevelEditor::Pressed(u32 key) const {
    return Input().m_keys[key] == INPUT_PRESSED;
}

bool LevelEditor::Held(u32 key) const {
    return Input().m_keys[key] == INPUT_HELD;
}

bool LevelEditor::CtrlHeld() const {
    return Held(input::key::LeftControl) || Held(input::key::RightControl);
}

bool LevelEditor::CursorInside() const {
    const Float2 cursor = m_scene.Cursor();
    return cursor.x >= 0.0f && cursor.x <= m_scene.ViewWidth() && cursor.y >= 0.0f &&
           cursor.y <= m_scene.ViewHeight();
}

void LevelEditor::CtrlShortcuts() {
    if (!CtrlHeld()) {
        return;
    }
    const bool quiet = m_placing == 0 && !Dragging();
    if (Pressed(input::key::C)) {
        if (quiet) {
            Copy();
        }
    } else if (Pressed(input::key::V)) {
        if (quiet) {
            Paste();
        }
    } else if (Pressed(input::key::Z)) {
        if (quiet) {
            Undo();
        }
    } else if (Pressed(input::key::O)) {
        if (m_placing == 0) {
            LoadLevel(true);
        }
    } else if (Pressed(input::key::S)) {
        if (m_placing == 0) {
            SaveLevel(true);
        }
    } else if (Pressed(input::key::G)) {
        if (m_placing == 0 && Group(m_selection)) {
            RecordAction(ACTION_GROUPED);
        }
    } else if (Pressed(input::key::U)) {
        if (m_placing == 0) {
            std::vector<GameObject*> list = m_selection;
            Ungroup(list, true, false);
        }
    }
}

void LevelEditor::ModeAndCameraKeys(float dt) {
    const bool shiftPressed = Pressed(input::key::LeftShift) || Pressed(input::key::RightShift);
    const bool shiftHeld = Held(input::key::LeftShift) || Held(input::key::RightShift);
    if (shiftPressed && !Dragging()) {
        SwitchPlacing();
    }
    if (!shiftHeld) {
        if (Pressed(input::key::T) && m_top_view == 0) {
            m_saved_camera = m_scene.Camera();
            m_top_view = 1;
            editor::CameraPose top = m_saved_camera;
            top.m_position = ToFloat3(m_top_position);
            const Float3 look = Math::Vec3Normalize({0.0f, -1435325.375f, 0.24f});
            top.m_look_at = {top.m_position.x + look.x, top.m_position.y + look.y,
                             top.m_position.z + look.z};
            top.m_angles[0] = 1.5707914f;
            top.m_angles[1] = 3.1415827f;
            m_scene.SetCamera(top);
            AddStatus("Switched to Top camera view", kModeStatusSeconds);
        } else if (Pressed(input::key::P) && m_top_view != 0) {
            m_top_view = 0;
            m_scene.SetCamera(m_saved_camera);
            AddStatus("Switched to Perspective camera view", kModeStatusSeconds);
        }
    }
    if (m_top_view != 0) {
        const float step = dt * 100.0f;
        Vector& p = m_top_position;
        p.x += (Held(input::key::Right) ? step : 0.0f) - (Held(input::key::Left) ? step : 0.0f);
        p.z += (Held(input::key::Up) ? step : 0.0f) - (Held(input::key::Down) ? step : 0.0f);
        p.y += (Held(input::key::S) ? step : 0.0f) - (Held(input::key::W) ? step : 0.0f);
        editor::CameraPose top = m_scene.Camera();
        top.m_position = ToFloat3(p);
        const Float3 look = Math::Vec3Normalize({0.0f, -1325.353f, 0.04f});
        top.m_look_at = {p.x + look.x, p.y + look.y, p.z + look.z};
        m_scene.SetCamera(top);
    }
}

void LevelEditor::SwitchPlacing() {
    m_fields_stale = m_pages_stale = 1;
    m_placing = m_placing == 0 ? 1 : 0;
    if (m_placing != 0) {
        if (GameObject* preview = CreateObject(m_object_type)) {
            MakePreview(*preview);
        }
        AddStatus("Switched to object placing mode", kModeStatusSeconds);
    } else {
        DeleteObject(m_object);
        m_object = nullptr;
        AddStatus("Switched to object modifying mode", kModeStatusSeconds);
    }
}

// --- placing mode ---

void LevelEditor::Placement() {
    m_fields_stale = 1;
    const i32 wheel = Input().m_mouse_wheel;
    if (wheel != 0 && !m_type_names.empty()) {
        const i32 count = static_cast<i32>(m_type_names.size());
        m_type_index -= wheel / 120;
        m_type_index = ((m_type_index % count) + count) % count;
        m_object_type = m_type_names[static_cast<std::size_t>(m_type_index)];
        ShowCurrentObjectType();
    }
    if (m_object == nullptr) {
        return;
    }
    const Float2 cursor = m_scene.Cursor();
    Vector point = PlacementPoint(cursor.x, cursor.y);
    editor::SnapToGrid(point);
    m_object->SetPosition(point);
    if (Input().m_mouse_buttons[input::mouse::Left] != INPUT_PRESSED) {
        return;
    }
    GameObject* placed = m_object;
    if (placed->name.find("Spawn") == std::string::npos) {
        MakeSolid(*placed);
    }
    m_actions.push_back(BuildAction(ACTION_CREATED, {placed}));
    if (GameObject* next = CreateObject(m_object_type)) {
        MakePreview(*next);
        next->SetPosition(point);
    }
}

void LevelEditor::ShowCurrentObjectType() {
    if (m_object != nullptr) {
        DeleteObject(m_object);
        m_object = nullptr;
    }
    if (GameObject* preview = CreateObject(m_object_type)) {
        MakePreview(*preview);
    }
    AddStatus("Current object type: " + m_object_type, kModeStatusSeconds);
    m_pages_stale = 1;
}

// --- modifying mode ---

void LevelEditor::Modifying() {
    const Float2 cursor = m_scene.Cursor();
    if (!Dragging()) {
        m_accumulators.Reset();
        GameObject* hovered = nullptr;
        u32 handle = 0;
        bool hit = false;
        if (!CtrlHeld()) {
            hit = m_transform_mode == 1 ? HoverRotateHandle(cursor.x, cursor.y, hovered, handle)
                                        : HoverMoveScaleHandle(cursor.x, cursor.y, hovered, handle);
        }
        for (GameObject* object : m_selection) {
            editor::EditorMarks& marks = Marks(*object);
            const bool on = hit && object == hovered;
            marks.m_handle_hovered = on ? 1 : 0;
            marks.m_hovered_handle = on ? handle : 0;
        }
    }
    if (Input().m_mouse_buttons[input::mouse::Right] == INPUT_PRESSED) {
        RightClickDelete();
    }
    if (Pressed(input::key::Delete)) {
        DeleteSelection();
    }
    if (!Dragging()) {
        ModeKeys();
    }
    const i32 left = Input().m_mouse_buttons[input::mouse::Left];
    if (left == INPUT_PRESSED) {
        LeftClick();
    } else if (left == INPUT_HELD) {
        if (Dragging()) {
            m_fields_stale = 1;
            if (m_translating != 0) {
                DragTranslate();
            } else if (m_rotating != 0) {
                DragRotate();
            } else {
                DragScale();
            }
        }
        ApplyGroupTransform();
    } else {
        m_translating = m_rotating = m_scaling = 0;
    }
    for (GameObject* object : m_selection) {
        editor::EditorMarks& marks = Marks(*object);
        marks.m_show_translate = m_transform_mode == 0 ? 1 : 0;
        marks.m_show_rotate = m_transform_mode == 1 ? 1 : 0;
        marks.m_show_scale = m_transform_mode == 2 ? 1 : 0;
    }
}

void LevelEditor::RightClickDelete() {
    const Float2 cursor = m_scene.Cursor();
    GameObject* picked = PickObject(cursor.x, cursor.y);
    if (picked == nullptr || picked->name == kRobotType) {
        return;
    }
    if (Contains(m_selection, picked)) {
        ClearSelectedMarks(*picked);
        RemoveFromSelection(picked);
    }
    std::vector<GameObject*> doomed{picked};
    if (picked->name == kGroupType) {
        // The group goes; its members take its place and are deleted instead.
        Ungroup(doomed, true, true);
        for (GameObject* member : doomed) {
            ClearSelectedMarks(*member);
            RemoveFromSelection(member);
        }
    }
    m_actions.push_back(BuildAction(ACTION_DELETED, doomed));
    for (GameObject* object : doomed) {
        DeleteObject(object);
    }
    m_fields_stale = m_pages_stale = 1;
}

void LevelEditor::DeleteSelection() {
    std::vector<GameObject*> list = m_selection;
    Ungroup(list, true, true);
    m_selection.clear();
    std::vector<GameObject*> doomed;
    for (GameObject* object : list) {
        if (object->name != kGroupType && object->name != kRobotType && !Contains(doomed, object)) {
            doomed.push_back(object);
        }
    }
    for (GameObject* object : list) {
        ClearSelectedMarks(*object);
    }
    if (!doomed.empty()) {
        m_actions.push_back(BuildAction(ACTION_DELETED, doomed));
    }
    for (GameObject* object : doomed) {
        DeleteObject(object);
    }
    m_fields_stale = m_pages_stale = 1;
}

void LevelEditor::ModeKeys() {
    static constexpr const char* kModeLines[3] = {"Switched to object translation mode",
                                                  "Switched to object rotation mode",
                                                  "Switched to object scaling mode"};
    if (Pressed(input::key::Tab)) {
        m_transform_mode = (m_transform_mode + 1) % 3;
        AddStatus(kModeLines[m_transform_mode], kModeStatusSeconds);
    }
    static constexpr u8 kModeKeys[3] = {input::key::W, input::key::E, input::key::R};
    for (u32 mode = 0; mode < 3; ++mode) {
        if (Pressed(kModeKeys[mode]) && m_transform_mode != mode) {
            m_transform_mode = mode;
            AddStatus(kModeLines[mode], kModeStatusSeconds);
        }
    }
}

void LevelEditor::LeftClick() {
    m_fields_stale = 1;
    GameObject* hovered = nullptr;
    for (GameObject* object : m_selection) {
        if (Marks(*object).m_handle_hovered != 0) {
            hovered = object;
            break;
        }
    }
    if (hovered == nullptr) {
        const Float2 cursor = m_scene.Cursor();
        GameObject* picked = PickObject(cursor.x, cursor.y);
        m_pages_stale = 1;
        if (picked == nullptr) {
            if (!CtrlHeld()) {
                DeselectAll();
            }
            return;
        }
        if (!CtrlHeld()) {
            for (GameObject* object : m_selection) {
                ClearSelectedMarks(*object);
                if (object != picked) {
                    SetSelected(*object, false);
                }
            }
            m_selection.clear();
        }
        if (Contains(m_selection, picked)) {
            ClearSelectedMarks(*picked);
            SetSelected(*picked, false);
            RemoveFromSelection(picked);
        } else {
            Select(*picked);
            SetSelected(*picked, true);
        }
        return;
    }
    m_drag_component = hovered;
    m_drag_handle = Marks(*hovered).m_hovered_handle;
    static constexpr u32 kKinds[3] = {ACTION_TRANSLATE, ACTION_ROTATE, ACTION_SCALE};
    if (m_transform_mode == 0) {
        m_translating = 1;
        m_drag_start = hovered->position;
    } else if (m_transform_mode == 1) {
        m_rotating = 1;
    } else {
        m_scaling = 1;
    }
    RecordAction(kKinds[m_transform_mode]);
    m_accumulators.Reset();
    m_object = hovered;
}

void LevelEditor::Select(GameObject& object) {
    Marks(object).m_selected = 1;
    m_selection.push_back(&object);
}

void LevelEditor::DeselectAll() {
    for (GameObject* object : m_selection) {
        ClearSelectedMarks(*object);
        SetSelected(*object, false);
    }
    m_selection.clear();
}

void LevelEditor::SetSelected(GameObject& object, bool on) {
    // Stepping through an object's animations on selection needs the animation set, which
    // the scene does not offer; deselection stops them.
    if (!on) {
        m_scene.StopAnimations(object);
    }
}

void LevelEditor::ShowMarks() {
    for (auto& [object, marks] : m_marks) {
        m_scene.ShowMarks(*object, marks);
    }
}

// --- objects ---

GameObject* LevelEditor::CreateObject(const std::string& type) {
    m_object = nullptr;
    Message<std::string> request(MSG_LEVEL_CREATE_OBJECT, type);
    SendMessage(&request, kStateId);
    return m_object;
}

void LevelEditor::DeleteObject(GameObject* object) {
    if (object == nullptr) {
        return;
    }
    RemoveFromSelection(object);
    m_marks.erase(object);
    if (m_drag_component == object) {
        m_drag_component = nullptr;
    }
    Message<GameObject*> request(MSG_LEVEL_DELETE_OBJECT, object);
    SendMessage(&request, kStateId);
}

void LevelEditor::MakePreview(GameObject& object) {
    editor::EditorMarks& marks = Marks(object);
    marks.m_solid = 0;
    marks.m_preview = 1;
    marks.m_opacity = 0.5f;
}

void LevelEditor::MakeSolid(GameObject& object) {
    editor::EditorMarks& marks = Marks(object);
    marks.m_solid = 1;
    marks.m_preview = 0;
    marks.m_opacity = 1.0f;
}

void LevelEditor::ClearSelectedMarks(GameObject& object) {
    editor::EditorMarks& marks = Marks(object);
    marks.m_selected = 0;
    marks.m_show_translate = marks.m_show_rotate = marks.m_show_scale = 0;
}

void LevelEditor::RemoveFromSelection(GameObject* object) {
    m_selection.erase(std::remove(m_selection.begin(), m_selection.end(), object),
                      m_selection.end());
}

// --- undo records ---

std::unique_ptr<LevelEditor::EditorAction>
LevelEditor::BuildAction(u32 kind, const std::vector<GameObject*>& objects) const {
    auto action = std::make_unique<EditorAction>();
    action->kind = kind;
    for (GameObject* object : objects) {
        action->objects.push_back(object);
        action->ids.push_back(object->id);
        const bool all = kind > ACTION_SCALE;
        if (kind == ACTION_TRANSLATE || all) {
            action->positions.push_back(object->position);
        }
        if (kind == ACTION_ROTATE || all) {
            action->orientations.push_back(object->orientation);
        }
        if (kind == ACTION_SCALE || all) {
            action->scales.push_back(object->scale);
        }
        if (all) {
            action->names.push_back(object->name);
            action->children.push_back(object->childObjects);
        }
    }
    return action;
}

void LevelEditor::RecordAction(u32 kind) {
    m_actions.push_back(BuildAction(kind, m_selection));
}

void LevelEditor::Replace(const std::vector<Replacement>& replacements) {
    // One pass per entry: a new object may sit at the address a replaced one had, so an
    // entry already changed must not be matched again.
    const auto find = [&replacements](const GameObject* object, const u32* id) {
        for (const Replacement& r : replacements) {
            if (r.m_from == object && (id == nullptr || r.m_from_id == *id)) {
                return &r;
            }
        }
        return static_cast<const Replacement*>(nullptr);
    };
    for (auto& action : m_actions) {
        for (std::size_t i = 0; i < action->objects.size(); ++i) {
            if (const Replacement* r = find(action->objects[i], &action->ids[i])) {
                action->objects[i] = r->m_to;
                action->ids[i] = r->m_to->id;
            }
        }
        for (auto& members : action->children) {
            for (GameObject*& member : members) {
                if (const Replacement* r = find(member, nullptr)) {
                    member = r->m_to;
                }
            }
        }
    }
}

void LevelEditor::RecreateObjects(EditorAction& action) {
    std::vector<Replacement> replacements;
    for (std::size_t i = 0; i < action.objects.size(); ++i) {
        GameObject* made = CreateObject(action.names[i]);
        if (made == nullptr) {
            continue;
        }
        made->SetPosition(action.positions[i]);
        made->SetOrientation(action.orientations[i]);
        made->SetScale(action.scales[i]);
        replacements.push_back({action.objects[i], action.ids[i], made});
    }
    Replace(replacements);
}

void LevelEditor::DropRecordsNaming(const GameObject* group) {
    m_actions.erase(std::remove_if(m_actions.begin(), m_actions.end(),
                                   [group](const std::unique_ptr<EditorAction>& action) {
                                       return action->Names(group);
                                   }),
                    m_actions.end());
}

void LevelEditor::Undo() {
    if (m_actions.empty()) {
        return;
    }
    m_fields_stale = m_pages_stale = 1;
    std::unique_ptr<EditorAction> action = std::move(m_actions.back());
    m_actions.pop_back();
    switch (action->kind) {
    case ACTION_TRANSLATE:
        for (std::size_t i = 0; i < action->objects.size(); ++i) {
            action->objects[i]->SetPosition(action->positions[i]);
        }
        break;
    case ACTION_ROTATE:
        for (std::size_t i = 0; i < action->objects.size(); ++i) {
            action->objects[i]->SetOrientation(action->orientations[i]);
        }
        break;
    case ACTION_SCALE:
        for (std::size_t i = 0; i < action->objects.size(); ++i) {
            action->objects[i]->SetScale(action->scales[i]);
        }
        break;
    case ACTION_CREATED:
        for (GameObject* object : action->objects) {
            DeleteObject(object);
        }
        break;
    case ACTION_DELETED:
        RecreateObjects(*action);
        break;
    case ACTION_TYPE_CHANGED:
        for (GameObject* object : action->objects) {
            DeleteObject(object);
        }
        if (!m_actions.empty()) {
            std::unique_ptr<EditorAction> before = std::move(m_actions.back());
            m_actions.pop_back();
            RecreateObjects(*before);
        }
        break;
    case ACTION_GROUPED: {
        std::vector<GameObject*> groups = action->objects;
        Ungroup(groups, false, false);
        break;
    }
    case ACTION_UNGROUPED:
        for (std::size_t i = 0; i < action->objects.size(); ++i) {
            if (action->names[i] != kGroupType) {
                continue;
            }
            GameObject* old = action->objects[i];
            const u32 oldId = action->ids[i];
            m_selection.clear();
            if (Group(action->children[i]) && !m_selection.empty()) {
                Replace({{old, oldId, m_selection.front()}});
            }
        }
        break;
    default:
        break;
    }
    ApplyGroupTransform();
}

// --- clipboard ---

void LevelEditor::Copy() {
    if (m_selection.empty()) {
        return;
    }
    sys::Log() << "Copied " << m_selection.size() << " objects to clipboard.";
    m_clipboard = BuildAction(ACTION_CREATED, m_selection);
}

void LevelEditor::Paste() {
    if (!m_clipboard) {
        return;
    }
    sys::Log() << "Pasted " << m_clipboard->objects.size() << " objects from clipboard.";
    DeselectAll();
    for (std::size_t i = 0; i < m_clipboard->objects.size(); ++i) {
        GameObject* made = CreateObject(m_clipboard->names[i]);
        if (made == nullptr) {
            continue;
        }
        made->SetPosition(m_clipboard->positions[i]);
        made->SetOrientation(m_clipboard->orientations[i]);
        made->SetScale(m_clipboard->scales[i]);
        Select(*made);
    }
    RecordAction(ACTION_CREATED);
}

// --- groups ---

bool LevelEditor::Group(std::vector<GameObject*> list) {
    if (list.size() < 2) {
        return false;
    }
    GameObject* group = nullptr;
    for (GameObject* object : list) {
        if (object->name == kGroupType) {
            group = object;
        }
    }
    const auto join = [this](GameObject& member, GameObject& into) {
        if (member.parentObject != nullptr && member.parentObject != &into) {
            member.parentObject->RemoveChildObject(&member);
        }
        member.parentObject = &into;
        if (!Contains(into.childObjects, &member)) {
            into.childObjects.push_back(&member);
        }
        ClearSelectedMarks(member);
        SetSelected(member, false);
    };
    if (group == nullptr) {
        group = CreateObject(kGroupType);
        if (group == nullptr) {
            return false;
        }
        Marks(*group).m_selected = 1;
        for (GameObject* object : list) {
            join(*object, *group);
        }
    } else {
        // Records naming a group that changes or goes would act on the wrong members or on
        // a freed object.
        DropRecordsNaming(group);
        for (GameObject* object : list) {
            if (object == group) {
                continue;
            }
            if (object->name == kGroupType) {
                const std::vector<GameObject*> members = object->childObjects;
                for (GameObject* member : members) {
                    join(*member, *group);
                }
                DropRecordsNaming(object);
                DeleteObject(object);
            } else {
                join(*object, *group);
            }
        }
    }
    FitGroup(*group);
    m_selection.clear();
    Select(*group);
    m_fields_stale = m_pages_stale = 1;
    return true;
}

void LevelEditor::FitGroup(GameObject& group) {
    Float3 lo{kFarAway, kFarAway, kFarAway};
    Float3 hi{-kFarAway, -kFarAway, -kFarAway};
    bool any = false;
    for (GameObject* member : group.childObjects) {
        Float3 boxMin;
        Float3 boxMax;
        if (!m_scene.LocalBox(*member, boxMin, boxMax)) {
            continue;
        }
        const Float4x4 world = TransformOf(*member);
        for (int corner = 0; corner < 8; ++corner) {
            const Float3 local{(corner & 1) ? boxMax.x : boxMin.x,
                               (corner & 2) ? boxMax.y : boxMin.y,
                               (corner & 4) ? boxMax.z : boxMin.z};
            const Float3 p = Math::Vec3TransformCoord(local, world);
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
            any = true;
        }
    }
    if (!any) {
        lo = hi = ToFloat3(group.position);
    }
    const Float3 c{(lo.x + hi.x) * 0.5f, (lo.y + hi.y) * 0.5f, (lo.z + hi.z) * 0.5f};
    group.SetPosition(Vector(c));
    group.SetOrientation(Quaternion{0.0f, 0.0f, 0.0f, 1.0f});
    group.SetScale(Vector(1.0f, 1.0f, 1.0f));
    m_scene.SetLocalBox(group, {lo.x - c.x, lo.y - c.y, lo.z - c.z},
                        {hi.x - c.x, hi.y - c.y, hi.z - c.z});
    const Float4x4 back = Math::MatrixTranslation(-c.x, -c.y, -c.z);
    for (GameObject* member : group.childObjects) {
        Marks(*member).m_group_relative = TransformOf(*member) * back;
    }
}

bool LevelEditor::Ungroup(std::vector<GameObject*>& list, bool record, bool reselect) {
    bool found = false;
    const std::vector<GameObject*> groups = list;
    for (GameObject* group : groups) {
        if (group->name != kGroupType) {
            continue;
        }
        if (!found && record) {
            m_actions.push_back(BuildAction(ACTION_UNGROUPED, list));
        }
        found = true;
        bool reselectThis = reselect;
        if (Contains(m_selection, group)) {
            ClearSelectedMarks(*group);
            RemoveFromSelection(group);
            reselectThis = true;
        }
        const std::vector<GameObject*> members = group->childObjects;
        for (GameObject* member : members) {
            if (member->parentObject != nullptr) {
                member->parentObject->RemoveChildObject(member);
                member->parentObject = nullptr;
            }
            if (reselectThis) {
                Select(*member);
                list.push_back(member);
            }
        }
        list.erase(std::remove(list.begin(), list.end(), group), list.end());
        DeleteObject(group);
        m_fields_stale = m_pages_stale = 1;
    }
    return found;
}

// --- level files ---

void LevelEditor::LoadLevel(bool quick) {
    std::string path = kQuickLevel;
    if (!quick) {
        path = m_dialogs != nullptr ? m_dialogs->Open() : std::string();
    }
    if (path.empty()) {
        return;
    }
    Message<std::string> request(MSG_EDITOR_LOAD, path);
    SendMessage(&request, kStateId);
    AddStatus("Loaded: " + path, kFileStatusSeconds);
}

void LevelEditor::SaveLevel(bool quick) {
    std::string path = kQuickLevel;
    if (!quick) {
        path = m_dialogs != nullptr ? m_dialogs->Save() : std::string();
    }
    if (path.empty()) {
        return;
    }
    m_last_save_path = path;
    // The state answers with whether the file was written (see HandleMessage).
    Message<std::string> request(MSG_EDITOR_SAVE, path);
    SendMessage(&request, kStateId);
}

// --- picking ---

editor::Ray LevelEditor::CursorRay() const {
    const Float2 cursor = m_scene.Cursor();
    return editor::PickRay(cursor.x, cursor.y, m_scene.ViewWidth(), m_scene.ViewHeight(),
                           m_scene.View(), m_scene.Projection());
}

GameObject* LevelEditor::PickObject(float x, float y) const {
    const editor::Ray ray = editor::PickRay(x, y, m_scene.ViewWidth(), m_scene.ViewHeight(),
                                            m_scene.View(), m_scene.Projection());
    float best = kFarAway;
    GameObject* winner = nullptr;
    for (GameObject* object : m_scene.DrawnObjects()) {
        Float3 boxMin;
        Float3 boxMax;
        if (object->name == kGroupType || !m_scene.LocalBox(*object, boxMin, boxMax)) {
            continue;
        }
        const Float4x4 world = editor::ObjectBoxMatrix(object->position, object->orientation,
                                                       object->scale, boxMin, boxMax, 0.5f);
        const auto hit = editor::IntersectBox(ray, world, true);
        if (hit && hit->distance < best) {
            best = hit->distance;
            winner = object;
        }
    }
    if (winner != nullptr && winner->parentObject != nullptr) {
        return winner->parentObject;
    }
    return winner;
}

Vector LevelEditor::PlacementPoint(float x, float y) const {
    const editor::Ray ray = editor::PickRay(x, y, m_scene.ViewWidth(), m_scene.ViewHeight(),
                                            m_scene.View(), m_scene.Projection());
    float best = kFarAway;
    const GameObject* winner = nullptr;
    editor::BoxRayHit winning;
    for (GameObject* object : m_scene.DrawnObjects()) {
        Float3 boxMin;
        Float3 boxMax;
        const auto marks = m_marks.find(object);
        const bool preview = marks != m_marks.end() && marks->second.m_preview != 0;
        if (preview || m_scene.ExcludedFromPlacement(*object) ||
            !m_scene.LocalBox(*object, boxMin, boxMax)) {
            continue;
        }
        const Float4x4 world = editor::ObjectBoxMatrix(object->position, object->orientation,
                                                       object->scale, boxMin, boxMax, 0.0f);
        const auto hit = editor::IntersectBox(ray, world, true);
        if (hit && hit->distance < best) {
            best = hit->distance;
            winner = object;
            winning = *hit;
        }
    }
    if (winner == nullptr) {
        return Vector(ray.origin.x + kPlacementReach * ray.direction.x,
                      ray.origin.y + kPlacementReach * ray.direction.y,
                      ray.origin.z + kPlacementReach * ray.direction.z);
    }
    const Float3& side = editor::kSideNormals[winning.face / 2];
    const Vector normal =
        Math::RotateByQuaternion(Vector(side), winner->orientation).GetNormalized();
    Vector point(winning.point);
    Float3 previewMin{-0.5f, -0.5f, -0.5f};
    Float3 previewMax{0.5f, 0.5f, 0.5f};
    Vector previewScale(1.0f, 1.0f, 1.0f);
    if (m_placing != 0 && m_object != nullptr) {
        m_scene.LocalBox(*m_object, previewMin, previewMax);
        previewScale = m_object->scale;
    }
    const float mins[3] = {previewMin.x, previewMin.y, previewMin.z};
    const float maxs[3] = {previewMax.x, previewMax.y, previewMax.z};
    for (unsigned a = 0; a < 3; ++a) {
        const float b = normal[a] > 0.0f ? mins[a] : maxs[a];
        point[a] += normal[a] * previewScale[a] * std::fabs(b);
    }
    return point;
}

float LevelEditor::CameraDistance(const GameObject& object) const {
    return Distance(m_scene.Camera().m_position, ToFloat3(object.position));
}

bool LevelEditor::HoverMoveScaleHandle(float x, float y, GameObject*& found, u32& handle) const {
    const editor::Ray ray = editor::PickRay(x, y, m_scene.ViewWidth(), m_scene.ViewHeight(),
                                            m_scene.View(), m_scene.Projection());
    float best = kFarAway;
    bool hit = false;
    const bool scaling = m_transform_mode == 2;
    if (scaling) {
        for (GameObject* object : m_selection) {
            const float l = CameraDistance(*object) * 0.25f * 0.25f;
            const Float3 p = ToFloat3(object->position);
            const Float3 corners[4] = {
                p, {p.x + l, p.y, p.z}, {p.x, p.y + l, p.z}, {p.x, p.y, p.z + l}};
            static constexpr int kFaces[4][3] = {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {1, 2, 3}};
            for (const auto& face : kFaces) {
                float u = 0.0f;
                float v = 0.0f;
                float distance = 0.0f;
                if (Math::IntersectTri(corners[face[0]], corners[face[1]], corners[face[2]],
                                       ray.origin, ray.direction, u, v, distance) &&
                    distance < best) {
                    best = distance;
                    found = object;
                    handle = 3;
                    hit = true;
                }
            }
        }
    }
    const float length = scaling ? 0.75f : 1.0f;
    const float offset = scaling ? 0.625f : 0.5f;
    for (GameObject* object : m_selection) {
        const float l = CameraDistance(*object) * 0.25f;
        for (u32 axis = 0; axis < 3; ++axis) {
            float size[3] = {0.1f * l, 0.1f * l, 0.1f * l};
            size[axis] = length * l;
            Vector centre = object->position;
            centre[axis] += offset * l;
            const Float4x4 world = Math::MatrixScaling(size[0], size[1], size[2]) *
                                   Math::MatrixTranslation(centre.x, centre.y, centre.z);
            const auto box = editor::IntersectBox(ray, world, false);
            if (box && box->distance < best) {
                best = box->distance;
                found = object;
                handle = axis;
                hit = true;
            }
        }
    }
    return hit;
}

bool LevelEditor::HoverRotateHandle(float x, float y, GameObject*& found, u32& handle) const {
    const editor::Ray ray = editor::PickRay(x, y, m_scene.ViewWidth(), m_scene.ViewHeight(),
                                            m_scene.View(), m_scene.Projection());
    constexpr float kTwoPi = 6.2831853f;
    float best = kFarAway;
    bool hit = false;
    for (GameObject* object : m_selection) {
        const float r = CameraDistance(*object) * 0.125f;
        const float probe = r * kTwoPi * (1.0f / 30.0f) * 0.5f;
        const Float3 p = ToFloat3(object->position);
        for (u32 axis = 0; axis < 3; ++axis) {
            for (int i = 0; i < 30; ++i) {
                const float angle = static_cast<float>(i) * (1.0f / 29.0f) * kTwoPi;
                const float a = r * std::cos(angle);
                const float b = r * std::sin(angle);
                // The ring about an axis lies in the plane of the other two.
                Float3 point = p;
                if (axis == 0) {
                    point.y += a;
                    point.z += b;
                } else if (axis == 1) {
                    point.x += a;
                    point.z += b;
                } else {
                    point.x += a;
                    point.y += b;
                }
                if (!Math::SphereBoundProbe(point, probe, ray.origin, ray.direction)) {
                    continue;
                }
                const float distance = Distance(point, ray.origin);
                if (distance < best) {
                    best = distance;
                    found = object;
                    handle = axis;
                    hit = true;
                }
            }
        }
    }
    return hit;
}

// --- drags ---

Float3 LevelEditor::DragMotion(float dx, float dy) const {
    // The motion is a direction: taken through the inverse projection and view without the
    // camera's place or the depth of the near plane, which would push the object on every
    // frame whether the mouse moved or not.
    const Float4x4 inverseProjection =
        Math::MatrixInverse(m_scene.Projection()).value_or(Math::MatrixIdentity());
    const Float4x4 inverseView =
        Math::MatrixInverse(m_scene.View()).value_or(Math::MatrixIdentity());
    const Float3 projected = Math::Vec3TransformNormal({dx, -dy, 0.0f}, inverseProjection);
    return Math::Vec3TransformNormal(projected, inverseView);
}

void LevelEditor::DragTranslate() {
    if (m_drag_component == nullptr || m_drag_handle > 2) {
        return;
    }
    const float f = CameraDistance(*m_drag_component) * 0.005f;
    const Float3 w =
        DragMotion(static_cast<float>(Input().m_mouse_x), static_cast<float>(Input().m_mouse_y));
    const float along[3] = {w.x, w.y, w.z};
    const i32 k = m_accumulators.TranslateStep(along[m_drag_handle] * f);
    if (k == 0) {
        return;
    }
    for (GameObject* object : m_selection) {
        Vector p = object->position;
        p[m_drag_handle] += static_cast<float>(k);
        object->SetPosition(p);
    }
}

void LevelEditor::DragRotate() {
    if (m_drag_handle > 2 || (Input().m_mouse_x == 0 && Input().m_mouse_y == 0)) {
        return;
    }
    const Float3 w =
        DragMotion(static_cast<float>(Input().m_mouse_x), static_cast<float>(Input().m_mouse_y));
    const float along[3] = {w.x, w.y, w.z};
    const float s = (along[0] + along[1] + along[2] - along[m_drag_handle]) * 0.06283186f;
    const float angle = m_accumulators.RotateStep(s);
    if (angle == 0.0f) {
        return;
    }
    float axis[3] = {0.0f, 0.0f, 0.0f};
    axis[m_drag_handle] = angle;
    const Quaternion omega{axis[0], axis[1], axis[2], 0.0f};
    for (GameObject* object : m_selection) {
        const Quaternion q = object->orientation;
        const Quaternion t = Math::QuaternionMultiply(omega, q);
        const Quaternion sum{q.x + 0.5f * t.x, q.y + 0.5f * t.y, q.z + 0.5f * t.z,
                             q.w + 0.5f * t.w};
        object->SetOrientation(Math::QuaternionNormalize(sum));
    }
}

void LevelEditor::DragScale() {
    if (m_drag_component == nullptr || m_drag_handle > 3) {
        return;
    }
    const float f = CameraDistance(*m_drag_component) * 0.005f;
    const Float3 w = DragMotion(0.1f * static_cast<float>(Input().m_mouse_x),
                                0.1f * static_cast<float>(Input().m_mouse_y));
    const float along[3] = {w.x, w.y, w.z};
    const float amount = m_drag_handle == 3 ? (w.x + w.y + w.z) * f : along[m_drag_handle] * f;
    const float step = m_accumulators.ScaleStep(amount);
    float delta[3] = {0.0f, 0.0f, 0.0f};
    for (unsigned a = 0; a < 3; ++a) {
        if (m_drag_handle == 3 || a == m_drag_handle) {
            delta[a] = step;
        }
    }
    for (GameObject* object : m_selection) {
        Vector s = object->scale;
        for (unsigned a = 0; a < 3; ++a) {
            s[a] = std::max(s[a] + delta[a], 0.05f);
        }
        object->SetScale(s);
    }
}

void LevelEditor::ApplyGroupTransform() {
    for (GameObject* group : m_selection) {
        if (group->name != kGroupType) {
            continue;
        }
        const Float4x4 g = TransformOf(*group);
        for (GameObject* member : group->childObjects) {
            const Float4x4 m = Marks(*member).m_group_relative * g;
            Float3 scale;
            Quaternion rotation;
            Float3 translation;
            if (!Math::MatrixDecompose(m, scale, rotation, translation)) {
                continue;
            }
            member->SetPosition(Vector(translation));
            member->SetScale(Vector(scale));
            rotation.w = -rotation.w;
            member->SetOrientation(rotation);
        }
    }
}
