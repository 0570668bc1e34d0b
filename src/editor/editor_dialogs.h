#pragma once
// The editor's two modal dialogs, "New object type" and "Add new component", and the level
// file dialogs, each built as controls and run by a gui::ModalRunner (the ImGui one in the
// game, a scripted one in tests). The dialogs keep their last answers, as the editor
// expects: the next dialog starts from them.
#include <string>
#include <vector>

#include "editor/editor_scene.h"
#include "platform/gui/modal_runner.h"

namespace editor {

// Ids of the dialogs' controls.
enum DialogControlId : i32 {
    ID_NEW_TYPE_NAME = 1001,
    ID_COMPONENT_KIND = 1002,
    ID_COPY_FROM_CHECK = 1003,
    ID_COPY_FROM = 1004,
    ID_FILE_LIST = 1101,
    ID_FILE_NAME = 1102,
};

struct NewObjectType {
    std::string m_name;
    bool m_copy = true;
    std::string m_copy_from;
};

class DialogService {
  public:
    explicit DialogService(gui::ModalRunner& runner) : m_runner(runner) {}
    virtual ~DialogService() = default;

    // Dialog 101: the new type's name (empty when cancelled or left empty), whether to copy
    // and from which of the names (sorted in the dialog; copyFrom preselected).
    NewObjectType ShowNewObjectType(const std::vector<std::string>& names,
                                    const std::string& copyFrom);
    // Dialog 102: one of the component kinds, sorted, the first preselected; empty when
    // cancelled.
    std::string ShowAddComponent();

    gui::ModalRunner& Runner() { return m_runner; }

  private:
    gui::ModalRunner& m_runner;
    NewObjectType m_new_type;
    std::string m_component;
};

// The level file dialogs: the .lua files of the levels folder and of the levels package in
// a list, and a name field. Open answers an existing choice; Save asks before making a new
// file and adds ".lua" to a name without an extension.
class LevelFileDialogs : public FileDialogService {
  public:
    // folder: where levels are saved and read first; packaged: the names in the package.
    LevelFileDialogs(gui::ModalRunner& runner, std::string folder,
                     std::vector<std::string> packaged);
    std::string Open() override;
    std::string Save() override;

    // The names offered: the folder's .lua files and the packaged ones, sorted, each once.
    std::vector<std::string> Names() const;
    // The path a typed or chosen name stands for.
    std::string PathOf(std::string name) const;

  private:
    std::string Run(const std::string& title);

    gui::ModalRunner& m_runner;
    std::string m_folder;
    std::vector<std::string> m_packaged;
};

} // namespace editor
