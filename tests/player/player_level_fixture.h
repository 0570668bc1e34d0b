#pragma once
// A headless level around the robot: a router, the player process under handler 11, the
// robot's base with its "Player" component, an animation controller and six body parts with
// "PlayerChild" components and bodies of their own, and recorders under the handler ids of
// every level process and service the robot talks to.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "PhysX/physics_params.h"
#include "PhysX/physx_component.h"
#include "animation/animation.h"
#include "animation/animation_controller.h"
#include "animation/skeleton.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "core/message_router.h"
#include "core/message_types.h"
#include "game/collision.h"
#include "game/controls_source.h"
#include "graphics/game_camera.h"
#include "player/player_component.h"
#include "player/player_process.h"
#include "support/component_fixture.h"

namespace player_level {

class Controls : public ControlsSource {
  public:
    const BoundControls& GetBoundControls() const override { return bound; }
    void ResetState() override { ++resets; }

    BoundControls bound;
    int resets = 0;
};

// The arms' punch clips.
inline constexpr const char* kPunchClips[] = {"Right Punch Charge", "Right Punch Release",
                                              "Right Punch Rest",   "Left Punch Charge",
                                              "Left Punch Release", "Left Punch Rest"};

// A clip of the given length whose joints stand still.
inline boost::shared_ptr<Animation> StillClip(const std::string& name, float length) {
    boost::shared_ptr<Animation> clip(new Animation(name));
    for (const float time : {0.0f, length}) {
        Skeleton pose(true);
        for (int i = 0; i < Skeleton::kSlotCount; ++i) {
            pose.AddJoint(new AnimationJoint(Quaternion{}, Vector(0.0f, 0.0f, 0.0f), 1.0f));
        }
        clip->AddKeyFrame(time, pose);
    }
    return clip;
}

struct LevelKind {
    bool endless = false;
    bool tutorial = false;
};

class Level : public ::testing::Test {
  protected:
    static constexpr const char* kParts[PlayerComponent::kPartCount] = {
        "RobotBody", "RobotHead", "RobotRightArm", "RobotLeftArm", "RobotLeg", "RobotLeg"};

    explicit Level(LevelKind kind = {}) {
        for (const u32 handler :
             {HANDLER_GRAPHICS_PROCESS, HANDLER_SOUND_PROCESS, HANDLER_LEVEL_STATE,
              HANDLER_PHYSX_PROCESS, HANDLER_UI_PROCESS, HANDLER_AI_VIEW_PROCESS,
              HANDLER_BULLET_PROCESS, HANDLER_BUILDING_PROCESS, HANDLER_TRIGGER_PROCESS,
              HANDLER_GAME_LOGIC_PROCESS}) {
            auto recorder = std::make_unique<component_fixture::MessageRecorder>();
            root.RegisterHandler(handler, recorder.get());
            recorders[handler] = std::move(recorder);
        }
        process = std::make_unique<PlayerProcess>(&controls, kind.endless, kind.tutorial);
        process->Bind(&root, PlayerProcess::kHandlerId);
        BuildRobot();
        controls.bound.m_play = 1;
    }

    ~Level() override {
        // The bodies and the controller have no process here: they leave their objects
        // before the objects hand the robot's own components back to the player process.
        for (auto& [object, list] : ownComponents) {
            for (Component* c : list) {
                object->RemoveComponent(c, false);
            }
        }
        robot->RemoveComponent(animation, false);
        delete animation;
        for (Component* c : bodies) {
            delete c;
        }
        others.clear();
        parts.clear();
        robotObject.reset();
        process.reset();
    }

    std::unique_ptr<GameObject> NewObject(const std::string& type) {
        auto object = std::make_unique<GameObject>(type);
        object->id = nextId++;
        object->SetRouterParent(&root);
        return object;
    }

    PhysXComponent* AddBody(GameObject* object) {
        auto* body = new PhysXComponent(object->name, PhysicsParams{}, nullptr);
        object->AddComponent(ComponentType::Physics, body);
        bodies.push_back(body);
        ownComponents[object].push_back(body);
        return body;
    }

    void BuildRobot() {
        robotObject = NewObject("RobotBase");
        robot = robotObject.get();
        StreamMap stream = component_fixture::ComponentStream("RobotBase", "Player");
        player = static_cast<PlayerComponent*>(process->CreateComponent(&stream));
        robot->AddComponent(ComponentType::Player, player);
        animation = new AnimationController("RobotBase");
        animation->m_animations["Idle"] = StillClip("Idle", 1.0f);
        animation->m_animations["Die"] = StillClip("Die", 1.0f);
        // Clips tell they are finished once the controller poses a skeleton.
        animation->m_skeleton = &skeleton;
        robot->AddComponent(ComponentType::AnimationController, animation);
        AddBody(robot);
        for (const char* name : kParts) {
            auto part = NewObject(name);
            StreamMap childStream = component_fixture::ComponentStream(name, "PlayerChild");
            Component* child = process->CreateComponent(&childStream);
            part->AddComponent(ComponentType::PlayerChild, child);
            AddBody(part.get());
            part->parentObject = robot;
            robot->childObjects.push_back(part.get());
            parts.push_back(std::move(part));
        }
        player->Initialize();
    }

    // An object of another kind touching the robot, with a body for the contact.
    GameObject* Other(const std::string& type) {
        others.push_back(NewObject(type));
        AddBody(others.back().get());
        return others.back().get();
    }

    static PhysXComponent* Body(const GameObject* object) {
        return dynamic_cast<PhysXComponent*>(object->GetComponent(ComponentType::Physics));
    }

    // Reports a contact between the two objects to the first one, as the physics does.
    void Touch(GameObject* at, GameObject* other, const Vector& point,
               u32 kind = Collision::kFirstDynamic) {
        Message<Collision> report(MSG_PHYSICS_COLLISION, Collision(point, Vector(0.0f, 1.0f, 0.0f),
                                                                   Body(at), Body(other), kind, 2));
        root.SendMessage(&report, at->id, HANDLER_PHYSX_PROCESS);
    }

    void Send(u32 type) {
        BaseMessage msg(type);
        root.SendMessage(&msg, PlayerProcess::kHandlerId, HANDLER_GAME);
    }

    void Frames(int count, float dt = 0.1f) {
        for (int i = 0; i < count; ++i) {
            // The animation process runs before the player process, as in a level.
            root.Update(dt);
            animation->Update(dt);
            process->Update(dt);
        }
    }

    component_fixture::MessageRecorder& At(u32 handler) { return *recorders[handler]; }

    // The messages of a type that reached a handler.
    std::vector<const BaseMessage*> Received(u32 handler, u32 type) {
        std::vector<const BaseMessage*> found;
        for (const auto& r : recorders[handler]->received) {
            if (r.message->type == type) {
                found.push_back(r.message.get());
            }
        }
        return found;
    }

    void ClearRecords() {
        for (auto& [handler, recorder] : recorders) {
            recorder->received.clear();
        }
    }

    MessageRouter root;
    Controls controls;
    std::map<u32, std::unique_ptr<component_fixture::MessageRecorder>> recorders;
    std::unique_ptr<PlayerProcess> process;
    std::unique_ptr<GameObject> robotObject;
    GameObject* robot = nullptr;
    PlayerComponent* player = nullptr;
    AnimationController* animation = nullptr;
    Skeleton skeleton{false};
    std::vector<std::unique_ptr<GameObject>> parts;
    std::vector<std::unique_ptr<GameObject>> others;
    std::vector<Component*> bodies;
    std::map<GameObject*, std::vector<Component*>> ownComponents;
    u32 nextId = kFirstObjectId;
};

} // namespace player_level
