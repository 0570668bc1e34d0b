#pragma once
// What a robot part needs to know of a building it hits: whether it still stands anchored or
// has broken loose. The buildings live in a subsystem above the robot and implement this.
class StruckBuilding {
  public:
    virtual ~StruckBuilding() = default;
    virtual bool Loose() const = 0;
};
