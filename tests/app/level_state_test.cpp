#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "PhysX/physx_component.h"
#include "PhysX/physx_process.h"
#include "ai/ai_view_process.h"
#include "ai/mothership_builder.h"
#include "animation/animation.h"
#include "animation/animation_controller.h"
#include "animation/animation_process.h"
#include "animation/joint.h"
#include "animation/skeleton.h"
#include "app/level_state.h"
#include "app/state_fixture.h"
#include "city/building_process.h"
#include "city/bullet_process.h"
#include "city/game_logic_process.h"
#include "city/trigger_process.h"
#include "content/game_state_loader_process.h"
#include "content/resource_loader_process.h"
#include "core/component_header.h"
#include "core/component_list_process.h"
#include "core/definition_component.h"
#include "core/threaded_process.h"
#include "graphics/particle_system_script_process.h"
#include "player/player_process.h"
#include "support/component_fixture.h"
#include "ui/ui_process.h"

namespace {

using component_fixture::ComponentStream;
using state_fixture::StandIn;
using state_fixture::StateFixture;
using Strings = std::vector<std::string>;

constexpr const char* kLevel = "./assets/levels/ubergold.lua";

template <class T> T* ProcessWithId(const GameState& state, HandlerId id) {
    for (const auto& process : state.m_process_manager.processes) {
        if (process->id == id) {
            return dynamic_cast<T*>(process.get());
        }
    }
    return nullptr;
}

// The level's physics; each part of a composite object keeps a body of its own.
class BasePhysics : public PhysXProcess {};

class CountingGraphic : public DefinitionComponent {
  public:
    using DefinitionComponent::DefinitionComponent;
    void Initialize() override { ++initializeCalls; }
    // What a robot part's components find when they are notified: their parent, and their
    // joint already bound into the parent's skeleton.
    void Finalize() override {
        parentAtFinalize = owner != nullptr ? owner->parentObject : nullptr;
        const auto* controller =
            parentAtFinalize != nullptr
                ? dynamic_cast<AnimationController*>(
                      parentAtFinalize->GetComponent(ComponentType::AnimationController))
                : nullptr;
        const Joint* joint =
            dynamic_cast<const JointComponent*>(owner->GetComponent(ComponentType::Joint));
        boundAtFinalize = controller != nullptr && controller->m_skeleton != nullptr &&
                          std::any_of(controller->m_skeleton->m_joints.begin(),
                                      controller->m_skeleton->m_joints.end(),
                                      [joint](const auto& j) { return j.get() == joint; });
    }
    int initializeCalls = 0;
    const GameObject* parentAtFinalize = nullptr;
    bool boundAtFinalize = false;
};

// Makes a graphic for every stream and keeps a copy of each stream.
class RecordingGraphics : public ComponentListProcess {
  public:
    Component* CreateComponent(StreamMap* parameters) override {
        streams.push_back(*parameters);
        ComponentHeader header;
        header.Read(parameters);
        return m_components.Create<CountingGraphic>(this, header.m_object_type);
    }
    std::vector<StreamMap> streams;
};

class LevelStateTest : public StateFixture {
  protected:
    LevelStateTest() { Define({"ScoreText", "BuildingBlock"}); }

    // An object type with one component of each given component type.
    void Define(const std::string& typeName, const Strings& componentTypes) {
        ComponentDefinitionList& components = parser.m_definitions[typeName];
        for (const std::string& type : componentTypes) {
            components.emplace(ComponentType::FromName(type), ComponentStream(typeName, type));
        }
    }
    using StateFixture::Define;

    std::unique_ptr<LevelState> Started(const std::string& name = kLevel) {
        auto level = Make<LevelState>(name);
        // A type keeps its first process: these stand in for the level's own.
        level->SetComponentProcess(ComponentType::Physics, &physics);
        level->SetComponentProcess(ComponentType::Graphic, &graphicsProcess);
        level->Initialize();
        return level;
    }

    static void Send(LevelState& level, u32 type) {
        BaseMessage msg(type);
        level.HandleMessage(&msg, HANDLER_GRAPHICS_PROCESS);
    }

    static Strings ChildNames(const GameObject& object) {
        Strings names;
        for (const GameObject* child : object.childObjects) {
            names.push_back(child->name);
        }
        return names;
    }

    BasePhysics physics;
    RecordingGraphics graphicsProcess;
};

TEST_F(LevelStateTest, AddsTheLevelProcessesInOrderWithTheirIds) {
    auto level = Started();
    std::vector<HandlerId> ids;
    for (const auto& process : level->m_process_manager.processes) {
        ids.push_back(process->id);
    }
    EXPECT_EQ(ids, (std::vector<HandlerId>{16, 21, 12, 13, 9, 15, 11, 17, 10, 18}));
    auto it = level->m_process_manager.processes.begin();
    EXPECT_NE(dynamic_cast<GameLogicProcess*>((it++)->get()), nullptr);
    EXPECT_NE(dynamic_cast<TriggerProcess*>((it++)->get()), nullptr);
    EXPECT_NE(dynamic_cast<AIViewProcess*>((it++)->get()), nullptr);
    EXPECT_NE(dynamic_cast<BulletProcess*>((it++)->get()), nullptr);
    EXPECT_NE(dynamic_cast<PhysXProcess*>((it++)->get()), nullptr);
    EXPECT_NE(dynamic_cast<AnimationProcess*>((it++)->get()), nullptr);
    EXPECT_NE(dynamic_cast<PlayerProcess*>((it++)->get()), nullptr);
    EXPECT_NE(dynamic_cast<BuildingProcess*>((it++)->get()), nullptr);
    const auto* ui = dynamic_cast<UIProcess*>((it++)->get());
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(ui->m_stateName, "Level");
    EXPECT_EQ(ui->m_stateHandlerId, HANDLER_LEVEL_STATE);
    EXPECT_NE(dynamic_cast<ParticleSystemScriptProcess*>((it++)->get()), nullptr);
    level->Exit();
}

TEST_F(LevelStateTest, MapsEachComponentTypeToItsProcess) {
    auto level = Make<LevelState>(kLevel);
    level->Initialize();
    const std::vector<std::pair<ComponentType, HandlerId>> owners = {
        {ComponentType::AIView, 12},
        {ComponentType::SpawnPoint, 12},
        {ComponentType::Bullet, 13},
        {ComponentType::Player, 11},
        {ComponentType::PlayerChild, 11},
        {ComponentType::Joint, 15},
        {ComponentType::AnimationController, 15},
        {ComponentType::UIElement, 10},
        {ComponentType::UIButton, 10},
        {ComponentType::UICheckBox, 10},
        {ComponentType::UISlider, 10},
        {ComponentType::UIDropDown, 10},
        {ComponentType::UIText, 10},
        {ComponentType::UIInput, 10},
        {ComponentType::Building, 17},
        {ComponentType::Physics, 9},
        {ComponentType::GameLogic, 16},
        {ComponentType::Trigger, 21}};
    for (const auto& [type, id] : owners) {
        const ComponentProcess* owner = level->GetComponentProcess(type);
        ASSERT_NE(owner, nullptr) << type.Name();
        EXPECT_EQ(owner->id, id) << type.Name();
    }
    // No renderer and no sound process in this test: their types stay without a process.
    EXPECT_EQ(level->GetComponentProcess(ComponentType::Graphic), nullptr);
    EXPECT_EQ(level->GetComponentProcess(ComponentType::SoundPlayer), nullptr);
    level->Exit();
}

TEST_F(LevelStateTest, ModesFollowTheScriptName) {
    struct Row {
        const char* name;
        bool endless;
        bool tutorial;
    };
    for (const Row& row :
         {Row{"./assets/levels/endless_mode.lua", true, false},
          Row{"./assets/levels/tutorial_extended.lua", false, true}, Row{kLevel, false, false},
          Row{"./assets/levels/Endless.lua", false, false}}) {
        SCOPED_TRACE(row.name);
        auto level = Started(row.name);
        EXPECT_EQ(level->IsEndless(), row.endless);
        EXPECT_EQ(level->IsTutorial(), row.tutorial);
        EXPECT_EQ(ObjectNames(*level), row.endless ? Strings{"ScoreText"} : Strings{});
        const auto* logic = ProcessWithId<GameLogicProcess>(*level, 16);
        EXPECT_EQ(logic->m_endless, row.endless);
        EXPECT_EQ(logic->m_tutorial, row.tutorial);
        EXPECT_EQ(ProcessWithId<AIViewProcess>(*level, 12)->m_tutorial, row.tutorial);
        const auto* player = ProcessWithId<PlayerProcess>(*level, 11);
        EXPECT_EQ(player->m_endless, row.endless);
        EXPECT_EQ(player->m_tutorial, row.tutorial);
        EXPECT_EQ(ProcessWithId<BuildingProcess>(*level, 17)->m_endless, row.endless);
        level->Exit();
    }
}

TEST_F(LevelStateTest, TheEditorTestRunPlaysTheTempCopyOfTheScript) {
    struct Row {
        bool editorTest;
        const char* name;
        const char* played;
    };
    for (const Row& row :
         {Row{true, "level.lua", "level_temp.lua"},
          Row{true, "./assets/levels/a.lua.lua", "./assets/levels/a_temp.lua.lua"},
          Row{true, "Level Editor", "Level Editor"}, Row{false, "level.lua", "level.lua"}}) {
        g_editor_test = row.editorTest;
        EXPECT_EQ(Make<LevelState>(row.name)->Name(), row.played) << row.name;
    }
}

TEST_F(LevelStateTest, StartsPausedBehindTheFilmLeaderWithTheLoadersChained) {
    ParserProcess::LoadGraphicsOptions(&parser, true)->m_shadows = true;
    graphics.threeDee = 3;
    auto level = Started();
    EXPECT_EQ(
        Lines(),
        (Strings{"1:MSG_GRAPHICS_GET_THREE_DEE_SETTING", "1:MSG_GRAPHICS_SET_THREE_DEE_SETTING 1",
                 "2:MSG_SOUND_MUTE_GROUP 0", "2:MSG_SOUND_MUTE_GROUP 1",
                 "1:MSG_PAUSE_COMPONENT_UPDATE", "2:MSG_PAUSE_COMPONENT_UPDATE",
                 "0:MSG_PAUSE_COMPONENT_UPDATE", "3:MSG_INPUT_SWITCH_GAME",
                 "1:MSG_GRAPHICS_PLAY_FILM_LEAD", "1:MSG_GRAPHICS_SET_EXPOSURE_VALUE 4",
                 "1:MSG_GRAPHICS_SET_LIGHT_MULTIPLIER 1", "1:MSG_GRAPHICS_SET_FOG_RANGE 600",
                 "1:MSG_GRAPHICS_SET_FDIST 0.9759", "1:MSG_GRAPHICS_ENABLE_SHADOWS 1",
                 "3:MSG_INPUT_DISPLAY_CURSOR 0", "0:MSG_GAME_SET_WINDOW_FOCUS"}));
    EXPECT_EQ(level->m_three_dee, 3u);
    EXPECT_TRUE(level->m_loading);
    EXPECT_TRUE(level->m_initialized);

    const ResourceLoaderProcess* resources =
        SoleFreeRunningLoader(*level, LevelState::kResourceLoaderPriority);
    ASSERT_NE(resources, nullptr);
    EXPECT_EQ(resources->ScriptPath(), LevelPath);
    EXPECT_EQ(resources->id, HANDLER_RESOURCE_LOADER_PROCESS);
    const auto* script = dynamic_cast<GameStateLoaderProcess*>(resources->successor.get());
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->ScriptPath(), level->Name());
    EXPECT_EQ(script->id, HANDLER_GAME_STATE_LOADER_PROCESS);
    EXPECT_TRUE(resources->successorThreaded);
    EXPECT_TRUE(resources->successorLockStep);
    EXPECT_EQ(resources->successorPriority, LevelState::kStateLoaderPriority);
    level->Exit();
}

TEST_F(LevelStateTest, FilmLeaderPausesEveryProcessAndItsEndResumesThem) {
    auto level = Started();
    Send(*level, MSG_LEVEL_FILM_LEAD_STARTED);
    EXPECT_TRUE(level->IsFilmLeaderPlaying());
    for (const auto& process : level->m_process_manager.processes) {
        EXPECT_TRUE(process->paused) << process->id;
    }
    Send(*level, MSG_LEVEL_FILM_LEAD_ENDED);
    EXPECT_FALSE(level->IsFilmLeaderPlaying());
    for (const auto& process : level->m_process_manager.processes) {
        EXPECT_FALSE(process->paused) << process->id;
    }
    level->Exit();
}

class LevelPlayStartTest : public LevelStateTest {
  protected:
    LevelPlayStartTest() : level(Started()) {
        music.Bind(&level->Router(), HANDLER_GAME_LOGIC_PROCESS);
        Send(*level, MSG_LEVEL_FILM_LEAD_STARTED);
        journal.Clear();
    }
    ~LevelPlayStartTest() override { level->Exit(); }

    void FinishLoading() {
        Send(*level, MSG_LEVEL_LOADING_COMPLETE);
        level->Update(0.01f);
    }

    long Count(const std::string& line) const {
        const Strings lines = Lines();
        return std::count(lines.begin(), lines.end(), line);
    }

    const Strings kUnpause = {"1:MSG_UNPAUSE_COMPONENT_UPDATE", "2:MSG_UNPAUSE_COMPONENT_UPDATE",
                              "0:MSG_UNPAUSE_COMPONENT_UPDATE"};
    // The level's game logic gets the music message before the stand-in beside it and asks
    // for the intro at once.
    const Strings kPlay = {
        "2:MSG_SOUND_UNMUTE_GROUP 0",
        "2:MSG_SOUND_UNMUTE_GROUP 1",
        "2:MSG_GET_SOUND_STREAM_INSTANCE ./assets/music/Game Intro [in game].mp3",
        "16:MSG_SOUND_INSTANCE",
        "16:MSG_PLAY_MUSIC",
        "1:MSG_GRAPHICS_SET_THREE_DEE_SETTING 7"};
    std::unique_ptr<LevelState> level;
    StandIn music{journal, HANDLER_GAME_LOGIC_PROCESS};
};

TEST_F(LevelPlayStartTest, LoadingFirstStartsPlayWhenTheFilmLeaderEnds) {
    FinishLoading();
    EXPECT_EQ(Lines(), kUnpause);
    EXPECT_FALSE(level->m_loading);
    EXPECT_FALSE(level->m_loading_complete);
    EXPECT_FALSE(level->m_threaded_process_manager.HasProcesses());

    journal.Clear();
    Send(*level, MSG_LEVEL_FILM_LEAD_ENDED);
    EXPECT_EQ(Lines(), kPlay);
    // The fade-in follows a moment later.
    root.Update(0.05f);
    EXPECT_EQ(Count("1:MSG_GRAPHICS_FADE_IN 2"), 0);
    root.Update(0.06f);
    EXPECT_EQ(Count("1:MSG_GRAPHICS_FADE_IN 2"), 1);
    level->Update(0.01f);
    EXPECT_EQ(Count("16:MSG_PLAY_MUSIC"), 1);
}

TEST_F(LevelPlayStartTest, FilmLeaderFirstStartsPlayOnceLoadingCompletes) {
    Send(*level, MSG_LEVEL_FILM_LEAD_ENDED);
    EXPECT_TRUE(Lines().empty());

    FinishLoading();
    Strings expected = kUnpause;
    expected.insert(expected.end(), kPlay.begin(), kPlay.end());
    EXPECT_EQ(Lines(), expected);
    level->Update(0.01f);
    EXPECT_EQ(Count("16:MSG_PLAY_MUSIC"), 1);
}

TEST_F(LevelPlayStartTest, MainProcessesRunOnlyOnceLoadingIsOver) {
    auto* logic = ProcessWithId<GameLogicProcess>(*level, 16);
    logic->paused = false;
    // The loading's own update of the level processes comes from the script's loader.
    level->m_process_manager.timingEnabled = true;
    level->Update(0.01f);
    EXPECT_TRUE(level->m_process_manager.timings.empty());
    FinishLoading();
    level->Update(0.01f);
    EXPECT_FALSE(level->m_process_manager.timings.empty());
}

TEST_F(LevelPlayStartTest, LeavingDuringTheFilmLeaderStopsItAndResumesTheGame) {
    level->Update(0.01f);
    level->Exit();
    EXPECT_EQ(Lines(), (Strings{"1:MSG_GRAPHICS_STOP_FILM_LEAD", "1:MSG_UNPAUSE_COMPONENT_UPDATE",
                                "2:MSG_UNPAUSE_COMPONENT_UPDATE", "0:MSG_UNPAUSE_COMPONENT_UPDATE",
                                // The player process clears the count text it may have shown.
                                "1:MSG_BUILDING_COUNT "}));
    EXPECT_FALSE(level->m_threaded_process_manager.HasProcesses());
    EXPECT_FALSE(level->m_process_manager.HasProcesses());
    EXPECT_TRUE(level->Objects().empty());
}

TEST_F(LevelStateTest, ExitDeletesOnlyALuaStateTheLevelMade) {
    // The state the menu or the loader left current belongs to them.
    const u32 other = lua.CreateState();
    lua.SwitchState(other);
    auto level = Started();
    level->Exit();
    EXPECT_TRUE(lua.HasState(other));
    EXPECT_EQ(lua.CurrentStateId(), other);
}

TEST_F(LevelStateTest, RobotPartsJoinTheBaseInOrderWithTheirJointsAndBody) {
    Define("RobotBase", {"Physics", "AnimationController"});
    for (const char* part :
         {"RobotBody", "RobotHead", "RobotRightArm", "RobotLeftArm", "RobotLeg"}) {
        Define(part, {"Joint", "Physics"});
    }
    Define("RobotHealth", {"Physics"});
    auto level = Started();

    GameObject* robot = level->CreateObject("Robot");
    ASSERT_NE(robot, nullptr);
    EXPECT_EQ(robot->name, "RobotBase");
    Strings expected = {"RobotBody",    "RobotHead", "RobotRightArm",
                        "RobotLeftArm", "RobotLeg",  "RobotLeg"};
    expected.insert(expected.end(), 12, "RobotHealth");
    EXPECT_EQ(ChildNames(*robot), expected);

    auto* animation = ProcessWithId<AnimationProcess>(*level, HANDLER_ANIMATION_PROCESS);
    ASSERT_EQ(animation->Skeletons().size(), 1u);
    const Skeleton* skeleton = animation->Skeletons().front().get();
    EXPECT_EQ(
        dynamic_cast<AnimationController*>(robot->GetComponent(ComponentType::AnimationController))
            ->m_skeleton,
        skeleton);
    ASSERT_EQ(skeleton->m_joints.size(), 6u);
    std::set<const Joint*> joints;
    for (std::size_t i = 0; i < 6; ++i) {
        auto* joint = dynamic_cast<JointComponent*>(
            robot->childObjects[i]->GetComponent(ComponentType::Joint));
        EXPECT_EQ(skeleton->m_joints[i].get(), joint) << i;
        // Bound, so no longer free to bind elsewhere.
        EXPECT_EQ(animation->DetachJoint(joint), nullptr);
        joints.insert(joint);
    }
    EXPECT_EQ(joints.size(), 6u);

    for (const GameObject* part : robot->childObjects) {
        EXPECT_EQ(part->parentObject, robot);
        const auto* body =
            dynamic_cast<PhysXComponent*>(part->GetComponent(ComponentType::Physics));
        ASSERT_NE(body, nullptr);
        EXPECT_NE(body, robot->GetComponent(ComponentType::Physics)) << part->name;
    }
    EXPECT_EQ(level->Objects().size(), 1u + expected.size());
    level->Exit();
}

TEST_F(LevelStateTest, RobotStopsAfterABodyWithoutAJoint) {
    Define("RobotBase", {"Physics", "AnimationController"});
    Define("RobotBody", {"Physics"});
    Define("RobotHead", {"Joint"});
    auto level = Started();

    GameObject* robot = level->CreateObject("Robot");
    ASSERT_NE(robot, nullptr);
    EXPECT_TRUE(robot->childObjects.empty());
    EXPECT_EQ(ObjectNames(*level), (Strings{"RobotBase", "RobotBody"}));
    EXPECT_TRUE(
        ProcessWithId<AnimationProcess>(*level, HANDLER_ANIMATION_PROCESS)->Skeletons().empty());
    level->Exit();
}

TEST_F(LevelStateTest, APartWithoutAJointAddsNoSlotAndTheLaterPartsMoveUp) {
    Define("RobotBase", {"AnimationController"});
    for (const char* part : {"RobotBody", "RobotRightArm", "RobotLeftArm", "RobotLeg"}) {
        Define(part, {"Joint", "Graphic"});
    }
    Define("RobotHead", {"Graphic"});
    auto level = Started();

    GameObject* robot = level->CreateObject("Robot");
    ASSERT_NE(robot, nullptr);
    ASSERT_GE(robot->childObjects.size(), 6u);
    EXPECT_EQ(robot->childObjects[1]->name, "RobotHead");
    const auto* controller =
        dynamic_cast<AnimationController*>(robot->GetComponent(ComponentType::AnimationController));
    ASSERT_NE(controller->m_skeleton, nullptr);
    const Skeleton& skeleton = *controller->m_skeleton;
    ASSERT_EQ(skeleton.m_joints.size(), 5u);
    // The right arm takes the head's slot, the legs end at slot 4.
    const auto jointOf = [robot](std::size_t child) -> const Joint* {
        return dynamic_cast<JointComponent*>(
            robot->childObjects[child]->GetComponent(ComponentType::Joint));
    };
    EXPECT_EQ(skeleton.m_joints[1].get(), jointOf(2));
    EXPECT_EQ(skeleton.m_joints[4].get(), jointOf(5));
    // Each part was notified once it had joined the base, its joint (if any) bound.
    for (std::size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(robot->childObjects[i]->name);
        const auto* graphic = dynamic_cast<CountingGraphic*>(
            robot->childObjects[i]->GetComponent(ComponentType::Graphic));
        ASSERT_NE(graphic, nullptr);
        EXPECT_EQ(graphic->parentAtFinalize, robot);
        EXPECT_EQ(graphic->boundAtFinalize, i != 1);
    }
    level->Exit();
}

// With the shipped clips, the standing robot's parts stand where "Idle" puts them around
// the base, its soles on the ground under a base at its half height.
TEST_F(LevelStateTest, TheIdleRobotStandsItsPartsAroundTheBaseWithItsSolesOnTheGround) {
    Define("RobotBase", {"AnimationController"});
    for (const char* part :
         {"RobotBody", "RobotHead", "RobotRightArm", "RobotLeftArm", "RobotLeg"}) {
        Define(part, {"Joint"});
    }
    auto level = Started();
    testing::internal::CaptureStdout();
    GameObject* robot = level->CreateObject("Robot");
    testing::internal::GetCapturedStdout();
    ASSERT_NE(robot, nullptr);
    // The test runs in a scratch home: the clips come from the built game folder's package.
    auto* controller =
        dynamic_cast<AnimationController*>(robot->GetComponent(ComponentType::AnimationController));
    const std::string artPackage = std::string(GORVANE_ASSETS_DIR) + "/packages/art.kzp";
    controller->m_package_path = artPackage;
    auto* animation = ProcessWithId<AnimationProcess>(*level, HANDLER_ANIMATION_PROCESS);
    testing::internal::CaptureStdout();
    BaseMessage reinitialise(MSG_ANIMATION_REINITIALIZE);
    animation->HandleMessage(&reinitialise, HANDLER_LEVEL_STATE);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Initialize Animations Done"), std::string::npos) << log;
    EXPECT_EQ(log.find("FilePackage"), std::string::npos) << log;
    EXPECT_EQ(log.find("no key frames"), std::string::npos) << log;

    constexpr float kHalfHeight = 6.75f;
    robot->position = Vector(30, kHalfHeight, -12);
    animation->Update(0.0f);

    const boost::shared_ptr<Animation> idle = Animation::Load("Idle", artPackage);
    const boost::shared_ptr<Skeleton> pose = idle->GetPose();
    for (int slot = 0; slot < Skeleton::kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        const Vector offset = robot->childObjects[slot]->position - robot->position;
        const Vector& expected = pose->PoseJoint(slot)->m_position;
        EXPECT_NEAR(offset.x, expected.x, 1e-4f);
        EXPECT_NEAR(offset.y, expected.y, 1e-4f);
        EXPECT_NEAR(offset.z, expected.z, 1e-4f);
    }
    // A leg's sole is 5.5 below its centre.
    for (const int leg : {Skeleton::kRightLeg, Skeleton::kLeftLeg}) {
        EXPECT_NEAR(robot->childObjects[leg]->position.y - 5.5f, 0.0f, 1e-4f);
    }
    EXPECT_GT(robot->childObjects[Skeleton::kHead]->position.y,
              robot->childObjects[Skeleton::kBody]->position.y);
    level->Exit();
}

// The bytes a parameter stream of the tube holds, written out by hand.
std::vector<u8> TubeBytes(const std::string& mesh) {
    std::vector<u8> bytes;
    const auto text = [&bytes](const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
    };
    const auto number = [&bytes](float f) {
        u8 raw[4];
        std::memcpy(raw, &f, 4);
        bytes.insert(bytes.end(), raw, raw + 4);
    };
    text("AI-Boss-Fly-MothershipTube");
    text("Graphic");
    text(mesh);
    text("");
    text("");
    bytes.push_back(0);
    number(1.0f);
    number(0.0f);
    bytes.push_back(0);
    bytes.push_back(0);
    text("false");
    return bytes;
}

TEST_F(LevelStateTest, MothershipTubeStreamHoldsItsMeshAndFixedParameters) {
    for (u32 i : {0u, 5u}) {
        const StreamMap stream = MothershipTubeParameters(i);
        const std::vector<u8> bytes(stream.Data(), stream.Data() + stream.Size());
        EXPECT_EQ(bytes, TubeBytes("assets/art/mothership_tube" + std::to_string(i) + ".X"));

        std::vector<std::pair<u32, std::pair<std::string, std::string>>> index(
            stream.Index().begin(), stream.Index().end());
        std::sort(index.begin(), index.end());
        Strings named;
        for (const auto& [offset, entry] : index) {
            named.push_back(entry.first + ":" + entry.second);
        }
        EXPECT_EQ(named,
                  (Strings{"Mesh:string", "Bump Map:string", "Specular Map:string",
                           "Cast Shadow:bool", "HDR Multiplier:float", "Specular Power:float",
                           "Render Red:bool", "Animated:bool", "Breakable:string"}));
    }
}

TEST_F(LevelStateTest, MothershipTurretsGetTheirTubesAndEveryPartTheBaseBody) {
    Define("AI-Boss-Fly-MothershipBase", {"Physics"});
    Define("AI-Boss-Fly-MothershipBFG", {"Physics"});
    Define("AI-Boss-Fly-MothershipBFGCore", {});
    Define("AI-Boss-Fly-MothershipTurret", {"Graphic", "Physics"});
    Define("AI-Boss-Fly-MothershipHatch", {"Physics"});
    auto level = Started();
    graphicsProcess.streams.clear();

    GameObject* mothership = level->CreateObject("AI-Boss-Fly-Mothership");
    ASSERT_NE(mothership, nullptr);
    Strings expected = {"AI-Boss-Fly-MothershipBFG", "AI-Boss-Fly-MothershipBFGCore"};
    expected.insert(expected.end(), 6, "AI-Boss-Fly-MothershipTurret");
    expected.insert(expected.end(), 12, "AI-Boss-Fly-MothershipHatch");
    EXPECT_EQ(ChildNames(*mothership), expected);

    // Each turret's own graphic from its definition, then its tube.
    ASSERT_EQ(graphicsProcess.streams.size(), 12u);
    for (u32 i = 0; i < 6; ++i) {
        const StreamMap& tube = graphicsProcess.streams[2 * i + 1];
        const StreamMap expectedTube = MothershipTubeParameters(i);
        EXPECT_EQ(std::vector<u8>(tube.Data(), tube.Data() + tube.Size()),
                  std::vector<u8>(expectedTube.Data(), expectedTube.Data() + expectedTube.Size()));

        const GameObject* turret = mothership->childObjects[2 + i];
        const auto& graphics = turret->components.at(ComponentType::Graphic);
        ASSERT_EQ(graphics.size(), 2u);
        EXPECT_EQ(static_cast<CountingGraphic*>(graphics[1])->m_object_type,
                  "AI-Boss-Fly-MothershipTube");
        EXPECT_EQ(static_cast<CountingGraphic*>(graphics[1])->initializeCalls, 1);
    }
    for (const GameObject* part : mothership->childObjects) {
        EXPECT_EQ(part->parentObject, mothership);
        if (const auto* body =
                dynamic_cast<PhysXComponent*>(part->GetComponent(ComponentType::Physics))) {
            EXPECT_NE(body, mothership->GetComponent(ComponentType::Physics)) << part->name;
        }
    }
    level->Exit();
}

TEST_F(LevelStateTest, TowerOfThreeByTwoByThreeHasSixteenWallBlocksAndARoof) {
    auto level = Started();
    Message<Vector> size(MSG_LEVEL_TOWER_SIZE, Vector(3.7f, 2.2f, 3.0f));
    level->HandleMessage(&size, HANDLER_LUA_HANDLER);
    const Vector at(100.0f, 0.0f, -50.0f);
    Message<Vector> location(MSG_LEVEL_TOWER_LOCATION, at);
    level->HandleMessage(&location, HANDLER_LUA_HANDLER);

    GameObject* last = level->CreateObject("Tower");
    ASSERT_EQ(level->Objects().size(), 17u);
    EXPECT_EQ(last, level->Objects().back());

    // Cell index 0, 1, 2 lies at -5.005, 5.005, 15.015; layers at 5.005 and 15.015.
    const float c[] = {-5.005f, 5.005f, 15.015f};
    std::vector<Vector> expected;
    for (float y : {c[1], c[2]}) {
        for (int x = 0; x < 3; ++x) {
            expected.emplace_back(c[x], y, c[0]);
            expected.emplace_back(c[x], y, c[2]);
        }
        expected.emplace_back(c[0], y, c[1]);
        expected.emplace_back(c[2], y, c[1]);
    }
    expected.emplace_back(0.0f, 15.015f, 0.0f);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const GameObject* block = level->Objects()[i];
        EXPECT_EQ(block->name, "BuildingBlock");
        EXPECT_NEAR(block->position.x, expected[i].x + at.x, 1e-3) << i;
        EXPECT_NEAR(block->position.y, expected[i].y + at.y, 1e-3) << i;
        EXPECT_NEAR(block->position.z, expected[i].z + at.z, 1e-3) << i;
        EXPECT_TRUE(block->positionChanged) << i;
    }
    level->Exit();
}

TEST_F(LevelStateTest, TowerSizesWithoutRoomMakeNoBlockAndThinOnesNoDoubles) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Row {
        Vector size;
        std::size_t blocks;
    };
    for (const Row& row : {Row{Vector(0.0f, 5.0f, 5.0f), 0}, Row{Vector(3.0f, 0.0f, 3.0f), 0},
                           Row{Vector(nan, 2.0f, 3.0f), 0}, Row{Vector(-4.0f, 2.0f, 3.0f), 0},
                           Row{Vector(2.9f, 1.5f, 2.2f), 4}, Row{Vector(1.0f, 2.0f, 3.0f), 6}}) {
        auto level = Started();
        Message<Vector> size(MSG_LEVEL_TOWER_SIZE, row.size);
        level->HandleMessage(&size, HANDLER_LUA_HANDLER);
        GameObject* last = level->CreateObject("Tower");
        EXPECT_EQ(level->Objects().size(), row.blocks) << row.size.x;
        EXPECT_EQ(last == nullptr, row.blocks == 0) << row.size.x;
        level->Exit();
    }
}

} // namespace

// A story level with its robot, past loading and the film leader.
class StoryPlayTest : public LevelStateTest {
  protected:
    StoryPlayTest() {
        Define("RobotBase", {"Player", "AnimationController"});
        level = Started();
        triggers.Bind(&level->Router(), HANDLER_TRIGGER_PROCESS);
    }
    ~StoryPlayTest() override { level->Exit(); }

    long Count(const std::string& line) const {
        const Strings lines = Lines();
        return std::count(lines.begin(), lines.end(), line);
    }

    std::unique_ptr<LevelState> level;
    StandIn triggers{journal, HANDLER_TRIGGER_PROCESS};
};

TEST_F(StoryPlayTest, TheIntroPausesTheOtherProcessesThenHandsTheCameraToTheRobot) {
    ASSERT_NE(level->CreateObject("Robot"), nullptr);
    Send(*level, MSG_LEVEL_FILM_LEAD_STARTED);
    Send(*level, MSG_LEVEL_LOADING_COMPLETE);
    level->Update(0.01f);
    Send(*level, MSG_LEVEL_FILM_LEAD_ENDED);
    auto* ai = ProcessWithId<AIViewProcess>(*level, HANDLER_AI_VIEW_PROCESS);
    ASSERT_NE(ai, nullptr);
    level->Update(0.1f);
    EXPECT_TRUE(g_player_cutscene);
    EXPECT_TRUE(ai->IsDisabled());
    std::set<u32> running;
    for (const auto& process : level->m_process_manager.processes) {
        if (!process->paused) {
            running.insert(process->id);
        }
    }
    EXPECT_EQ(running, (std::set<u32>{HANDLER_PLAYER_PROCESS, HANDLER_PHYSX_PROCESS,
                                      HANDLER_UI_PROCESS, HANDLER_ANIMATION_PROCESS}));

    long activations = 0;
    for (int frame = 0; frame < 400 && g_player_cutscene; ++frame) {
        journal.Clear();
        level->Update(0.1f);
        activations += Count("21:MSG_TRIGGERS_ACTIVATE");
        EXPECT_EQ(activations, g_player_cutscene ? 0 : 1);
    }
    EXPECT_FALSE(g_player_cutscene);
    EXPECT_FALSE(ai->IsDisabled());
    for (const auto& process : level->m_process_manager.processes) {
        EXPECT_FALSE(process->paused) << process->id;
    }
    EXPECT_EQ(activations, 1);
    // The frame that ended the intro placed the camera behind the robot.
    EXPECT_EQ(Count("1:MSG_PLAYER_CAMERA"), 1);
}
