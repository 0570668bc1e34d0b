#pragma once
// The components a ComponentProcess has created. The list owns them: a component leaves
// it, deleted, when its object hands it back through RemoveComponent, and whatever is left
// is deleted with the list.
#include <cstddef>
#include <utility>
#include <vector>

#include "core/component.h"
#include "core/types.h"

class ComponentProcess;

class ComponentList {
  public:
    ComponentList() = default;
    ~ComponentList();
    ComponentList(const ComponentList&) = delete;
    ComponentList& operator=(const ComponentList&) = delete;

    // Allocates a component (pooled when T is), marks the process as its owner and keeps it.
    template <class T, class... Args> T* Create(ComponentProcess* owner, Args&&... args) {
        T* component = new T(std::forward<Args>(args)...);
        component->process = owner;
        m_components.push_back(component);
        return component;
    }

    // Keeps a component made elsewhere (by a factory the process was handed) as if Create had
    // made it.
    void Adopt(ComponentProcess* owner, Component* component) {
        component->process = owner;
        m_components.push_back(component);
    }

    // Takes the component out of the list and deletes it; false (nothing deleted) when the
    // list does not hold it.
    bool Remove(Component* component);
    // Takes the component out of the list without deleting it, for a process that has
    // handed its ownership elsewhere; false when the list does not hold it.
    bool Release(Component* component);

    // Components removed by an update are skipped; those added by one are updated too.
    void Update(float dt);

    // Position in creation order (later removals close the gaps), or -1.
    i32 IndexOf(const Component* component) const;
    Component* At(std::size_t index) const { return m_components[index]; }
    std::size_t Size() const { return m_components.size(); }
    bool Empty() const { return m_components.empty(); }

  private:
    std::vector<Component*> m_components;
    // Position of the next component to update while Update walks the list, else 0.
    std::ptrdiff_t m_next = 0;
};
