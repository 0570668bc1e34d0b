#include "city/game_logic_process.h"

#include "city/game_logic_component.h"

Component* GameLogicProcess::CreateComponent(StreamMap* parameters) {
    return CreateFromStream<GameLogicComponent>(parameters, ComponentType::GameLogic);
}
