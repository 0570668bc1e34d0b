#pragma once
// The level's referee (handler 16): counts what is in the level and what died, turns kills
// and destroyed buildings into heat and, in endless mode, experience, switches the music,
// places the bosses, keeps enemies coming in waves and plays a coil's burst when it goes.
// Creates the "GameLogic" components.
#include <string>
#include <vector>

#include "core/handler_ids.h"
#include "core/process.h"
#include "core/vector.h"

class GameLogicComponent;
class GameObject;
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
    // The story's objective script; its steps live elsewhere.
    void UpdateObjectives(float dt);

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

    std::vector<GameLogicComponent*> m_components;
    SoundControl* m_sound_control = nullptr;
    bool m_initialized = false;
    bool m_tearing_down = false;
};
