#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "core/message.h"
#include "game/collision.h"
#include "game/component_index.h"
#include "game/laser_beam_info.h"
#include "game/physics_info.h"
#include "game/player_info.h"
#include "game/radial_force.h"
#include "game/remove_count.h"
#include "game/spawn_struct.h"

namespace {

// A queued message is a Clone: its payload must be an independent, equal copy, and every
// embedded Vector must point at its own floats when the maths types carry such pointers.
template <class T> std::unique_ptr<Message<T>> QueuedCopy(const T& value) {
    Message<T> sent(MSG_NULL, value);
    return std::unique_ptr<Message<T>>(static_cast<Message<T>*>(sent.Clone()));
}

template <class V> void ExpectVector(const V& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
    if constexpr (requires { v.px; }) {
        EXPECT_EQ(v.px, &v.x);
        EXPECT_EQ(v.py, &v.y);
        EXPECT_EQ(v.pz, &v.z);
    }
}

TEST(PayloadRecords, CollisionAndRadialForceCopyWithTheirVectors) {
    int a = 0, b = 0;
    Collision collision(Vector(4.0f, 5.0f, 6.0f), Vector(0.0f, 1.0f, 0.0f),
                        reinterpret_cast<PhysXComponent*>(&a),
                        reinterpret_cast<PhysXComponent*>(&b), 2, 0x6);
    EXPECT_FLOAT_EQ(collision.m_value, 0.0f);
    collision.m_value = 1.5f;
    const auto queued = QueuedCopy(collision);
    collision.m_point = Vector(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(queued->value.m_first, reinterpret_cast<PhysXComponent*>(&a));
    EXPECT_EQ(queued->value.m_second, reinterpret_cast<PhysXComponent*>(&b));
    EXPECT_EQ(queued->value.m_kind, 2u);
    EXPECT_EQ(queued->value.m_events, 0x6u);
    ExpectVector(queued->value.m_normal, 0.0f, 1.0f, 0.0f);
    ExpectVector(queued->value.m_point, 4.0f, 5.0f, 6.0f);
    EXPECT_FLOAT_EQ(queued->value.m_value, 1.5f);

    // Arguments in field order: ..., duration, excluded id, only id, mode.
    const RadialForce force(Vector(1.0f, 2.0f, 3.0f), 10.0f, 500.0f, 0.25f, 1000, 0, 1);
    const auto queuedForce = QueuedCopy(force);
    ExpectVector(queuedForce->value.m_center, 1.0f, 2.0f, 3.0f);
    EXPECT_FLOAT_EQ(queuedForce->value.m_radius, 10.0f);
    EXPECT_FLOAT_EQ(queuedForce->value.m_force, 500.0f);
    EXPECT_FLOAT_EQ(queuedForce->value.m_duration, 0.25f);
    EXPECT_EQ(queuedForce->value.m_mode, 1u);
    EXPECT_EQ(queuedForce->value.m_exclude_id, 1000u);
    EXPECT_EQ(queuedForce->value.m_only_id, 0u);
}

TEST(PayloadRecords, PlayerCameraAndLaserBeamCopyWithTheirVectors) {
    PlayerInfo camera;
    camera.m_target = Vector(50.0f, -34.0f, 30.0f);
    camera.m_eye = Vector(-12.0f, -22.0f, -72.0f);
    camera.m_controls.m_movement = Vector(1.0f, 0.0f, 0.0f);
    camera.m_controls.m_controls[CONTROL_PUNCH] = 1;
    camera.m_controls.m_mouse_x = 7.0f;
    const auto queued = QueuedCopy(camera);
    ExpectVector(queued->value.m_target, 50.0f, -34.0f, 30.0f);
    ExpectVector(queued->value.m_eye, -12.0f, -22.0f, -72.0f);
    ExpectVector(queued->value.m_controls.m_movement, 1.0f, 0.0f, 0.0f);
    EXPECT_EQ(queued->value.m_controls.m_controls[CONTROL_PUNCH], 1);
    EXPECT_FLOAT_EQ(queued->value.m_controls.m_mouse_x, 7.0f);
    // Assignment copies values over an existing record.
    PlayerInfo assigned;
    assigned = queued->value;
    ExpectVector(assigned.m_eye, -12.0f, -22.0f, -72.0f);
    EXPECT_EQ(assigned.m_controls.m_controls[CONTROL_PUNCH], 1);

    LaserBeamInfo beam;
    int component = 0;
    beam.m_start = Vector(1.0f, 0.0f, 0.0f);
    beam.m_end = Vector(0.0f, 0.0f, 9.0f);
    beam.m_beam = reinterpret_cast<Component*>(&component);
    beam.m_elapsed = 0.5f;
    beam.m_duration = 1.0f;
    beam.m_emission_time = 0.02f;
    beam.m_width = 3.0f;
    const auto queuedBeam = QueuedCopy(beam);
    ExpectVector(queuedBeam->value.m_start, 1.0f, 0.0f, 0.0f);
    ExpectVector(queuedBeam->value.m_end, 0.0f, 0.0f, 9.0f);
    EXPECT_EQ(queuedBeam->value.m_beam, beam.m_beam);
    EXPECT_FLOAT_EQ(queuedBeam->value.m_elapsed, 0.5f);
    EXPECT_FLOAT_EQ(queuedBeam->value.m_duration, 1.0f);
    EXPECT_FLOAT_EQ(queuedBeam->value.m_emission_time, 0.02f);
    EXPECT_FLOAT_EQ(queuedBeam->value.m_width, 3.0f);
}

TEST(PayloadRecords, RecordsWithStringsAndContainersAreDeepCopied) {
    SpawnStruct spawn{4, 4, 1, SpawnStruct::kRadius, "AI-Ground-Tank"};
    const auto queuedSpawn = QueuedCopy(spawn);
    spawn.m_type_name = "changed";
    EXPECT_EQ(queuedSpawn->value.m_type_name, "AI-Ground-Tank");
    EXPECT_EQ(queuedSpawn->value.m_count, 4);
    EXPECT_EQ(queuedSpawn->value.m_spawn_count, 4);
    EXPECT_EQ(queuedSpawn->value.m_zone, 1);
    EXPECT_FLOAT_EQ(queuedSpawn->value.m_radius, 710.0f);

    RemoveCount remove{"AI-Fly-Helicopter", 2};
    const auto queuedRemove = QueuedCopy(remove);
    remove.m_type_name.clear();
    EXPECT_EQ(queuedRemove->value.m_type_name, "AI-Fly-Helicopter");
    EXPECT_EQ(queuedRemove->value.m_count, 2);

    const auto queuedIndex = QueuedCopy(
        std::pair<std::string, ComponentIndex>("Tank", ComponentIndex{ComponentType::Physics, 1}));
    EXPECT_EQ(queuedIndex->value.first, "Tank");
    EXPECT_EQ(queuedIndex->value.second.m_type, ComponentType::Physics);
    EXPECT_EQ(queuedIndex->value.second.m_index, 1u);

    PhysicsInfo shape;
    shape.m_dimensions[1] = 2.0f;
    shape.m_rotation[4] = -1.0f;
    shape.m_translation[2] = 3.0f;
    shape.m_name = "Sphere";
    shape.m_mass = 4.0f;
    const PhysicsInfo copy = shape;
    shape.m_name = "Box";
    EXPECT_FLOAT_EQ(copy.m_dimensions[1], 2.0f);
    EXPECT_FLOAT_EQ(copy.m_rotation[4], -1.0f);
    EXPECT_FLOAT_EQ(copy.m_rotation[0], 1.0f);
    EXPECT_FLOAT_EQ(copy.m_translation[2], 3.0f);
    EXPECT_EQ(copy.m_name, "Sphere");
    EXPECT_FLOAT_EQ(copy.m_mass, 4.0f);
}

} // namespace
