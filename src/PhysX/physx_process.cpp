#include "PhysX/physx_process.h"

#include "PhysX/physx_component.h"

Component* PhysXProcess::CreateComponent(StreamMap* parameters) {
    return CreateFromStream<PhysXComponent>(parameters, ComponentType::Physics);
}
