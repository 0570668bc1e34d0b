// The component page of the property window: the components of the current object type in
// a combo box, the parameters of the chosen one as rows of a label and a field, and adding
// and deleting components. The definitions are the state's; every change is a message.
#include <cmath>
#include <cstdio>
#include <locale>
#include <sstream>

#include "core/game_object.h"
#include "core/message.h"
#include "editor/component_definitions.h"
#include "editor/editor_dialogs.h"
#include "editor/level_editor.h"
#include "game/component_index.h"
#include "platform/system/log.h"

namespace {

using gui::ControlKind;

constexpr const char* kDummyType = "DUMMY";
constexpr const char* kPhysicsName = "Physics";

template <class T> std::string Format(T value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << value;
    return out.str();
}

template <class T> T Parse(const std::string& text) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    T value{};
    if (!(in >> value)) {
        // An unreadable number reads as 0.
        return T{};
    }
    return value;
}

// The pieces of a vector text between commas, empty pieces dropped, missing ones 0.
void ParseVector(const std::string& text, float* out, std::size_t count) {
    std::vector<std::string> pieces;
    std::string piece;
    std::istringstream in(text);
    while (std::getline(in, piece, ',')) {
        if (!piece.empty()) {
            pieces.push_back(piece);
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = i < pieces.size() ? Parse<float>(pieces[i]) : 0.0f;
    }
}

// The bytes a value of the type takes; 0 for strings and for unknown types.
u32 FixedSize(const std::string& type) {
    if (type == "int" || type == "long" || type == "float") {
        return 4;
    }
    if (type == "double") {
        return 8;
    }
    if (type == "bool") {
        return 1;
    }
    if (type == "vector3") {
        return 12;
    }
    if (type == "vector4") {
        return 16;
    }
    return 0;
}

// The number at the read position, read with the given reader, as the row shows it.
template <class T> std::string NumberText(StreamMap& map, bool (StreamMap::*read)(T&)) {
    T value{};
    (map.*read)(value);
    return Format(value);
}

// The value at the read position as the row shows it; false when no known value starts there.
bool ValueText(StreamMap& map, const std::string& type, std::string& text) {
    if (type == "string") {
        return map.ReadString(text);
    }
    if (type == "int" || type == "long") {
        text = NumberText(map, &StreamMap::ReadInt);
        return true;
    }
    if (type == "float") {
        text = NumberText(map, &StreamMap::ReadFloat);
        return true;
    }
    if (type == "double") {
        text = NumberText(map, &StreamMap::ReadDouble);
        return true;
    }
    if (type == "bool") {
        u8 value = 0;
        map.Read(&value, 1);
        text = value != 0 ? "true" : "false";
        return true;
    }
    if (type == "vector3" || type == "vector4") {
        float values[4] = {};
        const std::size_t count = type == "vector3" ? 3 : 4;
        for (std::size_t i = 0; i < count; ++i) {
            map.ReadFloat(values[i]);
        }
        text.clear();
        for (std::size_t i = 0; i < count; ++i) {
            text += (i == 0 ? "" : ", ") + Format(values[i]);
        }
        return true;
    }
    return false;
}

// A row's text written as a value of its type.
void AppendValue(StreamMap& map, const std::string& name, const std::string& type,
                 const std::string& text) {
    if (type == "string") {
        map.AddString(name, text);
    } else if (type == "int") {
        map.AddInt(name, Parse<i32>(text));
    } else if (type == "long") {
        map.AddLong(name, Parse<i32>(text));
    } else if (type == "float") {
        map.AddFloat(name, Parse<float>(text));
    } else if (type == "double") {
        map.AddDouble(name, Parse<double>(text));
    } else if (type == "bool") {
        map.AddBool(name, text == "true");
    } else if (type == "vector3") {
        float v[3];
        ParseVector(text, v, 3);
        map.AddVector3(name, v[0], v[1], v[2]);
    } else if (type == "vector4") {
        float v[4];
        ParseVector(text, v, 4);
        map.AddVector4(name, v);
    } else {
        map.AddValue(name, type, map.Size());
    }
}

// The label of a row: "name (type)", split again when the row is applied.
void SplitLabel(const std::string& label, std::string& name, std::string& type) {
    const std::string::size_type open = label.find(" (");
    name = label.substr(0, open);
    type.clear();
    if (open != std::string::npos) {
        const std::string::size_type close = label.find(')', open + 2);
        type = label.substr(open + 2,
                            close == std::string::npos ? std::string::npos : close - open - 2);
    }
}

} // namespace

namespace editor {

// A new definition of component `component` for `type`, holding every value of `source`
// (read from after its two leading names) with its name and type.
StreamMap CopyDefinition(const std::string& type, const std::string& component,
                         const StreamMap* source) {
    StreamMap out(StreamMap::kDefaultCapacity);
    out.WriteString(type);
    out.WriteString(component);
    if (source == nullptr) {
        return out;
    }
    StreamMap read(*source);
    read.BeginRead();
    std::string skipped;
    read.ReadString(skipped);
    read.ReadString(skipped);
    while (read.Cursor() < read.Size()) {
        const std::string name = read.GetCurrentName();
        const std::string valueType = read.GetCurrentType();
        if (valueType == "string") {
            std::string text;
            read.ReadString(text);
            out.AddString(name, text);
            continue;
        }
        const u32 size = FixedSize(valueType);
        if (size == 0) {
            break;
        }
        u8 bytes[16] = {};
        read.Read(bytes, size);
        out.AddValue(name, valueType, out.Size());
        out.Write(bytes, size);
    }
    return out;
}

} // namespace editor

void LevelEditor::SendComponentList(const std::string& type) {
    m_components.clear();
    Message<std::string> request(MSG_COMPONENT_LIST, type);
    SendMessage(&request, kStateId);
}

std::vector<std::string> LevelEditor::GetComponentNames(const std::string& type) {
    SendComponentList(type);
    std::vector<std::string> names;
    for (const auto& [kind, definition] : m_components) {
        names.push_back(ComponentType::Name(kind));
    }
    return names;
}

gui::ControlHandle LevelEditor::CreateComponentControls(const std::string& type) {
    DestroyControl(m_component_combo);
    DestroyControl(m_component_add);
    DestroyControl(m_component_delete);
    m_component_combo =
        m_window.Create(ControlKind::Combo, ID_COMPONENT_COMBO, {10, 170, 120, 200}, "Components");
    for (const std::string& name : GetComponentNames(type)) {
        m_window.AddString(m_component_combo, name);
    }
    i32 chosen = m_window.FindStringExact(m_component_combo, -1, m_component_name);
    if (chosen == gui::kError) {
        chosen = 0;
    }
    if (m_window.SetCurSel(m_component_combo, chosen) != gui::kError) {
        m_window.GetLBText(m_component_combo, chosen, m_component_name);
        m_component_index = static_cast<u32>(chosen);
    }
    m_component_add =
        m_window.Create(ControlKind::Button, ID_COMPONENT_ADD, {140, 170, 50, 20}, "Add");
    m_component_delete =
        m_window.Create(ControlKind::Button, ID_COMPONENT_DELETE, {195, 170, 50, 20}, "Delete");
    return m_component_combo;
}

void LevelEditor::ShowParametersOf(u32 index) {
    DestroyParameterControls();
    DestroyControl(m_bounds_button);
    m_component_index = index;
    const std::vector<gui::ControlHandle> rows = CreateParameterControls(index, m_current_type);
    m_parameter_controls.insert(m_parameter_controls.end(), rows.begin(), rows.end());
}

void LevelEditor::OnComponentSelected(bool force) {
    if (m_component_combo == 0) {
        DestroyParameterControls();
        DestroyControl(m_bounds_button);
        return;
    }
    const i32 chosen = m_window.GetCurSel(m_component_combo);
    if (force || chosen != static_cast<i32>(m_component_index)) {
        ShowParametersOf(chosen < 0 ? 0u : static_cast<u32>(chosen));
    }
}

std::vector<gui::ControlHandle> LevelEditor::CreateParameterControls(u32 index,
                                                                     const std::string& type) {
    m_window.SetCurSel(m_component_combo, static_cast<i32>(index));
    std::vector<ParameterRow> rows;
    const std::string component = ReadComponentParameters(index, type, rows);
    std::vector<gui::ControlHandle> handles;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const i32 y = 200 + 20 * static_cast<i32>(k);
        handles.push_back(
            m_window.Create(ControlKind::Label, 0, {10, y + 4, 120, 20}, rows[k].m_label));
        handles.push_back(
            m_window.Create(ControlKind::Edit, 0, {130, y, 120, 18}, rows[k].m_value));
    }
    if (component == kPhysicsName) {
        DestroyControl(m_bounds_button);
        m_bounds_button = m_window.Create(ControlKind::Button, ID_BOUNDING_VOLUMES,
                                          {28, 200 + 20 * static_cast<i32>(rows.size()), 200, 20},
                                          "Get Bounding Volumes From Mesh");
    }
    if (!component.empty()) {
        m_component_name = component;
    }
    return handles;
}

std::string LevelEditor::ReadComponentParameters(u32 index, const std::string& type,
                                                 std::vector<ParameterRow>& rows) {
    rows.clear();
    std::string component;
    if (m_window.GetLBText(m_component_combo, static_cast<i32>(index), component) == gui::kError) {
        return "";
    }
    // The entry shown is the one chosen: the n-th of its kind when the type has several.
    u32 among = 0;
    for (u32 i = 0; i < index; ++i) {
        std::string before;
        m_window.GetLBText(m_component_combo, static_cast<i32>(i), before);
        among += before == component ? 1 : 0;
    }
    SendComponentList(type);
    const ComponentType kind = ComponentType::FromName(component);
    const auto [first, last] = m_components.equal_range(kind);
    auto entry = first;
    for (u32 i = 0; i < among && entry != last; ++i) {
        ++entry;
    }
    if (entry == last) {
        return component;
    }
    StreamMap read(entry->second);
    read.BeginRead();
    std::string skipped;
    read.ReadString(skipped);
    read.ReadString(skipped);
    while (read.Cursor() < read.Size()) {
        const std::string name = read.GetCurrentName();
        const std::string valueType = read.GetCurrentType();
        std::string text;
        if (valueType == StreamMap::kInvalid || !ValueText(read, valueType, text)) {
            sys::LogLine(StreamMap::kInvalid);
            break;
        }
        rows.push_back({name + " (" + valueType + ")", text});
    }
    return component;
}

void LevelEditor::ApplyComponentParameters() {
    if (m_current_type.empty() || m_current_type == kRobotType || m_current_type == kGroupType ||
        m_component_combo == 0) {
        return;
    }
    const i32 chosen = m_window.GetCurSel(m_component_combo);
    std::string component;
    if (m_window.GetLBText(m_component_combo, chosen, component) == gui::kError) {
        return;
    }
    u32 among = 0;
    for (i32 i = 0; i < chosen; ++i) {
        std::string before;
        m_window.GetLBText(m_component_combo, i, before);
        among += before == component ? 1 : 0;
    }
    SendComponentList(m_current_type);
    sys::Log() << "Updated " << component << " of " << m_current_type;
    StreamMap map(StreamMap::kDefaultCapacity);
    map.WriteString(m_current_type);
    map.WriteString(component);
    for (std::size_t i = 0; i + 1 < m_parameter_controls.size(); i += 2) {
        std::string name;
        std::string type;
        SplitLabel(m_window.GetText(m_parameter_controls[i]), name, type);
        AppendValue(map, name, type, m_window.GetText(m_parameter_controls[i + 1]));
    }
    ComponentIndex which;
    which.m_type = ComponentType::FromName(component);
    which.m_index = among;
    Message<std::pair<StreamMap, ComponentIndex>> update(MSG_UPDATE_COMPONENT, {map, which});
    SendMessage(&update, kStateId);
}

void LevelEditor::AddComponent() {
    const std::string chosen =
        m_dialog_service != nullptr ? m_dialog_service->ShowAddComponent() : std::string();
    if (chosen.empty()) {
        return;
    }
    SendComponentList(kDummyType);
    const auto found = m_components.find(ComponentType::FromName(chosen));
    if (found != m_components.end()) {
        Message<StreamMap> add(MSG_ADD_COMPONENT,
                               editor::CopyDefinition(m_current_type, chosen, &found->second));
        SendMessage(&add, kStateId);
    }
    DestroyControl(m_bounds_button);
    CreateComponentControls(m_current_type);
    i32 last = m_window.FindStringExact(m_component_combo, -1, chosen);
    while (last != gui::kError) {
        const i32 next = m_window.FindStringExact(m_component_combo, last, chosen);
        if (next <= last) {
            break;
        }
        last = next;
    }
    if (last == gui::kError) {
        last = m_window.GetCount(m_component_combo) - 1;
    }
    ShowParametersOf(last < 0 ? 0u : static_cast<u32>(last));
}

void LevelEditor::DeleteComponent() {
    const i32 chosen = m_window.GetCurSel(m_component_combo);
    if (chosen < 0) {
        return;
    }
    m_window.DeleteString(m_component_combo, chosen);
    ShowParametersOf(0);
    SendComponentList(m_current_type);
    ComponentIndex which;
    i32 position = 0;
    for (const auto& [kind, definition] : m_components) {
        if (kind == which.m_type) {
            ++which.m_index;
        } else {
            which.m_type = kind;
            which.m_index = 0;
        }
        if (position++ == chosen) {
            break;
        }
    }
    if (position <= chosen) {
        return; // the entry was not in the definitions
    }
    Message<std::pair<std::string, ComponentIndex>> remove(MSG_REMOVE_COMPONENT,
                                                           {m_current_type, which});
    SendMessage(&remove, kStateId);
}

void LevelEditor::GetBoundingVolumesFromMesh() {
    GameObject* object = m_placing != 0 ? m_object : nullptr;
    if (object == nullptr && m_placing == 0 && !m_selection.empty()) {
        object = m_selection.front();
    }
    Float3 boxMin;
    Float3 boxMax;
    if (object == nullptr || !m_scene.LocalBox(*object, boxMin, boxMax)) {
        return;
    }
    const float half[3] = {(boxMax.x - boxMin.x) * 0.5f, (boxMax.y - boxMin.y) * 0.5f,
                           (boxMax.z - boxMin.z) * 0.5f};
    float radius = 0.0f;
    if (!m_scene.SphereRadius(*object, radius)) {
        radius = std::sqrt(half[0] * half[0] + half[1] * half[1] + half[2] * half[2]);
    }
    const auto text = [](float value) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
        return std::string(buffer);
    };
    const std::pair<const char*, float> fills[4] = {{"BoundingSphere.Radius", radius},
                                                    {"OBB.e.x", half[0]},
                                                    {"OBB.e.y", half[1]},
                                                    {"OBB.e.z", half[2]}};
    for (std::size_t i = 0; i + 1 < m_parameter_controls.size(); i += 2) {
        std::string name;
        std::string type;
        SplitLabel(m_window.GetText(m_parameter_controls[i]), name, type);
        for (const auto& [label, value] : fills) {
            if (name == label) {
                m_window.SetText(m_parameter_controls[i + 1], text(value));
            }
        }
    }
    ApplyUpdates();
}
