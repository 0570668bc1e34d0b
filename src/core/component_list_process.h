#pragma once
// A ComponentProcess whose components live in one ComponentList: it updates them once a
// frame and deletes each when its object hands it back.
#include "core/component_header.h"
#include "core/component_list.h"
#include "core/process.h"

class ComponentListProcess : public ComponentProcess {
  public:
    void Update(float dt) override { m_components.Update(dt); }
    void RemoveComponent(Component* component) override { m_components.Remove(component); }
    const ComponentList& Components() const { return m_components; }

  protected:
    // Reads the stream's header and creates the class paired with its component type:
    // CreateFromStream<AIViewComponent, SpawnPointComponent>(stream, ComponentType::AIView,
    // ComponentType::SpawnPoint). Null for a type not listed or a stream without a header.
    template <class... Classes, class... Types>
    Component* CreateFromStream(StreamMap* parameters, Types... types) {
        static_assert(sizeof...(Classes) == sizeof...(Types), "one component type per class");
        ComponentHeader header;
        if (!header.Read(parameters)) {
            return nullptr;
        }
        const ComponentType type = header.Type();
        Component* made = nullptr;
        ((made == nullptr && type == ComponentType(types)
              ? made = m_components.Create<Classes>(this, header.m_object_type)
              : made),
         ...);
        return made;
    }

    ComponentList m_components;
};
