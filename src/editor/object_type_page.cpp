// The object-type page of the property window: the type names in a combo box, turning the
// selection (or the placed object) into another type, and making and deleting types.
#include <algorithm>
#include <map>
#include <unordered_set>

#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "editor/component_definitions.h"
#include "editor/editor_dialogs.h"
#include "editor/level_editor.h"
#include "platform/system/log.h"

namespace {

using gui::ControlKind;

constexpr const char* kDummyType = "DUMMY";
constexpr float kStatusSeconds = 3.0f;
constexpr float kPreviewDistance = 50.0f;

// Level scripts quote type names and the loader scans for the closing quote.
bool UsableTypeName(const std::string& name) {
    if (name.empty()) {
        return false;
    }
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return c == '"' || c == '\\' || u < 0x20 || u == 0x7F;
    });
}

} // namespace

std::vector<std::string> LevelEditor::GetObjectTypeNames() {
    if (m_names_pending != 0) {
        Message<ComponentType> request(MSG_GET_OBJECT_NAMES_WITH_TYPE, ComponentType::Graphic);
        SendMessage(&request, kStateId);
        m_names_pending = 0;
        return m_names_answer;
    }
    return m_type_names;
}

gui::ControlHandle LevelEditor::CreateObjectTypeControls(bool selectionNotEmpty) {
    DestroyControl(m_type_add);
    DestroyControl(m_type_delete);
    DestroyControl(m_type_combo);
    if (m_special_selection != 0 || (m_current_type.empty() && !selectionNotEmpty)) {
        return 0;
    }
    m_type_combo =
        m_window.Create(ControlKind::Combo, ID_TYPE_COMBO, {10, 145, 120, 200}, "Components");
    for (const std::string& name : m_type_names) {
        m_window.AddString(m_type_combo, name);
    }
    m_type_add = m_window.Create(ControlKind::Button, ID_TYPE_ADD, {140, 145, 50, 20}, "Add");
    m_type_delete =
        m_window.Create(ControlKind::Button, ID_TYPE_DELETE, {195, 145, 50, 20}, "Delete");
    const auto at = std::find(m_type_names.begin(), m_type_names.end(), m_current_type);
    m_window.SetCurSel(m_type_combo, static_cast<i32>(at - m_type_names.begin()));
    return m_type_combo;
}

void LevelEditor::ChangeObjectType() {
    const i32 index = m_window.GetCurSel(m_type_combo);
    if (index < 0 || index >= static_cast<i32>(m_type_names.size())) {
        return;
    }
    const std::string type = m_type_names[static_cast<std::size_t>(index)];
    m_object_type = type;
    if (m_placing != 0) {
        m_type_index = index;
        ShowCurrentObjectType();
        if (m_object != nullptr) {
            const editor::CameraPose camera = m_scene.Camera();
            const Float3 direction = Math::Vec3Normalize(
                {camera.m_look_at.x - camera.m_position.x, camera.m_look_at.y - camera.m_position.y,
                 camera.m_look_at.z - camera.m_position.z});
            m_object->SetPosition(Vector(camera.m_position.x + kPreviewDistance * direction.x,
                                         camera.m_position.y + kPreviewDistance * direction.y,
                                         camera.m_position.z + kPreviewDistance * direction.z));
        }
    } else {
        RecordAction(ACTION_TYPE_CHANGED);
        const std::vector<GameObject*> before = m_selection;
        for (GameObject* old : before) {
            GameObject* made = CreateObject(type);
            Float3 boxMin;
            Float3 boxMax;
            if (made != nullptr && m_scene.LocalBox(*made, boxMin, boxMax)) {
                made->SetPosition(old->position);
                made->SetOrientation(old->orientation);
                made->SetScale(old->scale);
                Marks(*made) = Marks(*old);
                std::replace(m_selection.begin(), m_selection.end(), old, made);
                DeleteObject(old);
            } else {
                DeleteObject(old);
                sys::LogLine("bitch, bitch, bitch...");
            }
        }
        RecordAction(ACTION_TYPE_CHANGED);
    }
    m_current_type = type;
    sys::Log() << "Change object type to: " << type;
    m_pages_stale = 1;
    // The refresh keeps a page whose name has not changed, and the name is already the new
    // type's: the component page is rebuilt here, or it would list the old type's components.
    RebuildPropertyPages();
}

void LevelEditor::AddObjectTypeName(const std::string& name) {
    m_type_names.push_back(name);
    m_current_type = name;
}

void LevelEditor::EraseObjectTypeName(std::size_t index) {
    if (index >= m_type_names.size()) {
        return;
    }
    m_type_names.erase(m_type_names.begin() + static_cast<std::ptrdiff_t>(index));
    if (m_type_index >= static_cast<i32>(m_type_names.size())) {
        m_type_index = 0;
    }
}

void LevelEditor::AddObjectType() {
    sys::LogLine("Add object type button");
    if (m_dialog_service == nullptr) {
        return;
    }
    const editor::NewObjectType wanted =
        m_dialog_service->ShowNewObjectType(GetObjectTypeNames(), m_current_type);
    if (wanted.m_name.empty()) {
        return;
    }
    if (!UsableTypeName(wanted.m_name)) {
        AddStatus("Object type names may not hold quotes, backslashes or control characters",
                  kStatusSeconds);
        return;
    }
    SendComponentList(wanted.m_name);
    if (!m_components.empty()) {
        sys::LogLine("Duplicate object name.");
        return;
    }
    std::multimap<ComponentType, StreamMap> made;
    if (!wanted.m_copy) {
        SendComponentList(kDummyType);
        const auto graphic = m_components.find(ComponentType::Graphic);
        made.emplace(
            ComponentType::Graphic,
            editor::CopyDefinition(wanted.m_name, ComponentType::Name(ComponentType::Graphic),
                                   graphic != m_components.end() ? &graphic->second : nullptr));
    } else {
        SendComponentList(wanted.m_copy_from);
        for (const auto& [kind, definition] : m_components) {
            made.emplace(kind, editor::CopyDefinition(wanted.m_name, kind.Name(), &definition));
        }
    }
    Message<std::pair<std::string, std::multimap<ComponentType, StreamMap>>> add(
        MSG_ADD_GAME_OBJECT, {wanted.m_name, made});
    SendMessage(&add, kStateId);
    AddObjectTypeName(wanted.m_name);
    CreateObjectTypeControls(false);
    ChangeObjectType();
}

void LevelEditor::DropObjectsOfType(const std::string& type) {
    std::unordered_set<const GameObject*> doomed;
    for (GameObject* object : m_scene.DrawnObjects()) {
        if (object->name == type) {
            doomed.insert(object);
        }
    }
    for (GameObject* object : m_selection) {
        if (object->name == type) {
            doomed.insert(object);
        }
    }
    if (m_object != nullptr && m_object->name == type) {
        doomed.insert(m_object);
        m_object = nullptr;
    }
    const auto isDoomed = [&doomed](const GameObject* object) { return doomed.count(object) != 0; };
    m_selection.erase(std::remove_if(m_selection.begin(), m_selection.end(), isDoomed),
                      m_selection.end());
    for (const GameObject* object : doomed) {
        GameObject* member = const_cast<GameObject*>(object);
        if (member->parentObject != nullptr) {
            member->parentObject->RemoveChildObject(member);
            member->parentObject = nullptr;
        }
        m_marks.erase(member);
    }
    if (m_drag_component != nullptr && isDoomed(m_drag_component)) {
        m_drag_component = nullptr;
        m_translating = m_rotating = m_scaling = 0;
    }
    if (m_clipboard) {
        EditorAction& clip = *m_clipboard;
        EditorAction kept;
        kept.kind = clip.kind;
        for (std::size_t i = 0; i < clip.names.size(); ++i) {
            if (clip.names[i] == type) {
                continue;
            }
            kept.objects.push_back(clip.objects[i]);
            kept.ids.push_back(clip.ids[i]);
            kept.positions.push_back(clip.positions[i]);
            kept.orientations.push_back(clip.orientations[i]);
            kept.scales.push_back(clip.scales[i]);
            kept.names.push_back(clip.names[i]);
            kept.children.push_back(clip.children[i]);
        }
        if (kept.names.empty()) {
            m_clipboard.reset();
        } else {
            clip = std::move(kept);
        }
    }
    m_actions.erase(
        std::remove_if(
            m_actions.begin(), m_actions.end(),
            [&](const std::unique_ptr<EditorAction>& action) {
                if (std::any_of(action->objects.begin(), action->objects.end(), isDoomed) ||
                    std::find(action->names.begin(), action->names.end(), type) !=
                        action->names.end()) {
                    return true;
                }
                return std::any_of(action->children.begin(), action->children.end(),
                                   [&](const std::vector<GameObject*>& members) {
                                       return std::any_of(members.begin(), members.end(), isDoomed);
                                   });
            }),
        m_actions.end());
}

void LevelEditor::DeleteObjectType() {
    if (m_type_names.size() <= 1) {
        return;
    }
    sys::LogLine("Delete object type button");
    const i32 index = m_window.GetCurSel(m_type_combo);
    if (index < 0 || index >= static_cast<i32>(m_type_names.size())) {
        return;
    }
    const std::string type = m_type_names[static_cast<std::size_t>(index)];
    m_window.DeleteString(m_type_combo, index);
    DropObjectsOfType(type);
    Message<std::string> remove(MSG_REMOVE_GAME_OBJECT, type);
    SendMessage(&remove, kStateId);
    EraseObjectTypeName(static_cast<std::size_t>(index));
    m_current_type = m_type_names.front();
    CreateObjectTypeControls(false);
    ChangeObjectType();
}
