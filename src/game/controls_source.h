#pragma once
// What the robot needs of the input process: this frame's bound controls, and a way to
// forget the keys held when it enters the level. InputControls is the one source in the game.
#include "game/bound_controls.h"

class ControlsSource {
  public:
    virtual ~ControlsSource() = default;
    virtual const BoundControls& GetBoundControls() const = 0;
    // Clears the bound actions, the movement and the view.
    virtual void ResetState() = 0;
};
