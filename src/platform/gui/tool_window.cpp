#include "platform/gui/tool_window.h"

#include <algorithm>
#include <cctype>

namespace gui {

namespace {

std::string Cut(const std::string& text) {
    return text.size() > kMaxText ? text.substr(0, kMaxText) : text;
}

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

bool LessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

} // namespace

ControlHandle ToolWindow::Create(ControlKind kind, i32 id, Rect rect, const std::string& text,
                                 bool isDefault) {
    Control control;
    control.handle = m_next++;
    control.id = id;
    control.kind = kind;
    control.rect = rect;
    control.text = Cut(text);
    control.isDefault = isDefault;
    m_controls.push_back(std::move(control));
    return m_controls.back().handle;
}

bool ToolWindow::Destroy(ControlHandle handle) {
    const auto found = std::find_if(m_controls.begin(), m_controls.end(),
                                    [handle](const Control& c) { return c.handle == handle; });
    if (handle == 0 || found == m_controls.end()) {
        return false;
    }
    m_controls.erase(found);
    return true;
}

void ToolWindow::DestroyAll() {
    m_controls.clear();
}

Control* ToolWindow::Find(ControlHandle handle) {
    return const_cast<Control*>(static_cast<const ToolWindow*>(this)->Find(handle));
}

const Control* ToolWindow::Find(ControlHandle handle) const {
    if (handle == 0) {
        return nullptr;
    }
    for (const Control& control : m_controls) {
        if (control.handle == handle) {
            return &control;
        }
    }
    return nullptr;
}

Control* ToolWindow::FindById(i32 id) {
    for (Control& control : m_controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

std::string ToolWindow::GetText(ControlHandle handle) const {
    const Control* control = Find(handle);
    return control != nullptr ? Cut(control->text) : std::string();
}

void ToolWindow::SetText(ControlHandle handle, const std::string& text) {
    if (Control* control = Find(handle)) {
        control->text = Cut(text);
    }
}

bool ToolWindow::GetCheck(ControlHandle handle) const {
    const Control* control = Find(handle);
    return control != nullptr && control->checked;
}

void ToolWindow::SetCheck(ControlHandle handle, bool checked) {
    if (Control* control = Find(handle)) {
        control->checked = checked;
    }
}

void ToolWindow::SetSorted(ControlHandle handle, bool sorted) {
    if (Control* control = Combo(handle)) {
        control->sorted = sorted;
    }
}

Control* ToolWindow::Combo(ControlHandle handle) {
    return const_cast<Control*>(static_cast<const ToolWindow*>(this)->Combo(handle));
}

const Control* ToolWindow::Combo(ControlHandle handle) const {
    const Control* control = Find(handle);
    return control != nullptr && control->kind == ControlKind::Combo ? control : nullptr;
}

i32 ToolWindow::AddString(ControlHandle combo, const std::string& text) {
    Control* control = Combo(combo);
    if (control == nullptr) {
        return kError;
    }
    auto at = control->items.end();
    if (control->sorted) {
        at = std::upper_bound(control->items.begin(), control->items.end(), text, LessNoCase);
    }
    const i32 index = static_cast<i32>(at - control->items.begin());
    control->items.insert(at, Cut(text));
    if (control->selection >= index) {
        ++control->selection;
    }
    return index;
}

i32 ToolWindow::SetCurSel(ControlHandle combo, i32 index) {
    Control* control = Combo(combo);
    if (control == nullptr) {
        return kError;
    }
    if (index < 0 || index >= static_cast<i32>(control->items.size())) {
        control->selection = kError;
        return kError;
    }
    control->selection = index;
    return index;
}

i32 ToolWindow::GetCurSel(ControlHandle combo) const {
    const Control* control = Combo(combo);
    return control != nullptr ? control->selection : kError;
}

i32 ToolWindow::GetLBText(ControlHandle combo, i32 index, std::string& text) const {
    const Control* control = Combo(combo);
    if (control == nullptr || index < 0 || index >= static_cast<i32>(control->items.size())) {
        return kError;
    }
    text = control->items[static_cast<std::size_t>(index)];
    return static_cast<i32>(text.size());
}

i32 ToolWindow::DeleteString(ControlHandle combo, i32 index) {
    Control* control = Combo(combo);
    if (control == nullptr || index < 0 || index >= static_cast<i32>(control->items.size())) {
        return kError;
    }
    control->items.erase(control->items.begin() + index);
    if (control->selection == index) {
        control->selection = kError;
    } else if (control->selection > index) {
        --control->selection;
    }
    return static_cast<i32>(control->items.size());
}

i32 ToolWindow::FindStringExact(ControlHandle combo, i32 start, const std::string& text) const {
    const Control* control = Combo(combo);
    if (control == nullptr) {
        return kError;
    }
    const i32 count = static_cast<i32>(control->items.size());
    if (count == 0) {
        return kError;
    }
    const i32 first = (start < 0 || start >= count) ? 0 : start + 1;
    for (i32 step = 0; step < count; ++step) {
        const i32 index = (first + step) % count;
        if (EqualNoCase(control->items[static_cast<std::size_t>(index)], text)) {
            return index;
        }
    }
    return kError;
}

i32 ToolWindow::GetCount(ControlHandle combo) const {
    const Control* control = Combo(combo);
    return control != nullptr ? static_cast<i32>(control->items.size()) : kError;
}

void ToolWindow::Post(i32 id, u32 notification) {
    m_commands.push_back({id, notification});
}

std::vector<Command> ToolWindow::TakeCommands() {
    std::vector<Command> taken;
    taken.swap(m_commands);
    return taken;
}

void ToolWindow::Drain(const std::function<void(u32)>& handler) {
    for (const Command& command : TakeCommands()) {
        handler(CommandParam(command.id, command.notification));
    }
}

} // namespace gui
