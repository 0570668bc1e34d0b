#pragma once
// What the contact report sends to both objects of a contact (MSG_PHYSICS_COLLISION).
#include "core/types.h"
#include "core/vector.h"

class PhysXComponent;

struct Collision {
    PhysXComponent* m_first = nullptr;
    PhysXComponent* m_second = nullptr;
    // The contact report's code for the kind of contact.
    u32 m_kind = 0;
    // The bits of the contact events that fired.
    u32 m_events = 0;
    Vector m_normal;
    // The average of the contact points.
    Vector m_point;
};
