// The property window beside the game view: its fixed controls, the commands of its buttons
// and fields, the refresh that keeps its pages in step with the selection, and the three
// update buttons. The transform fields, the component page and the object-type page live in
// their own files.
#include <algorithm>

#include "core/game_object.h"
#include "core/message.h"
#include "editor/level_editor.h"
#include "platform/system/log.h"

namespace {

using gui::ControlKind;

struct FixedControl {
    ControlKind kind;
    const char* text;
    i32 id;
    gui::Rect rect;
};

constexpr FixedControl kLabels[3] = {
    {ControlKind::Label, "Position (x,y,z):", 0, {10, 10, 100, 20}},
    {ControlKind::Label, "Rotation (x,y,z in degrees):", 0, {10, 55, 150, 20}},
    {ControlKind::Label, "Scaling (x,y,z):", 0, {10, 100, 150, 20}},
};

constexpr FixedControl kButtons[5] = {
    {ControlKind::Button, "Apply Updates", LevelEditor::ID_APPLY, {3, 610, 80, 20}},
    {ControlKind::Button, "Save Updates", LevelEditor::ID_SAVE_UPDATES, {87, 610, 80, 20}},
    {ControlKind::Button, "Reset Updates", LevelEditor::ID_RESET_UPDATES, {172, 610, 80, 20}},
    {ControlKind::Button, "&Save Level", LevelEditor::ID_SAVE_LEVEL, {3, 585, 80, 20}},
    {ControlKind::Button, "L&oad Level", LevelEditor::ID_LOAD_LEVEL, {87, 585, 80, 20}},
};

} // namespace

void LevelEditor::CreatePropertyWindow() {
    m_fields_stale = m_pages_stale = 0;
    m_current_type.clear();
    m_component_combo = m_component_add = m_component_delete = 0;
    m_type_add = m_type_delete = m_bounds_button = m_type_combo = 0;
    m_component_index = 0;
    m_component_name.clear();
    m_window.DestroyAll();
    for (const FixedControl& label : kLabels) {
        m_window.Create(label.kind, label.id, label.rect, label.text);
    }
    for (std::size_t field = 0; field < kFieldCount; ++field) {
        const i32 column = static_cast<i32>(field % 3);
        const i32 row = static_cast<i32>(field / 3);
        m_field_handles[field] =
            m_window.Create(ControlKind::Edit, ID_POS_X + static_cast<i32>(field),
                            {10 + 80 * column, 30 + 45 * row, 75, 18}, "");
        m_field_text[field].clear();
    }
    for (std::size_t i = 0; i < 5; ++i) {
        const FixedControl& button = kButtons[i];
        m_buttons[i] = m_window.Create(button.kind, button.id, button.rect, button.text,
                                       button.id == ID_APPLY);
    }
}

void LevelEditor::OnPropertyCommand(u32 wParam) {
    const i32 id = static_cast<i32>(wParam & 0xFFFFu);
    const u32 notification = wParam >> 16;
    switch (id) {
    case gui::kIdOk:
    case ID_APPLY:
        ApplyUpdates();
        break;
    case ID_SAVE_UPDATES:
        SaveUpdates();
        break;
    case ID_RESET_UPDATES:
        ResetUpdates();
        break;
    case ID_COMPONENT_ADD:
        AddComponent();
        break;
    case ID_COMPONENT_DELETE:
        DeleteComponent();
        break;
    case ID_SAVE_LEVEL:
        SaveLevel(false);
        break;
    case ID_LOAD_LEVEL:
        LoadLevel(false);
        break;
    case ID_TYPE_ADD:
        AddObjectType();
        break;
    case ID_TYPE_DELETE:
        DeleteObjectType();
        break;
    case ID_BOUNDING_VOLUMES:
        GetBoundingVolumesFromMesh();
        break;
    default:
        break;
    }
    if (notification == gui::kNotifySelChange) {
        if (id == ID_COMPONENT_COMBO) {
            OnComponentSelected(false);
        } else if (id == ID_TYPE_COMBO) {
            ChangeObjectType();
        }
    }
}

void LevelEditor::RefreshPropertyWindow() {
    if (m_fields_stale != 0) {
        FillTransformFields();
    }
    if (m_pages_stale != 0) {
        RefreshPropertyPages();
    }
    m_fields_stale = m_pages_stale = 0;
}

void LevelEditor::RefreshPropertyPages() {
    m_special_selection = 0;
    std::string page;
    if (m_placing != 0) {
        if (m_object != nullptr) {
            page = m_object->name;
        }
    } else {
        bool first = true;
        for (const GameObject* object : m_selection) {
            if (object->name == kRobotType || object->name == kGroupType) {
                m_special_selection = 1;
            }
            if (first) {
                page = object->name;
                first = false;
            } else if (object->name != page) {
                page.clear();
            }
        }
    }
    if (page != m_current_type || m_current_type.empty()) {
        m_current_type = page;
        RebuildPropertyPages();
    }
}

void LevelEditor::DestroyControl(gui::ControlHandle& handle) {
    if (handle != 0) {
        m_window.Destroy(handle);
        handle = 0;
    }
}

void LevelEditor::DestroyParameterControls() {
    while (!m_parameter_controls.empty()) {
        m_window.Destroy(m_parameter_controls.back());
        m_parameter_controls.pop_back();
    }
}

void LevelEditor::DestroyPageControls() {
    DestroyControl(m_component_combo);
    DestroyControl(m_component_add);
    DestroyControl(m_component_delete);
    DestroyParameterControls();
    DestroyControl(m_bounds_button);
}

void LevelEditor::RebuildPropertyPages() {
    DestroyPageControls();
    if (m_current_type.empty() || m_special_selection != 0) {
        CreateObjectTypeControls(!m_selection.empty());
        return;
    }
    CreateComponentControls(m_current_type);
    CreateObjectTypeControls(false);
    const std::vector<gui::ControlHandle> rows =
        CreateParameterControls(m_component_index, m_current_type);
    m_parameter_controls.insert(m_parameter_controls.end(), rows.begin(), rows.end());
}

void LevelEditor::ApplyUpdates() {
    ReadTransformFields();
    std::vector<float> values;
    if (ValidateTransformFields(values)) {
        ApplyTransformFields(values);
        ApplyGroupTransform();
    }
    ApplyComponentParameters();
}

void LevelEditor::SaveUpdates() {
    ApplyComponentParameters();
    BaseMessage save(MSG_SAVE_XML);
    SendMessage(&save, kStateId);
}

void LevelEditor::ResetUpdates() {
    BaseMessage reset(MSG_RESET_XML);
    SendMessage(&reset, kStateId);
    OnComponentSelected(true);
}

bool LevelEditor::PanelHasInput() const {
    return m_panel_focus != nullptr && m_panel_focus->PanelWantsInput();
}
