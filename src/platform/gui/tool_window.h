#pragma once
// The editor's tool windows as a model of controls, testable without any window: labels,
// edit fields, buttons, combo boxes and check boxes held in creation order, each with an id,
// a rectangle in client pixels, a text, and (combo boxes) a list of entries with a
// selection. The combo operations answer as the controls the editor was written against
// do: -1 for no selection or a failed operation. What the user does (a click, Enter in a
// field, a new selection) is queued as a command and handed to the owner once per frame.
#include <functional>
#include <string>
#include <vector>

#include "platform/system/types.h"

namespace gui {

enum class ControlKind : u8 { Label, Edit, Button, Combo, CheckBox };

struct Rect {
    i32 x = 0;
    i32 y = 0;
    i32 w = 0;
    i32 h = 0;
};

// 0 is no control.
using ControlHandle = u32;

// The answer of a combo operation that failed or found nothing.
constexpr i32 kError = -1;
// Command ids the editor's windows share: Enter in a field, and the dialogs' buttons.
constexpr i32 kIdOk = 1;
constexpr i32 kIdCancel = 2;
// Notifications: a button was clicked (or Enter pressed), a combo box took a new selection.
constexpr u32 kNotifyClicked = 0;
constexpr u32 kNotifySelChange = 1;
// The longest text a control holds; longer texts are cut.
constexpr std::size_t kMaxText = 510;

struct Control {
    ControlHandle handle = 0;
    i32 id = 0;
    ControlKind kind = ControlKind::Label;
    Rect rect;
    std::string text;
    std::vector<std::string> items;
    i32 selection = kError;
    bool isDefault = false;
    bool visible = true;
    bool checked = false;
    // Entries are kept in case-insensitive order as they are added.
    bool sorted = false;
};

struct Command {
    i32 id = 0;
    u32 notification = kNotifyClicked;
};

// The command as one word: the notification in the high half, the id in the low half.
constexpr u32 CommandParam(i32 id, u32 notification) {
    return (notification << 16) | (static_cast<u32>(id) & 0xFFFFu);
}

class ToolWindow {
  public:
    ToolWindow() = default;
    ToolWindow(const ToolWindow&) = delete;
    ToolWindow& operator=(const ToolWindow&) = delete;

    ControlHandle Create(ControlKind kind, i32 id, Rect rect, const std::string& text,
                         bool isDefault = false);
    // False when there is no such control (0 among them).
    bool Destroy(ControlHandle handle);
    void DestroyAll();

    Control* Find(ControlHandle handle);
    const Control* Find(ControlHandle handle) const;
    // The first control made with the id, or null.
    Control* FindById(i32 id);
    const std::vector<Control>& Controls() const { return m_controls; }
    std::vector<Control>& Controls() { return m_controls; }

    // The text of a missing control is empty; set cuts at kMaxText.
    std::string GetText(ControlHandle handle) const;
    void SetText(ControlHandle handle, const std::string& text);
    bool GetCheck(ControlHandle handle) const;
    void SetCheck(ControlHandle handle, bool checked);
    void SetSorted(ControlHandle handle, bool sorted);

    // Combo boxes. AddString answers the entry's index; SetCurSel answers the index, or
    // kError for -1 or an index past the entries, which both leave no entry selected;
    // GetLBText answers the text's length; DeleteString the entries left; FindStringExact
    // searches (ignoring case) from the entry after start to the end and then from the
    // first entry, start = -1 meaning the whole list. All answer kError for a control that
    // is not a combo box.
    i32 AddString(ControlHandle combo, const std::string& text);
    i32 SetCurSel(ControlHandle combo, i32 index);
    i32 GetCurSel(ControlHandle combo) const;
    i32 GetLBText(ControlHandle combo, i32 index, std::string& text) const;
    i32 DeleteString(ControlHandle combo, i32 index);
    i32 FindStringExact(ControlHandle combo, i32 start, const std::string& text) const;
    i32 GetCount(ControlHandle combo) const;

    // What the user did, in order; the owner takes them once per frame.
    void Post(i32 id, u32 notification = kNotifyClicked);
    std::vector<Command> TakeCommands();
    // Hands every queued command, as CommandParam, to the handler; commands the handler
    // posts meanwhile wait for the next call.
    void Drain(const std::function<void(u32)>& handler);
    bool HasCommands() const { return !m_commands.empty(); }

  private:
    Control* Combo(ControlHandle handle);
    const Control* Combo(ControlHandle handle) const;

    std::vector<Control> m_controls;
    std::vector<Command> m_commands;
    ControlHandle m_next = 1;
};

} // namespace gui
