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
    const auto found = std::find(m_components.begin(), m_components.end(), component);
    if (found == m_components.end()) {
        return false;
    }
    m_components.erase(found);
    delete component;
    return true;
}

void ComponentList::Update(float dt) {
    for (std::size_t i = 0; i < m_components.size(); ++i) {
        Component* const component = m_components[i];
        component->Update(dt);
        // A removal at or before this one shifted the rest down by one.
        if (i < m_components.size() && m_components[i] != component) {
            const auto at = std::find(m_components.begin(), m_components.end(), component);
            i = at == m_components.end() ? i - 1
                                         : static_cast<std::size_t>(at - m_components.begin());
        }
    }
}

i32 ComponentList::IndexOf(const Component* component) const {
    const auto found = std::find(m_components.begin(), m_components.end(), component);
    return found == m_components.end() ? -1 : static_cast<i32>(found - m_components.begin());
}
