#include "city/trigger_process.h"

#include "city/trigger_component.h"

Component* TriggerProcess::CreateComponent(StreamMap* parameters) {
    return CreateFromStream<TriggerComponent>(parameters, ComponentType::Trigger);
}
