#include "editor/editor_dialogs.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/component_type.h"

namespace editor {

namespace {

using gui::ControlKind;

// The dialogs were laid out in dialog units; these turn them into pixels of the panel's
// font.
gui::Rect Units(i32 x, i32 y, i32 w, i32 h) {
    return {x * 3 / 2, y * 7 / 4, w * 3 / 2, h * 7 / 4};
}

void AddOkCancel(gui::ToolWindow& dialog) {
    dialog.Create(ControlKind::Button, gui::kIdOk, Units(129, 7, 50, 14), "OK", true);
    dialog.Create(ControlKind::Button, gui::kIdCancel, Units(129, 24, 50, 14), "Cancel");
}

bool HasExtension(const std::string& name) {
    const std::string::size_type slash = name.find_last_of('/');
    const std::string::size_type dot = name.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

} // namespace

NewObjectType DialogService::ShowNewObjectType(const std::vector<std::string>& names,
                                               const std::string& copyFrom) {
    m_new_type.m_copy_from = copyFrom;
    gui::ToolWindow dialog;
    AddOkCancel(dialog);
    dialog.Create(ControlKind::Label, 0, Units(17, 11, 100, 8), "Enter new object type name:");
    const auto name =
        dialog.Create(ControlKind::Edit, ID_NEW_TYPE_NAME, Units(15, 24, 109, 12), "");
    const auto check = dialog.Create(ControlKind::CheckBox, ID_COPY_FROM_CHECK,
                                     Units(15, 46, 48, 10), "Copy from:");
    const auto combo = dialog.Create(ControlKind::Combo, ID_COPY_FROM, Units(72, 43, 108, 120), "");
    dialog.SetSorted(combo, true);

    m_new_type.m_name.clear();
    m_new_type.m_copy = true;
    for (const std::string& type : names) {
        dialog.AddString(combo, type);
    }
    dialog.SetCheck(check, true);
    dialog.SetCurSel(combo, dialog.FindStringExact(combo, -1, m_new_type.m_copy_from));

    if (m_runner.RunModal("New object type", dialog) == gui::kIdOk) {
        const std::string text = dialog.GetText(name);
        if (!text.empty()) {
            m_new_type.m_name = text;
            m_new_type.m_copy = dialog.GetCheck(check);
            std::string chosen;
            if (dialog.GetLBText(combo, dialog.GetCurSel(combo), chosen) != gui::kError) {
                m_new_type.m_copy_from = chosen;
            }
        }
    }
    return m_new_type;
}

std::string DialogService::ShowAddComponent() {
    gui::ToolWindow dialog;
    AddOkCancel(dialog);
    dialog.Create(ControlKind::Label, 0, Units(11, 8, 100, 8), "Select new component type:");
    const auto combo =
        dialog.Create(ControlKind::Combo, ID_COMPONENT_KIND, Units(11, 24, 112, 120), "");
    dialog.SetSorted(combo, true);
    m_component.clear();
    for (u32 kind = 0; kind < ComponentType::Invalid; ++kind) {
        dialog.AddString(combo, ComponentType::Name(kind));
    }
    dialog.SetCurSel(combo, 0);
    if (m_runner.RunModal("Add new component", dialog) == gui::kIdOk) {
        std::string chosen;
        if (dialog.GetLBText(combo, dialog.GetCurSel(combo), chosen) != gui::kError) {
            m_component = chosen;
        }
    }
    return m_component;
}

LevelFileDialogs::LevelFileDialogs(gui::ModalRunner& runner, std::string folder,
                                   std::vector<std::string> packaged)
    : m_runner(runner), m_folder(std::move(folder)), m_packaged(std::move(packaged)) {}

std::vector<std::string> LevelFileDialogs::Names() const {
    std::vector<std::string> names;
    const auto lua = [](const std::string& name) {
        return name.size() > 4 && name.compare(name.size() - 4, 4, ".lua") == 0;
    };
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(error) && lua(name)) {
            names.push_back(name);
        }
    }
    for (const std::string& name : m_packaged) {
        if (lua(name)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::string LevelFileDialogs::PathOf(std::string name) const {
    if (!HasExtension(name)) {
        name += ".lua";
    }
    if (name.find('/') != std::string::npos) {
        return name;
    }
    return m_folder + "/" + name;
}

std::string LevelFileDialogs::Run(const std::string& title) {
    gui::ToolWindow dialog;
    AddOkCancel(dialog);
    dialog.Create(ControlKind::Label, 0, Units(8, 8, 110, 8), "Level:");
    const auto list = dialog.Create(ControlKind::Combo, ID_FILE_LIST, Units(8, 20, 115, 120), "");
    dialog.Create(ControlKind::Label, 0, Units(8, 38, 110, 8), "File name:");
    const auto name = dialog.Create(ControlKind::Edit, ID_FILE_NAME, Units(8, 50, 115, 12), "");
    for (const std::string& file : Names()) {
        dialog.AddString(list, file);
    }
    if (m_runner.RunModal(title, dialog) != gui::kIdOk) {
        return "";
    }
    std::string chosen = dialog.GetText(name);
    if (chosen.empty()) {
        dialog.GetLBText(list, dialog.GetCurSel(list), chosen);
    }
    return chosen.empty() ? std::string() : PathOf(chosen);
}

std::string LevelFileDialogs::Open() {
    const std::string path = Run("Load level");
    if (path.empty()) {
        return "";
    }
    std::error_code error;
    const std::string file = path.substr(path.find_last_of('/') + 1);
    if (!std::filesystem::exists(path, error) &&
        std::find(m_packaged.begin(), m_packaged.end(), file) == m_packaged.end()) {
        return "";
    }
    return path;
}

std::string LevelFileDialogs::Save() {
    const std::string path = Run("Save level");
    if (path.empty()) {
        return "";
    }
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        gui::ToolWindow confirm;
        AddOkCancel(confirm);
        confirm.Create(ControlKind::Label, 0, Units(8, 8, 115, 8), path);
        confirm.Create(ControlKind::Label, 0, Units(8, 22, 115, 8), "This file does not exist.");
        confirm.Create(ControlKind::Label, 0, Units(8, 34, 115, 8), "Create it?");
        if (m_runner.RunModal("Save level", confirm) != gui::kIdOk) {
            return "";
        }
    }
    return path;
}

} // namespace editor
