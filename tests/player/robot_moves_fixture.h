#pragma once
// The headless robot of player_level with the clips it walks, jumps and punches with, a body
// that records the velocity changes it is given, foot jets on its legs, a sound player that
// records what it plays, and stand-ins for the level state and the projectile process that
// answer at once.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "content/particle_system_info.h"
#include "core/definition_component.h"
#include "game/input_state.h"
#include "game/radial_force.h"
#include "game/sound_cue.h"
#include "graphics/particle_system_cpu.h"
#include "player_level_fixture.h"

namespace robot_moves {

class RecordingBody : public PhysXComponent {
  public:
    explicit RecordingBody(const std::string& type)
        : PhysXComponent(type, PhysicsParams{}, nullptr) {}
    void Move(const Vector& v) override { moves.push_back(v); }

    std::vector<Vector> moves;
};

class Sounds : public DefinitionComponent, public SoundCue {
  public:
    Sounds() : DefinitionComponent("RobotBase") {}
    void PlayOnce(const std::string& path, float volume) override {
        played.emplace_back(path, volume);
    }

    std::vector<std::pair<std::string, float>> played;
};

// Answers the messages sent to one handler id with a function of the test.
class Answering : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        received.push_back(msg->type);
        if (answer) {
            answer(msg, fromId);
        }
    }

    std::function<void(BaseMessage*, u32)> answer;
    std::vector<u32> received;
};

class RobotMoves : public player_level::Level {
  protected:
    static constexpr float kWalkCycle = 1.5667f;

    RobotMoves() {
        // No intro sequence: the player steers from the first frame.
        process->m_first_update = false;
        robot->RemoveComponent(Body(robot), false);
        body = new RecordingBody("RobotBase");
        robot->AddComponent(ComponentType::Physics, body);
        bodies.push_back(body);
        ownComponents[robot].push_back(body);
        const std::pair<const char*, float> clips[] = {{"Walk", kWalkCycle},
                                                       {"WalkBackwards", kWalkCycle},
                                                       {"Land", 1.0f},
                                                       {"Jump", 1.0f},
                                                       {"Fall", 1.0f},
                                                       {"Juggernaut", 0.7f},
                                                       {"Right Punch Charge", 0.2f},
                                                       {"Right Punch Release", 0.2f},
                                                       {"Right Punch Rest", 0.2f},
                                                       {"Left Punch Charge", 0.2f},
                                                       {"Left Punch Release", 0.2f},
                                                       {"Left Punch Rest", 0.2f}};
        for (const auto& [name, length] : clips) {
            animation->m_animations[name] = player_level::StillClip(name, length);
        }
        for (const char* name : {"Walk", "WalkBackwards", "Juggernaut"}) {
            animation->m_animations[name]->SetLooping(true);
        }
        for (const u32 leg : {4u, 5u}) {
            for (int i = 0; i < 3; ++i) {
                auto* jet = new ParticleSystemCPU();
                parts[leg]->AddComponent(ComponentType::ParticleSystem, jet);
                bodies.push_back(jet);
                ownComponents[parts[leg].get()].push_back(jet);
                jets.push_back(jet);
            }
        }
        player->m_sound_player = &sounds;
    }

    // The radial forces the robot sent to the physics.
    std::vector<RadialForce> Forces() {
        std::vector<RadialForce> found;
        for (const BaseMessage* m : Received(HANDLER_PHYSX_PROCESS, MSG_PHYSICS_RADIAL_FORCE)) {
            found.push_back(*m->Payload<RadialForce>());
        }
        return found;
    }

    std::vector<float> Floats(u32 handler, u32 type) {
        std::vector<float> found;
        for (const BaseMessage* m : Received(handler, type)) {
            found.push_back(m->ValueOr<float>(0.0f));
        }
        return found;
    }

    std::vector<std::string> Effects() {
        std::vector<std::string> found;
        for (const BaseMessage* m :
             Received(HANDLER_GRAPHICS_PROCESS, MSG_CREATE_PARTICLE_SYSTEM)) {
            found.push_back(m->Payload<ParticleSystemInfo>()->name);
        }
        return found;
    }

    // The vertical velocity changes, in order.
    std::vector<float> Lifts() const {
        std::vector<float> found;
        for (const Vector& v : body->moves) {
            if (v.y != 0.0f) {
                found.push_back(v.y);
            }
        }
        return found;
    }

    int Steps() const {
        int count = 0;
        for (const auto& [path, volume] : sounds.played) {
            count += path == "./assets/sound fx/walk.mp3" ? 1 : 0;
        }
        return count;
    }

    void Press(u32 control) { controls.bound.m_controls[control] = INPUT_PRESSED; }
    void Hold(u32 control) { controls.bound.m_controls[control] = INPUT_HELD; }
    void Release(u32 control) { controls.bound.m_controls[control] = INPUT_UP; }
    void Walk(const Vector& move) { controls.bound.m_movement = move; }

    RecordingBody* body = nullptr;
    Sounds sounds;
    std::vector<ParticleSystemCPU*> jets;
};

} // namespace robot_moves
