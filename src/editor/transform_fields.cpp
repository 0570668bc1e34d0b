// The nine transform fields of the property window: position, rotation in degrees and
// scaling of the placed object or of every selected object.
#include <algorithm>
#include <cstdio>
#include <locale>
#include <sstream>

#include "core/game_object.h"
#include "editor/euler_angles.h"
#include "editor/level_editor.h"
#include "platform/system/log.h"

namespace {

constexpr const char* kFieldNames[LevelEditor::kFieldCount] = {
    "pos.x", "pos.y", "pos.z", "rot.x", "rot.y", "rot.z", "scale.x", "scale.y", "scale.z"};

// The nine values of an object in field order.
void FieldValues(const GameObject& object, float out[LevelEditor::kFieldCount]) {
    const Float3 angles = editor::QuaternionToEulerDegrees(object.orientation);
    const float values[LevelEditor::kFieldCount] = {
        object.position.x, object.position.y, object.position.z, angles.x,      angles.y,
        angles.z,          object.scale.x,    object.scale.y,    object.scale.z};
    std::copy(values, values + LevelEditor::kFieldCount, out);
}

void WriteObject(GameObject& object, const std::vector<float>& values) {
    float current[LevelEditor::kFieldCount];
    FieldValues(object, current);
    float next[LevelEditor::kFieldCount];
    for (std::size_t i = 0; i < LevelEditor::kFieldCount; ++i) {
        next[i] = values[i] == LevelEditor::kEmptyField ? current[i] : values[i];
    }
    object.SetPosition(Vector(next[0], next[1], next[2]));
    // Rebuilding an orientation no field names would only add rounding to it.
    if (values[3] != LevelEditor::kEmptyField || values[4] != LevelEditor::kEmptyField ||
        values[5] != LevelEditor::kEmptyField) {
        object.SetOrientation(editor::EulerDegreesToQuaternion({next[3], next[4], next[5]}));
    }
    object.SetScale(Vector(next[6], next[7], next[8]));
}

} // namespace

void LevelEditor::FillTransformFields() {
    std::vector<const GameObject*> sources;
    if (m_placing != 0) {
        if (m_object != nullptr) {
            sources.push_back(m_object);
        }
    } else {
        sources.assign(m_selection.begin(), m_selection.end());
    }
    for (std::string& text : m_field_text) {
        text.clear();
    }
    if (!sources.empty()) {
        float first[kFieldCount];
        FieldValues(*sources.front(), first);
        bool same[kFieldCount];
        std::fill(same, same + kFieldCount, true);
        for (const GameObject* object : sources) {
            float values[kFieldCount];
            FieldValues(*object, values);
            for (std::size_t i = 0; i < kFieldCount; ++i) {
                same[i] = same[i] && values[i] == first[i];
            }
        }
        for (std::size_t i = 0; i < kFieldCount; ++i) {
            if (same[i]) {
                char text[64];
                std::snprintf(text, sizeof text, "%f", static_cast<double>(first[i]));
                m_field_text[i] = text;
            }
        }
    }
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        m_window.SetText(m_field_handles[i], m_field_text[i]);
    }
}

void LevelEditor::ReadTransformFields() {
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        m_field_text[i] = m_window.GetText(m_field_handles[i]);
    }
}

bool LevelEditor::ValidateTransformFields(std::vector<float>& values) {
    values.clear();
    bool valid = true;
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        if (m_field_text[i].empty()) {
            values.push_back(kEmptyField);
            continue;
        }
        std::istringstream in(m_field_text[i]);
        in.imbue(std::locale::classic());
        float value = 0.0f;
        if (in >> value) {
            values.push_back(value);
        } else {
            sys::Log() << kFieldNames[i] << " is an invalid value";
            valid = false;
        }
    }
    return valid;
}

void LevelEditor::ApplyTransformFields(const std::vector<float>& values) {
    if (values.size() != kFieldCount) {
        return;
    }
    if (m_placing != 0) {
        if (m_object != nullptr) {
            WriteObject(*m_object, values);
        }
        return;
    }
    if (m_selection.empty()) {
        return;
    }
    bool changed[3] = {false, false, false};
    for (const GameObject* object : m_selection) {
        float current[kFieldCount];
        FieldValues(*object, current);
        for (std::size_t i = 0; i < kFieldCount; ++i) {
            if (values[i] != kEmptyField && values[i] != current[i]) {
                changed[i / 3] = true;
            }
        }
    }
    static constexpr u32 kKinds[3] = {ACTION_TRANSLATE, ACTION_ROTATE, ACTION_SCALE};
    for (std::size_t group = 0; group < 3; ++group) {
        if (changed[group]) {
            RecordAction(kKinds[group]);
        }
    }
    for (GameObject* object : m_selection) {
        WriteObject(*object, values);
    }
}
