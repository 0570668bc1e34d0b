#pragma once
// The level's player robot (handler 11): creates the "Player" and "PlayerChild" components,
// updates the robot before its parts, forwards power-ups and experience to the robot and
// stages the four camera sequences on the game camera ("Intro", "UFO", "Mothership", "Win").
// While a sequence runs, the other level processes it does not need are paused, and the
// process feeds the renderer and the sound listener itself.
#include <string>
#include <vector>

#include "core/component_list_process.h"
#include "core/handler_ids.h"
#include "core/vector.h"

class ControlsSource;
class PlayerChildComponent;
class RobotAudio;
class PlayerComponent;

// A camera sequence runs: the robot is posed by it and takes no damage.
extern bool g_player_cutscene;
// The hand-over between the process and the robot: 0 player control, 1 entering a hold,
// 2 held, 3 leaving a hold.
extern i32 g_player_mode;
// Deaths and damage are switched off (MSG_DISABLE_DEALTH).
extern bool g_player_invulnerable;

class PlayerProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_PLAYER_PROCESS;
    static constexpr f32 kDeathsOff = -50000.0f;

    // Clears the sequence state of the camera and switches deaths and damage on: each level
    // starts with them on.
    PlayerProcess(ControlsSource* input, bool endless, bool tutorial);
    ~PlayerProcess() override;

    void Update(float dt) override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    Component* CreateComponent(StreamMap* parameters) override;
    void RemoveComponent(Component* component) override;

    // Starts a sequence by its name; nothing without a robot.
    void StartSequence(const std::string& name);

    const std::vector<PlayerComponent*>& Players() const { return m_players; }
    const std::vector<PlayerChildComponent*>& Children() const { return m_children; }

    // The health at or below which the robot dies.
    f32 m_death_toggle = 0.0f;
    ControlsSource* const m_input;
    const bool m_editor_test;
    bool m_ai_disabled = false;
    const bool m_endless;
    const bool m_tutorial;
    bool m_first_update = true;
    // The audio service the robots load their sounds and start their hum through; the shell
    // sets it, tests may leave it null.
    RobotAudio* m_audio = nullptr;

  private:
    // The points a sequence starts and ends at, from the robot's own view.
    struct View {
        Vector target;
        Vector head;
        Vector orbit;
        Vector eye;
    };
    View RobotView() const;
    void SequenceStep(float dt);
    void EndSequence();
    void SendBuildingCountClear();
    // Wakes the level's triggers after delay seconds and logs how long the level has run.
    void ActivateTriggers(float delay);

    std::vector<PlayerComponent*> m_players;
    std::vector<PlayerChildComponent*> m_children;
    // Seconds of play since the first update (its frame included), the opening flight too.
    f32 m_play_time = 0.0f;
};
