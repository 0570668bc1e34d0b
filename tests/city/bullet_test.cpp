#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "PhysX/physics_params.h"
#include "PhysX/physx_component.h"
#include "city/bullet_component.h"
#include "city/bullet_process.h"
#include "content/particle_system_info.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "core/message_router.h"
#include "core/message_types.h"
#include "game/collision.h"
#include "game/radial_force.h"
#include "support/component_fixture.h"

namespace {

using component_fixture::MessageRecorder;

// Projectiles in a headless level: the process under handler 13 and recorders for the
// graphics, sound, level state and physics.
class Projectiles : public ::testing::Test {
  protected:
    Projectiles() {
        for (const u32 handler : {HANDLER_GRAPHICS_PROCESS, HANDLER_SOUND_PROCESS,
                                  HANDLER_LEVEL_STATE, HANDLER_PHYSX_PROCESS}) {
            recorders[handler] = std::make_unique<MessageRecorder>();
            root.RegisterHandler(handler, recorders[handler].get());
        }
        process.Bind(&root, BulletProcess::kHandlerId);
    }

    ~Projectiles() override {
        for (auto& [object, body] : bodies) {
            object->RemoveComponent(body.get(), false);
        }
    }

    GameObject* Make(const std::string& type, bool bullet = true) {
        objects.push_back(std::make_unique<GameObject>(type));
        GameObject* object = objects.back().get();
        object->id = nextId++;
        object->SetRouterParent(&root);
        bodies[object] = std::make_unique<PhysXComponent>(type, PhysicsParams{}, nullptr);
        object->AddComponent(ComponentType::Physics, bodies[object].get());
        if (bullet) {
            StreamMap stream = component_fixture::ComponentStream(type, "Bullet");
            object->AddComponent(ComponentType::Bullet, process.CreateComponent(&stream));
        }
        return object;
    }

    static BulletComponent* Bullet(GameObject* object) {
        return static_cast<BulletComponent*>(object->GetComponent(ComponentType::Bullet));
    }

    void Touch(GameObject* bullet, GameObject* other) {
        Message<Collision> contact(MSG_PHYSICS_COLLISION,
                                   Collision(bullet->position, Vector(0.0f, 1.0f, 0.0f),
                                             bodies[bullet].get(), bodies[other].get(),
                                             Collision::kFirstDynamic, 2));
        Bullet(bullet)->HandleMessage(&contact, other->id);
    }

    std::vector<const BaseMessage*> Received(u32 handler, u32 type) {
        std::vector<const BaseMessage*> found;
        for (const auto& r : recorders[handler]->received) {
            if (r.message->type == type) {
                found.push_back(r.message.get());
            }
        }
        return found;
    }

    std::vector<GameObject*> Deleted() {
        std::vector<GameObject*> found;
        for (const BaseMessage* m : Received(HANDLER_LEVEL_STATE, MSG_LEVEL_DELETE_OBJECT)) {
            found.push_back(m->ValueOr<GameObject*>(nullptr));
        }
        return found;
    }

    std::vector<RadialForce> Forces() {
        std::vector<RadialForce> found;
        for (const BaseMessage* m : Received(HANDLER_PHYSX_PROCESS, MSG_PHYSICS_RADIAL_FORCE)) {
            found.push_back(*m->Payload<RadialForce>());
        }
        return found;
    }

    MessageRouter root;
    std::map<u32, std::unique_ptr<MessageRecorder>> recorders;
    BulletProcess process;
    std::map<GameObject*, std::unique_ptr<PhysXComponent>> bodies;
    std::vector<std::unique_ptr<GameObject>> objects;
    u32 nextId = kFirstObjectId;
};

struct ProjectileCase {
    const char* name;
    const char* type;
    bool held;
    float speed;
    float age;
    const char* touches;
    bool retired;
    int pushes;
};

TEST_F(Projectiles, ContactsSlownessAndHoldingDecideWhatIsRetired) {
    const ProjectileCase cases[] = {
        {"pulse grazing a saucer", "LaserPulse", false, 300.0f, 0.0f, "AI-UFO", false, 0},
        {"pulse grazing a mothership", "LaserPulse", false, 300.0f, 0.0f, "MothershipPart", false,
         0},
        {"pulse hitting a building", "LaserPulse", false, 300.0f, 0.0f, "Building01", true, 0},
        {"slow pulse after 0.6 s", "LaserPulse", false, 50.0f, 0.7f, nullptr, true, 0},
        {"slow pulse before 0.6 s", "LaserPulse", false, 50.0f, 0.3f, nullptr, false, 0},
        {"thrown head touching", "FakeRobotHead", false, 100.0f, 0.0f, "Building01", false, 0},
        {"flying arm touching", "FakeRobotRightArm", false, 400.0f, 0.0f, "Building01", true, 1},
        {"held rocket touching", "Rocket", true, 0.0f, 0.0f, "Building01", false, 0},
        {"rocket touching", "Rocket", false, 100.0f, 0.0f, "Building01", true, 0},
    };
    for (const ProjectileCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (auto& [handler, recorder] : recorders) {
            recorder->received.clear();
        }
        GameObject* bullet = Make(c.type);
        bullet->velocity = Vector(c.speed, 0.0f, 0.0f);
        Bullet(bullet)->m_held = c.held ? 1 : 0;
        Bullet(bullet)->m_age = c.age;
        if (c.touches != nullptr) {
            Touch(bullet, Make(c.touches, false));
        }
        EXPECT_EQ(static_cast<int>(Forces().size()), c.pushes);
        process.Update(0.01f);
        const auto deleted = Deleted();
        EXPECT_EQ(deleted.size(), c.retired ? 1u : 0u);
        if (c.retired) {
            EXPECT_EQ(deleted.front(), bullet);
            const auto effects = Received(HANDLER_GRAPHICS_PROCESS, MSG_CREATE_PARTICLE_SYSTEM);
            ASSERT_EQ(effects.size(), 1u);
            EXPECT_EQ(effects.front()->Payload<ParticleSystemInfo>()->name, "MissileExplosion");
            EXPECT_EQ(Received(HANDLER_SOUND_PROCESS, MSG_GET_SOUND_INSTANCE).size(), 1u);
            // The level deletes it, which hands the component back.
            bullet->RemoveComponent(Bullet(bullet), true);
        }
    }
}

TEST_F(Projectiles, AThrownHeadPushesUntilItFirstTouchesAndIsRetiredOnlyByAge) {
    GameObject* head = Make("FakeRobotHead");
    process.Update(0.01f);
    const auto forces = Forces();
    ASSERT_EQ(forces.size(), 1u);
    EXPECT_FLOAT_EQ(forces[0].m_radius, 10.0f);
    EXPECT_FLOAT_EQ(forces[0].m_force, 25.0f);
    Touch(head, Make("Building01", false));
    recorders[HANDLER_PHYSX_PROCESS]->received.clear();
    process.Update(0.01f);
    EXPECT_TRUE(Forces().empty());
    EXPECT_TRUE(Deleted().empty());
    Bullet(head)->m_age = 6.5f;
    process.Update(0.01f);
    EXPECT_EQ(Deleted(), std::vector<GameObject*>{head});
}

TEST_F(Projectiles, TheFirstFrameLoadsTheExplosionSoundOnce) {
    process.Update(0.01f);
    process.Update(0.01f);
    const auto loads = Received(HANDLER_SOUND_PROCESS, MSG_LOAD_SOUND);
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(loads.front()->ValueOr<std::string>(""), BulletProcess::kExplosionSound);
}

// Answers of the validity question land here.
class Asker : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* msg, u32) override {
        if (msg->type == MSG_BULLET_VALID) {
            answers.push_back(msg->ValueOr<bool>(false));
        }
    }
    std::vector<bool> answers;
};

TEST_F(Projectiles, TheProcessTellsWhetherAnObjectStillFlies) {
    Asker asker;
    constexpr u32 kAskerId = 40;
    asker.Bind(&root, kAskerId);
    GameObject* arm = Make("FakeRobotRightArm");
    Message<GameObject*> ask(MSG_BULLET_VALID, arm);
    root.SendMessage(&ask, BulletProcess::kHandlerId, kAskerId);
    arm->RemoveComponent(Bullet(arm), true);
    root.SendMessage(&ask, BulletProcess::kHandlerId, kAskerId);
    EXPECT_EQ(asker.answers, (std::vector<bool>{true, false}));
    root.RemoveHandler(&asker);
}

} // namespace
