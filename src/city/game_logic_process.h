#pragma once
// The level's referee (handler 16): counts what is in the level and what died, turns kills
// and destroyed buildings into heat and, in endless mode, experience, switches the music,
// places the bosses, keeps enemies coming in waves and plays a coil's burst when it goes.
// Creates the "GameLogic" components.
#include <functional>
#include <string>
#include <vector>

#include "core/handler_ids.h"
#include "core/process.h"
#include "core/vector.h"

class GameLogicComponent;
class GameObject;
class GraphicComponent;
class SoundControl;
class SoundInstance;

class GameLogicProcess : public ComponentProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_GAME_LOGIC_PROCESS;
    static constexpr i32 kCategoryCount = 20;
    // Categories the spawners walk (tank to car).
    static constexpr i32 kSpawnedCategories = 11;
    static constexpr i32 kSpawnBudget = 6;
    static constexpr f32 kStoryRefill = 0.4f;
    static constexpr f32 kEndlessRefill = 0.7f;
    static constexpr double kMaxXPPerFrame = 50000.0;

    // Categories by name where the code needs one.
    enum Category : i32 {
        kTank = 0,
        kHelicopter = 1,
        kMissile = 2,
        kCitizen = 3,
        kMediumUFO = 4,
        kTruck = 5,
        kJeep = 6,
        kTransport = 7,
        kTankSwarm = 8,
        kBossUFO = 9,
        kCar = 10,
        kMothershipCore = 11,
    };

    GameLogicProcess(bool endless, bool tutorial);
    ~GameLogicProcess() override;

    void Update(float dt) override;
    void Initialize() override;
    Component* CreateComponent(StreamMap* parameters) override;
    void RemoveComponent(Component* component) override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    // The type name the process asks the AI to spawn for a category; empty past the last.
    static std::string ClassifyObject(i32 category);

    // Waves: begins wave id, or the one that follows the current one.
    void SetPhase(i32 id);
    void NextPhase();
    void SpawnNormal();
    void SpawnEndless(float dt);
    void AdvanceSpawnTimers(float dt);
    // One spawn request to the AI; nothing for a count below 1.
    void SendSpawn(const std::string& typeName, i32 count);
    // The story's objective script, one step a frame; the ending runs once the mothership's
    // core is gone and ends with the credits.
    void UpdateObjectives(float dt);
    void PlayEnding(float dt);

    // The graphic component of an object when it can break, else null. The renderer's
    // components are looked up through it; without one nothing is asked to break.
    using BreakableGraphic = std::function<GraphicComponent*(GameObject&)>;
    void SetBreakableGraphic(BreakableGraphic lookup) { m_breakable_graphic = std::move(lookup); }

    // The level is going: its music stops and is handed back, and objects removed from now
    // on go quietly.
    void BeginTeardown();
    // How music and effect instances are played; none leaves the level silent.
    void SetSoundControl(SoundControl* control) { m_sound_control = control; }
    const std::vector<GameLogicComponent*>& Components() const { return m_components; }

    i32 m_objectiveStep = 0;
    i32 m_waveNumber = 0;
    f32 m_phaseTime = 0.0f;
    f32 m_phaseEnd = 0.0f;
    f32 m_phaseDuration = 0.0f;
    i32 m_waveMode = 4;
    i32 m_phase = 0;
    i32 m_waveTarget[kCategoryCount] = {};
    i32 m_agentCount[kCategoryCount] = {};
    i32 m_levelCount[kCategoryCount] = {};
    i32 m_killCount[kCategoryCount] = {};
    f32 m_spawnTimer[kCategoryCount] = {};
    i32 m_spawnZone = 0;
    f32 m_scriptTimer = 0.0f;
    bool m_endingStarted = false;
    Vector m_bossPosition{0.0f, 0.0f, 0.0f};
    i32 m_objectiveIndex = 0;
    f32 m_bossDeathDelay = 12.0f;
    i32 m_ambushRound = 0;
    f32 m_ambushTime = 0.0f;
    bool m_secondAmbushPending = true;
    bool m_noCitizens = false;
    double m_pendingXP = 0.0;
    double m_heat = 0.0;
    f32 m_musicFade = 0.0f;
    SoundInstance* m_soundReply = nullptr;
    SoundInstance* m_music = nullptr;
    SoundInstance* m_introMusic = nullptr;
    const bool m_endless;
    const bool m_tutorial;
    f32 m_growthTimer[kCategoryCount] = {};
    f32 m_growthInterval[kCategoryCount] = {};
    f32 m_growthStep[kCategoryCount] = {};
    i32 m_targetCap[kCategoryCount] = {};

  private:
    void KillReward(const std::string& typeName);
    void BuildingReward(const std::string& typeName, bool flag);
    void LevelSpawn(const std::string& typeName);
    void ChangeAgentCount(const std::string& typeName, i32 n, bool increase);
    void SendXP();
    // Sends the request and returns the instance the sound process answered with, or null.
    SoundInstance* AskForSound(u32 request, const std::string& path);
    void SwitchMusic(const std::string& path, f32 volume);
    void StartLevelMusic();
    void PauseMusic(bool pause);
    void PlaceBoss(GameObject* object);
    void SkipObjective();
    void PlayCoilBurst(const GameObject& coil);
    // Objective script pieces.
    void RunObjectiveStep(float dt);
    void NextObjective(i32 category, i32 step);
    void UpdateAmbush(float dt);
    void PowerDown(float dt);
    void BossFight(float dt);
    void MothershipFight(float dt);
    void EndAmbush();
    // Every owner of one of this process's components whose type name passes the test.
    std::vector<GameObject*> Owned(const std::function<bool(const std::string&)>& test) const;
    std::vector<GameObject*> OwnedNamed(const std::string& typeName) const;
    // Breaks a barrier and pushes its pieces away, then deletes it; the offsets are the
    // push centres' x offsets.
    void BlowAway(GameObject& barrier, f32 delay, f32 firstX, f32 secondX, f32 forceDelay,
                  f32 secondForceDelay);
    // Breaks, bursts and deletes a power object after a delay.
    void Demolish(GameObject& object, f32 delay);
    // Stops the level tune for good, handing it back when it has already ended.
    void DropMusic();
    // The pending change of tune of a boss fight: the intro plays once and the loop follows.
    void BeginBossMusic(const std::string& intro, f32 volume, u32 loopMessage, f32 loopDelay);

    std::vector<GameLogicComponent*> m_components;
    // The robot (MSG_PLAYER_COMPONENT), whose bodies the barrier pushes leave alone; only
    // compared, never followed.
    const GameObject* m_robot = nullptr;
    SoundControl* m_sound_control = nullptr;
    BreakableGraphic m_breakable_graphic;
    bool m_initialized = false;
    bool m_tearing_down = false;
};
