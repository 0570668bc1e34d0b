#pragma once
// What the contact and trigger reports send to the objects of a contact
// (MSG_PHYSICS_COLLISION). Both objects of one contact get the same record; a receiver
// tells its side by comparing the owners of first and second with its own object.
#include "core/types.h"
#include "core/vector.h"

class PhysXComponent;

struct Collision {
    // Contact classes.
    static constexpr u32 kNone = 0;         // end of touch, trigger reports
    static constexpr u32 kBothDynamic = 5;  // both bodies move
    static constexpr u32 kFirstDynamic = 7; // first moves, second does not
    static constexpr u32 kFirstStatic = 8;  // first does not move

    Collision() = default;
    Collision(const Vector& point, const Vector& normal, PhysXComponent* first,
              PhysXComponent* second, u32 kind, u32 events)
        : m_first(first), m_second(second), m_kind(kind), m_events(events), m_normal(normal),
          m_point(point) {}

    // The component the report is about (the trigger's for a trigger report), and the
    // other one.
    PhysXComponent* m_first = nullptr;
    PhysXComponent* m_second = nullptr;
    // One of the contact classes above.
    u32 m_kind = kNone;
    // Contact reports: the contact event bits (2 start, 4 end, 8 touching); trigger
    // reports: the trigger bits (1 enter, 2 leave, 4 stay).
    u32 m_events = 0;
    // The last contact patch's normal; zero for triggers.
    Vector m_normal;
    // The mean of the contact points; zero for triggers.
    Vector m_point;
    // Always 0 in the reports the physics builds; carried with the rest.
    f32 m_value = 0.0f;
};
