#pragma once
// The headless robot of robot_moves with the clips of its hand and laser, twelve meter
// segments after its six parts, and stand-ins that answer at once for the level state (it
// makes objects on request), the AI process and the building process (the test says what
// lies in reach and what they still know) and the renderer (it hands out particle systems).
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "content/particle_system_info.h"
#include "core/bounds.h"
#include "graphics/graphic_component.h"
#include "graphics/particle_system_cpu.h"
#include "robot_moves_fixture.h"

namespace hand {

class Hand : public robot_moves::RobotMoves {
  protected:
    static constexpr u32 kSegments = 12;

    Hand() {
        for (const char* name : {"Grab", "Hold", "Throw", "Laser"}) {
            animation->m_animations[name] = player_level::StillClip(name, 0.5f);
        }
        for (u32 i = 0; i < kSegments; ++i) {
            auto segment = NewObject("RobotHealth");
            auto* graphic =
                new GraphicComponent("RobotHealth", nullptr, nullptr, "", 0, 0.0f, 1.0f, 0, 0, "");
            segment->AddComponent(ComponentType::Graphic, graphic);
            bodies.push_back(graphic);
            ownComponents[segment.get()].push_back(graphic);
            segment->parentObject = robot;
            robot->childObjects.push_back(segment.get());
            parts.push_back(std::move(segment));
        }
        levelState.answer = [this](BaseMessage* msg, u32) {
            if (msg->type == MSG_LEVEL_CREATE_OBJECT) {
                const std::string type = msg->ValueOr<std::string>("");
                created.push_back(type);
                GameObject* made = nullptr;
                if (type != "FakeRobotHead" || makeHead) {
                    made = Make(type, type == "FakeRobotHead" && headHasBody);
                }
                Message<GameObject*> reply(MSG_LEVEL_OBJECT_CREATED, made);
                player->HandleMessage(&reply, HANDLER_LEVEL_STATE);
            } else if (msg->type == MSG_LEVEL_DELETE_OBJECT) {
                deleted.push_back(msg->ValueOr<GameObject*>(nullptr));
            }
        };
        ai.answer = [this](BaseMessage* msg, u32) {
            switch (msg->type) {
            case MSG_AI_OBJECT_TO_GRAB:
                Reply(MSG_AI_OBJECT, unitInReach);
                break;
            case MSG_AI_OBJECT_TO_THROW_TO:
                Reply(MSG_AI_OBJECT, throwCandidate);
                break;
            case MSG_AI_OBJECT_TO_LASER:
                Reply(MSG_AI_OBJECT, laserUnit);
                break;
            case MSG_AI_OBJECT_VALID: {
                Message<bool> reply(MSG_AI_OBJECT_VALID,
                                    units.count(msg->ValueOr<GameObject*>(nullptr)) != 0);
                player->HandleMessage(&reply, HANDLER_AI_VIEW_PROCESS);
                break;
            }
            default:
                break;
            }
        };
        buildings.answer = [this](BaseMessage* msg, u32) {
            if (msg->type == MSG_BUILDING_TO_GRAB) {
                Message<GameObject*> reply(MSG_BUILDING, buildingInReach);
                player->HandleMessage(&reply, HANDLER_BUILDING_PROCESS);
            } else if (msg->type == MSG_BUILDING_VALID) {
                Message<bool> reply(MSG_BUILDING_VALID,
                                    buildingsKnown.count(msg->ValueOr<GameObject*>(nullptr)) != 0);
                player->HandleMessage(&reply, HANDLER_BUILDING_PROCESS);
            }
        };
        renderer.answer = [this](BaseMessage* msg, u32) {
            if (msg->type == MSG_CREATE_PARTICLE_SYSTEM) {
                effects.push_back(msg->Payload<ParticleSystemInfo>()->name);
                systems.push_back(std::make_unique<ParticleSystemCPU>());
                systems.back()->settings.systemName = effects.back();
                Message<ParticleSystemCPU*> reply(MSG_PARTICLE_SYSTEM, systems.back().get());
                player->HandleMessage(&reply, HANDLER_GRAPHICS_PROCESS);
            }
        };
        root.RegisterHandler(HANDLER_LEVEL_STATE, &levelState);
        root.RegisterHandler(HANDLER_AI_VIEW_PROCESS, &ai);
        root.RegisterHandler(HANDLER_BUILDING_PROCESS, &buildings);
        root.RegisterHandler(HANDLER_GRAPHICS_PROCESS, &renderer);
        player->m_camera_eye = Vector(0.0f, 20.0f, 40.0f);
        player->m_camera_target = Vector(0.0f, 20.0f, 0.0f);
    }

    ~Hand() override {
        // The systems the stand-in renderer handed out are the test's own.
        std::vector<GameObject*> all;
        for (auto& object : others) {
            all.push_back(object.get());
        }
        for (auto& object : parts) {
            all.push_back(object.get());
        }
        for (GameObject* object : all) {
            const auto found = object->components.find(ComponentType::ParticleSystem);
            if (found != object->components.end()) {
                const std::vector<Component*> list = found->second;
                for (Component* c : list) {
                    object->RemoveComponent(c, false);
                }
            }
        }
        root.RemoveHandler(&levelState);
        root.RemoveHandler(&ai);
        root.RemoveHandler(&buildings);
        root.RemoveHandler(&renderer);
    }

    void Reply(u32 type, GameObject* object) {
        Message<GameObject*> reply(type, object);
        player->HandleMessage(&reply, HANDLER_AI_VIEW_PROCESS);
    }

    // An object of another kind, with a body when asked and a box of these half extents.
    GameObject* Make(const std::string& type, bool body = false,
                     const Vector& extents = Vector(0.0f, 0.0f, 0.0f)) {
        others.push_back(NewObject(type));
        GameObject* object = others.back().get();
        if (body) {
            AddBody(object);
        }
        if (extents.x > 0.0f) {
            object->SetBoundingBox(new BoundingBox(extents));
        }
        return object;
    }

    // One frame of the hand with the grab control in this state.
    void Grab(u8 action, float dt = 0.1f) {
        player->m_input.m_controls[CONTROL_GRAB_THROW] = action;
        player->UpdateGrab(dt);
    }

    int Count(const std::vector<u32>& received, u32 type) const {
        return static_cast<int>(std::count(received.begin(), received.end(), type));
    }

    int EffectCount(const std::string& name) const {
        return static_cast<int>(std::count(effects.begin(), effects.end(), name));
    }

    GameObject* Segment(u32 i) const { return robot->childObjects[6 + i]; }

    robot_moves::Answering levelState;
    robot_moves::Answering ai;
    robot_moves::Answering buildings;
    robot_moves::Answering renderer;
    std::vector<std::string> created;
    std::vector<GameObject*> deleted;
    std::vector<std::string> effects;
    std::vector<std::unique_ptr<ParticleSystemCPU>> systems;
    std::set<GameObject*> units;
    std::set<GameObject*> buildingsKnown;
    GameObject* unitInReach = nullptr;
    GameObject* buildingInReach = nullptr;
    GameObject* throwCandidate = nullptr;
    GameObject* laserUnit = nullptr;
    bool makeHead = true;
    bool headHasBody = true;
};

} // namespace hand
