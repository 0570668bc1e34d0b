#pragma once
// Anything that is updated with the elapsed time.

class Entity {
  public:
    virtual ~Entity() = default;
    virtual void Update(float dt) = 0;
};
