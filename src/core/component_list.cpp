#include "core/component_list.h"

#include <algorithm>

ComponentList::~ComponentList() {
    // The list is emptied first so a component's destructor never finds itself in it.
    std::vector<Component*> left;
    left.swap(m_components);
    for (Component* component : left) {
        delete component;
    }
}

bool ComponentList::Remove(Component* component) {
    if (!Release(component)) {
        return false;
    }
    delete component;
    return true;
}

bool ComponentList::Release(Component* component) {
    const auto found = std::find(m_components.begin(), m_components.end(), component);
    if (found == m_components.end()) {
        return false;
    }
    // A removal at or before the component being updated shifts the rest down by one.
    if (found - m_components.begin() < m_next) {
        --m_next;
    }
    m_components.erase(found);
    return true;
}

void ComponentList::Update(float dt) {
    for (m_next = 0; m_next < static_cast<std::ptrdiff_t>(m_components.size());) {
        m_components[static_cast<std::size_t>(m_next++)]->Update(dt);
    }
    m_next = 0;
}

i32 ComponentList::IndexOf(const Component* component) const {
    const auto found = std::find(m_components.begin(), m_components.end(), component);
    return found == m_components.end() ? -1 : static_cast<i32>(found - m_components.begin());
}
