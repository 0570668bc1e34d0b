#pragma once
// What the robot needs of a projectile it launches (its own arm): the mark that it was fired.
// The projectile component lives in a layer above the robot.
class Projectile {
  public:
    virtual ~Projectile() = default;
    virtual void SetFired() = 0;
};
