#include "player/player_process.h"

#include "player/player_component.h"

Component* PlayerProcess::CreateComponent(StreamMap* parameters) {
    return CreateFromStream<PlayerComponent, PlayerChildComponent>(
        parameters, ComponentType::Player, ComponentType::PlayerChild);
}
