#pragma once
// The state of play: a level, the endless mode or the tutorial, named by its Lua script path.
// It is handler 6 at its own router. It adds the level's processes, builds the composite
// objects (the robot, the mothership, towers of blocks), loads the level in the background
// behind the film leader and starts play once both the loading and the film leader are
// over, whichever ends last.

#include <memory>

#include "app/game_state.h"
#include "content/stream_map.h"

class AnimationProcess;
class GraphicsPreloader;
class Skeleton;

class LevelState : public GameState {
  public:
    static constexpr const char* kFilmLeaderVideo = "./assets/video/FilmLeader.avi";
    static constexpr const char* kFilmLeaderSound = "assets/music/FilmLeader.wav";
    static constexpr int kResourceLoaderPriority = 2;
    static constexpr int kStateLoaderPriority = 15;
    static constexpr u32 kMothershipTurrets = 6;
    static constexpr u32 kMothershipHatches = 12;
    static constexpr u32 kRobotHealthParts = 12;
    static constexpr float kTowerCell = 10.01f;
    static constexpr float kTowerHalfCell = 5.005f;
    // A tower side longer than this many blocks is cut to it.
    static constexpr i32 kMaxTowerCells = 256;

    // During the level editor's test run the "_temp" copy of the script is played.
    LevelState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
               InputControls* input, LuaHandler* lua, ParserProcess* parser, MessageRouter* parent);
    // The loader threads go before the renderer view they load through.
    ~LevelState() override;

    void Initialize() override;
    // While loading only the loaders run; after it the level's processes.
    void Update(float dt) override;
    void Exit() override;
    // MSG_LEVEL_FILM_LEAD_STARTED pauses the level's processes, MSG_LEVEL_FILM_LEAD_ENDED
    // resumes them and starts play when loading is over.
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    // The creators of the composite objects, registered under "Robot",
    // "AI-Boss-Fly-Mothership" and "Tower". Each returns the object the script gets back.
    GameObject* CreateRobot();
    GameObject* CreateMothership();
    // The blocks of the size and at the location last sent by MSG_LEVEL_TOWER_SIZE and
    // MSG_LEVEL_TOWER_LOCATION; the last block, or null when none was made.
    GameObject* CreateTower();

    // The "Graphic" stream of the mothership's tube number index.
    static StreamMap MothershipTubeParameters(u32 index);

    bool IsEndless() const { return m_endless; }
    bool IsTutorial() const { return m_tutorial; }
    bool IsFilmLeaderPlaying() const { return m_film_leader; }

    // The renderer's 3D setting before the level, put back when play starts.
    u32 m_three_dee = 0;
    bool m_film_leader = false;

  private:
    void AddProcesses();
    void MapComponents();
    void StartLoading();
    void PlayFilmLeader();
    void StartPlay();
    void SendComponentUpdate(u32 type);
    // The part becomes a child of the base, its joint (with a skeleton) joins the skeleton,
    // its components hear of the change and it moves with the base's physics body.
    void AttachPart(GameObject* base, GameObject* part, Skeleton* skeleton = nullptr);

    std::unique_ptr<GraphicsPreloader> m_preloader;
    AnimationProcess* m_animation = nullptr;
    bool m_endless = false;
    bool m_tutorial = false;
};
