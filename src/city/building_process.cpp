#include "city/building_process.h"

#include "city/building_component.h"

Component* BuildingProcess::CreateComponent(StreamMap* parameters) {
    return CreateFromStream<BuildingComponent>(parameters, ComponentType::Building);
}
