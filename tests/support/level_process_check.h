#pragma once
// The check every level process passes: its fixed handler id, exactly its component types
// made from definition streams, and its components handed back. Each subsystem's tests run
// it over their own processes.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/component_list_process.h"
#include "core/component_type.h"
#include "core/definition_component.h"
#include "core/stream_map.h"
#include "support/component_fixture.h"

namespace level_process_check {

template <class T> bool Is(Component* c) {
    return dynamic_cast<T*>(c) != nullptr;
}

struct ProcessCase {
    std::string name;
    std::function<std::unique_ptr<ComponentListProcess>()> make;
    u32 handlerId;
    u32 expectedId;
    // The component types the process creates and a check of the class it makes for each.
    std::map<u32, std::function<bool(Component*)>> creates;
    // The object type a component type must be defined under to be made (the robot's rig
    // is made for the robot's own types only); any other type is tried as "Some-Object".
    std::map<u32, std::string> objectTypes = {};
};

inline void ExpectLevelProcess(const ProcessCase& c) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.handlerId, c.expectedId);
    std::unique_ptr<ComponentListProcess> process = c.make();
    std::vector<Component*> made;
    for (u32 type = 0; type < ComponentType::kCount; ++type) {
        SCOPED_TRACE(ComponentType::Name(type));
        const auto named = c.objectTypes.find(type);
        const std::string objectType = named != c.objectTypes.end() ? named->second : "Some-Object";
        StreamMap stream =
            component_fixture::ComponentStream(objectType, ComponentType::Name(type));
        Component* component = process->CreateComponent(&stream);
        const auto expected = c.creates.find(type);
        if (expected == c.creates.end()) {
            EXPECT_EQ(component, nullptr);
            continue;
        }
        ASSERT_NE(component, nullptr);
        EXPECT_TRUE(expected->second(component));
        EXPECT_EQ(component->process, process.get());
        EXPECT_EQ(static_cast<DefinitionComponent*>(component)->m_object_type, objectType);
        made.push_back(component);
    }
    EXPECT_EQ(process->Components().Size(), c.creates.size());

    // Streams without the two leading names make nothing.
    StreamMap bare;
    bare.AddFloat("Value", 1.0f);
    EXPECT_EQ(process->CreateComponent(&bare), nullptr);
    EXPECT_EQ(process->CreateComponent(nullptr), nullptr);

    for (Component* component : made) {
        process->RemoveComponent(component);
    }
    EXPECT_TRUE(process->Components().Empty());
    // A component the process never made is left alone.
    DefinitionComponent stranger("Stranger");
    process->RemoveComponent(&stranger);
}

} // namespace level_process_check
