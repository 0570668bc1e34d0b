#pragma once
// The joints of one animated object, in the order they were added, each named by its index
// in the AnimationProcess's component list.
#include <vector>

#include "core/types.h"

class Skeleton {
  public:
    void AddJoint(u32 index) { m_joints.push_back(index); }

    std::vector<u32> m_joints;
};
