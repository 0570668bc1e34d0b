#pragma once
// The level editor with its property window and dialogs scripted: each dialog the editor
// opens takes the next answer of a queue, which may fill the dialog's controls first.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/editor_dialogs.h"
#include "editor_fixture.h"
#include "platform/gui/modal_runner.h"

namespace editor_test {

class ScriptedRunner : public gui::ModalRunner {
  public:
    using Answer = std::function<i32(gui::ToolWindow&)>;

    i32 RunModal(const std::string& title, gui::ToolWindow& dialog) override {
        m_titles.push_back(title);
        m_last_controls = dialog.Controls();
        if (m_answers.empty()) {
            return gui::kIdCancel;
        }
        Answer answer = std::move(m_answers.front());
        m_answers.pop_front();
        return answer(dialog);
    }

    std::deque<Answer> m_answers;
    std::vector<std::string> m_titles;
    std::vector<gui::Control> m_last_controls;
};

inline gui::ControlHandle HandleOf(gui::ToolWindow& window, i32 id) {
    gui::Control* control = window.FindById(id);
    return control != nullptr ? control->handle : 0;
}

// Answers dialog 101 with a name, the copy box and a copy-from entry ("" keeps the offered one).
inline ScriptedRunner::Answer NewType(const std::string& name, bool copy,
                                      const std::string& from = "") {
    return [=](gui::ToolWindow& dialog) {
        dialog.SetText(HandleOf(dialog, editor::ID_NEW_TYPE_NAME), name);
        dialog.SetCheck(HandleOf(dialog, editor::ID_COPY_FROM_CHECK), copy);
        if (!from.empty()) {
            const auto combo = HandleOf(dialog, editor::ID_COPY_FROM);
            dialog.SetCurSel(combo, dialog.FindStringExact(combo, -1, from));
        }
        return gui::kIdOk;
    };
}

// Answers dialog 102 with a component kind.
inline ScriptedRunner::Answer ComponentKind(const std::string& kind) {
    return [=](gui::ToolWindow& dialog) {
        const auto combo = HandleOf(dialog, editor::ID_COMPONENT_KIND);
        dialog.SetCurSel(combo, dialog.FindStringExact(combo, -1, kind));
        return gui::kIdOk;
    };
}

inline ScriptedRunner::Answer Cancel() {
    return [](gui::ToolWindow&) { return gui::kIdCancel; };
}

class PropertyWindowTest : public EditorTest {
  protected:
    PropertyWindowTest() : m_service(m_runner) {}

    void Enter() {
        EnterEditor();
        m_editor->SetDialogService(&m_service);
        Frame();
    }

    gui::ToolWindow& Window() { return m_editor->PropertyWindow(); }

    // A command as the panel queues it, handled in the next frame.
    void Command(i32 id, u32 notification = gui::kNotifyClicked) {
        Window().Post(id, notification);
        Frame();
    }

    GameObject* Make(const std::string& type, const Float3& at) {
        GameObject* object = m_state->CreateObject(type);
        object->SetPosition(Vector(at.x, at.y, at.z));
        return object;
    }

    // Selects the objects with clicks (Ctrl for all but the first).
    void SelectByClicks(const std::vector<GameObject*>& objects) {
        // A click on empty sky first: a click on a selected object would grab its handles.
        m_scene->m_cursor = {500.0f, 10.0f};
        m_scene->m_editor_input.m_mouse_buttons[input::mouse::Left] = INPUT_PRESSED;
        Frame();
        bool first = true;
        for (GameObject* object : objects) {
            if (!first) {
                m_scene->m_editor_input.m_keys[input::key::LeftControl] = INPUT_HELD;
            }
            ClickAt({object->position.x, object->position.y, object->position.z});
            first = false;
        }
    }

    std::string Field(std::size_t i) { return Window().GetText(m_editor->FieldHandle(i)); }
    void SetField(std::size_t i, const std::string& text) {
        Window().SetText(m_editor->FieldHandle(i), text);
    }

    // The shown parameter rows as (label, text).
    std::vector<std::pair<std::string, std::string>> Rows() {
        std::vector<std::pair<std::string, std::string>> rows;
        const auto& handles = m_editor->ParameterControls();
        for (std::size_t i = 0; i + 1 < handles.size(); i += 2) {
            rows.push_back({Window().GetText(handles[i]), Window().GetText(handles[i + 1])});
        }
        return rows;
    }

    std::vector<i32> ControlIds() {
        std::vector<i32> ids;
        for (const gui::Control& control : Window().Controls()) {
            if (control.id != 0) {
                ids.push_back(control.id);
            }
        }
        return ids;
    }

    ScriptedRunner m_runner;
    editor::DialogService m_service;
};

} // namespace editor_test
