#include "player/player_process.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "animation/animation_controller.h"
#include "core/component_header.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_types.h"
#include "game/player_info.h"
#include "game/shell_globals.h"
#include "graphics/game_camera.h"
#include "platform/system/log.h"
#include "player/player_component.h"

bool g_player_cutscene = false;
i32 g_player_mode = 0;
bool g_player_invulnerable = false;

namespace {

constexpr f32 kDeathsOffAbove = -5.0f;
constexpr f32 kIdleSpeed = 0.25f;
constexpr f32 kTriggerDelay = 0.001f;
// The intro runs at full speed until this time, then slows down to half at its end.
constexpr f32 kIntroSlowFrom = 11.0f;
constexpr f32 kIntroSlowSpan = 9.0f;
// The boss sequences re-aim their last keys at the robot from this time on.
constexpr f32 kReaimFrom = 4.0f;

struct Sequence {
    const char* name;
    std::vector<unsigned int> keep;
    bool disableAi;
    bool hold;
    f32 duration;
};

const Sequence kSequences[] = {
    {"Intro",
     {HANDLER_PLAYER_PROCESS, HANDLER_PHYSX_PROCESS, HANDLER_UI_PROCESS, HANDLER_ANIMATION_PROCESS},
     true,
     false,
     15.5f},
    {"UFO",
     {HANDLER_PLAYER_PROCESS, HANDLER_PHYSX_PROCESS, HANDLER_UI_PROCESS, HANDLER_ANIMATION_PROCESS,
      HANDLER_GAME_LOGIC_PROCESS, HANDLER_PARTICLE_SYSTEM_SCRIPT_PROCESS},
     true,
     true,
     11.15f},
    {"Mothership",
     {HANDLER_PLAYER_PROCESS, HANDLER_AI_VIEW_PROCESS, HANDLER_UI_PROCESS,
      HANDLER_ANIMATION_PROCESS, HANDLER_GAME_LOGIC_PROCESS, HANDLER_PARTICLE_SYSTEM_SCRIPT_PROCESS,
      HANDLER_PHYSX_PROCESS},
     false,
     true,
     12.5f},
    {"Win",
     {HANDLER_PLAYER_PROCESS, HANDLER_AI_VIEW_PROCESS, HANDLER_UI_PROCESS,
      HANDLER_ANIMATION_PROCESS, HANDLER_BUILDING_PROCESS, HANDLER_GAME_LOGIC_PROCESS,
      HANDLER_PARTICLE_SYSTEM_SCRIPT_PROCESS},
     true,
     true,
     5.0f},
};

GameCamera::PathSegment Path(f32 start, f32 end, std::initializer_list<Vector> points) {
    GameCamera::PathSegment segment;
    segment.startTime = start;
    segment.endTime = end;
    segment.curve.controlPoints.assign(points.begin(), points.end());
    return segment;
}

void FillIntro(GameCamera& camera) {
    camera.AddPathKey(Path(0.0f, 15.0f,
                           {Vector(-20.0f, 110.0f, -1250.0f), Vector(-20.0f, 110.0f, -1250.0f),
                            Vector(70.0f, 100.0f, -50.0f), Vector(45.0f, 90.0f, 1708.0f),
                            Vector(-76.0f, 25.0f, 968.0f)}));
    camera.AddTargetKey(Vector(0.0f, 110.0f, -1300.0f), 0.0f);
    camera.AddTargetKey(Vector(-200.0f, 40.0f, -800.0f), 3.0f);
    camera.AddTargetKey(Vector(-76.0f, 25.0f, 926.0f), 8.0f);
}

// The boss's look-at heights, one float step below the nearest floats of 54.4, 124.4 and
// 84.4.
const f32 kBossLow = std::nextafter(54.4f, 0.0f);
const f32 kBossHigh = std::nextafter(124.4f, 0.0f);
const f32 kBossMiddle = std::nextafter(84.4f, 0.0f);

void FillUfo(GameCamera& camera, const Vector& t, const Vector& v) {
    const Vector a(-50.0f, 25.0f, -1597.0f);
    const Vector b(-50.0f, 94.0f, -1772.0f);
    const Vector c(-50.0f, 5.0f, -1647.0f);
    camera.AddPathKey(Path(0.5f, 2.5f, {v, Vector(-50.0f, 50.0f, -1522.0f), a}));
    camera.AddPathKey(Path(5.0f, 6.85f, {a, Vector(-50.0f, 25.0f, -1772.0f), b}));
    camera.AddPathKey(Path(9.0f, 9.25f, {b, c}));
    camera.AddPathKey(Path(10.0f, 11.0f, {c, v}));
    const Vector low(-50.0f, kBossLow, -1822.0f);
    const Vector high(-50.0f, kBossHigh, -1822.0f);
    const Vector middle(-50.0f, kBossMiddle, -1822.0f);
    camera.AddTargetKey(t, 0.0f);
    camera.AddTargetKey(t, 0.5f);
    camera.AddTargetKey(low, 1.0f);
    camera.AddTargetKey(low, 5.0f);
    camera.AddTargetKey(high, 6.85f);
    camera.AddTargetKey(high, 9.0f);
    camera.AddTargetKey(middle, 9.25f);
    camera.AddTargetKey(middle, 10.0f);
    camera.AddTargetKey(t, 11.0f);
}

void FillMothership(GameCamera& camera, const Vector& t, const Vector& d, const Vector& v) {
    const Vector wreck(-52.0f, 22.95f, 937.0f);
    camera.AddPathKey(Path(0.0f, 11.0f, {wreck}));
    GameCamera::PathSegment back = Path(11.0f, 12.5f, {wreck});
    // From far out on the other side of the gate the way back runs around it.
    if (v.z < -360.0f && (v.x > 50.0f || v.x < -210.0f)) {
        f32 r = std::fabs(v.x + 50.0f);
        for (int i = 0; r > 200.0f; ++i, r -= 200.0f) {
            back.curve.controlPoints.push_back(
                Vector(-90.0f, 22.95f, -300.0f - 50.0f * static_cast<f32>(i)));
        }
    }
    back.curve.controlPoints.push_back(v + d * 0.25f);
    back.curve.controlPoints.push_back(v);
    camera.AddPathKey(back);
    camera.AddTargetKey(Vector(-52.0f, 22.95f, 895.0f), 0.0f);
    camera.AddTargetKey(Vector(-52.0f, 22.95f, 895.0f), 1.5f);
    camera.AddTargetKey(Vector(-52.0f, 75.0f, 895.0f), 2.25f);
    camera.AddTargetKey(Vector(-52.0f, 75.0f, 895.0f), 3.5f);
    camera.AddTargetKey(Vector(-52.0f, 75.0f, 868.0f), 5.0f);
    camera.AddTargetKey(Vector(-52.0f, 75.0f, 500.0f), 11.0f);
    camera.AddTargetKey(t, 11.5f);
    camera.AddTargetKey(t, 12.5f);
}

void FillWin(GameCamera& camera, const Vector& t, const Vector& h, const Vector& d,
             const Vector& v) {
    Vector f = h - v;
    f.y = 0.0f;
    const Vector r(-d.z, 0.0f, d.x);
    const Vector low(0.0f, -0.9f, 0.0f);
    camera.AddPathKey(Path(0.5f, 2.0f, {v, t + r * 0.5f, h + f * 1.5f}));
    camera.AddPathKey(Path(2.25f, 5.0f, {h + f * 1.5f, h + f * 0.055f + low}));
    camera.AddTargetKey(t, 0.0f);
    camera.AddTargetKey(h + low, 3.0f);
}

} // namespace

PlayerProcess::PlayerProcess(ControlsSource* input, bool endless, bool tutorial)
    : m_input(input), m_editor_test(g_editor_test), m_endless(endless), m_tutorial(tutorial) {
    g_player_cutscene = false;
    g_player_mode = 0;
    g_player_invulnerable = false;
    g_game_camera.time = 0.0f;
    g_game_camera.finished = false;
}

PlayerProcess::~PlayerProcess() {
    g_game_camera.time = 0.0f;
    g_game_camera.finished = false;
    g_player_cutscene = false;
    g_player_mode = 0;
    SendBuildingCountClear();
}

Component* PlayerProcess::CreateComponent(StreamMap* parameters) {
    ComponentHeader header;
    if (!header.Read(parameters)) {
        return nullptr;
    }
    if (header.Type() == ComponentType::Player) {
        auto* player = m_components.Create<PlayerComponent>(this, header.m_object_type, m_input,
                                                            m_editor_test);
        m_players.push_back(player);
        return player;
    }
    if (header.Type() == ComponentType::PlayerChild) {
        auto* child = m_components.Create<PlayerChildComponent>(this, header.m_object_type);
        m_children.push_back(child);
        return child;
    }
    return nullptr;
}

void PlayerProcess::RemoveComponent(Component* component) {
    std::erase(m_players, component);
    std::erase(m_children, component);
    m_components.Remove(component);
}

void PlayerProcess::SendBuildingCountClear() {
    Message<std::string> clear(MSG_BUILDING_COUNT, std::string());
    SendMessage(&clear, HANDLER_GRAPHICS_PROCESS);
}

void PlayerProcess::HandleMessage(BaseMessage* msg, u32 /*fromId*/) {
    if (msg == nullptr) {
        return;
    }
    switch (msg->type) {
    case MSG_PLAYER_POWERUP_LEVEL_INCREASE:
        for (PlayerComponent* player : m_players) {
            player->IncreasePowerLevel();
        }
        break;
    case MSG_PLAYER_XP: {
        // Some senders give the experience as a float.
        const double xp = msg->ValueOr<double>(0.0);
        for (PlayerComponent* player : m_players) {
            if (player->owner != nullptr) {
                Message<double> forward(MSG_PLAYER_XP, xp);
                SendMessage(&forward, player->owner->id);
            }
        }
        break;
    }
    case MSG_CAMERA_BOSS_ARRIVE:
        StartSequence("UFO");
        break;
    case MSG_CAMERA_BOSS_DIE:
        StartSequence("Mothership");
        break;
    case MSG_CAMERA_PLAYER_WIN:
        StartSequence("Win");
        break;
    case MSG_DISABLE_DEALTH:
        if (m_death_toggle > kDeathsOffAbove) {
            m_death_toggle = kDeathsOff;
            g_player_invulnerable = true;
        } else {
            m_death_toggle = 0.0f;
            g_player_invulnerable = false;
        }
        break;
    default:
        break;
    }
}

PlayerProcess::View PlayerProcess::RobotView() const {
    const PlayerComponent* player = m_players.back();
    const Vector position =
        player->owner != nullptr ? player->owner->position : Vector(0.0f, 0.0f, 0.0f);
    View view;
    view.head = position + Vector(0.0f, PlayerComponent::kCameraHeight, 0.0f);
    view.target = view.head + player->m_camera_offset;
    view.orbit = player->Orbit();
    view.eye = view.target + view.orbit;
    return view;
}

void PlayerProcess::StartSequence(const std::string& name) {
    const Sequence* sequence = nullptr;
    for (const Sequence& s : kSequences) {
        if (name == s.name) {
            sequence = &s;
        }
    }
    if (sequence == nullptr || m_players.empty() || m_players.back() == nullptr) {
        return;
    }
    PlayerComponent* const player = m_players.back();

    Message<std::vector<unsigned int>> pause(MSG_LEVEL_PAUSE_PROCESSES, sequence->keep);
    SendMessage(&pause, HANDLER_LEVEL_STATE);
    if (sequence->disableAi) {
        BaseMessage ai(MSG_DISABLE_AI);
        SendMessage(&ai, HANDLER_AI_VIEW_PROCESS);
    }
    m_ai_disabled = sequence->disableAi;

    g_player_cutscene = true;
    GameCamera& camera = g_game_camera;
    camera.time = 0.0f;
    camera.finished = false;
    camera.name = sequence->name;

    if (name == "Mothership") {
        player->m_camera_pitch = std::numbers::pi_v<f32> / 2.0f;
    }
    if (name == "Win") {
        player->m_pending_animation = "Victory";
        player->m_pending_animation_delay = 2.1f;
    }
    const View view = RobotView();
    camera.ClearPathKeys();
    camera.linearTarget = true;
    camera.ClearTargetKeys();
    if (name == "Intro") {
        FillIntro(camera);
    } else if (name == "UFO") {
        FillUfo(camera, view.target, view.eye);
    } else if (name == "Mothership") {
        FillMothership(camera, view.target, view.orbit, view.eye);
    } else {
        FillWin(camera, view.target, view.head, view.orbit, view.eye);
    }
    camera.duration = sequence->duration;
    sys::Log() << "PlayerProcess: camera sequence " << camera.name << " starts";
    if (sequence->hold) {
        g_player_mode = 1;
    }
}

void PlayerProcess::Update(float dt) {
    m_play_time += dt;
    if (m_first_update) {
        if (m_endless) {
            ActivateTriggers(kTriggerDelay);
        } else if (!m_tutorial) {
            StartSequence("Intro");
        }
        SendBuildingCountClear();
        m_first_update = false;
    }
    if (g_player_cutscene) {
        SequenceStep(dt);
    }
    for (PlayerComponent* player : m_players) {
        player->Update(dt);
    }
    for (PlayerChildComponent* child : m_children) {
        child->Update(dt);
    }
}

void PlayerProcess::SequenceStep(float dt) {
    GameCamera& camera = g_game_camera;
    const bool robot = !m_players.empty() && m_players.back() != nullptr;
    f32 speed = 1.0f;
    if (camera.name == "Intro") {
        if (camera.time > kIntroSlowFrom) {
            speed = 1.0f - (camera.time - kIntroSlowFrom) / kIntroSlowSpan;
        }
    } else if (camera.name == "UFO") {
        if (camera.time > kReaimFrom && robot && camera.pathKeys.size() >= 4 &&
            camera.targetKeys.size() >= 9) {
            const View view = RobotView();
            GameCamera::PathSegment& back = camera.GetPathKey(3);
            back.curve.controlPoints.back() = view.eye;
            back.rebuild = true;
            camera.GetTargetKey(8) = {view.target, 11.0f};
        }
    } else if (camera.name == "Mothership") {
        if (camera.time > kReaimFrom && robot && camera.pathKeys.size() >= 2 &&
            camera.targetKeys.size() >= 8) {
            const View view = RobotView();
            GameCamera::PathSegment& back = camera.GetPathKey(1);
            back.rebuild = true;
            back.curve.controlPoints.back() = view.eye;
            camera.GetTargetKey(6) = {view.target, 11.5f};
            camera.GetTargetKey(7) = {view.target, 12.5f};
        }
    }

    if (camera.finished) {
        EndSequence();
        return;
    }
    if (camera.duration > 0.0f) {
        camera.time += speed * dt;
        if (camera.time >= camera.duration) {
            while (camera.time >= camera.duration) {
                camera.time -= camera.duration;
            }
            camera.finished = true;
            EndSequence();
            return;
        }
    }

    const Vector eye = camera.EvaluatePath();
    const Vector target = camera.GetTarget();
    PlayerInfo info;
    info.m_target = target;
    info.m_eye = eye;
    Message<PlayerInfo> feed(MSG_PLAYER_CAMERA, info);
    SendMessage(&feed, HANDLER_GRAPHICS_PROCESS);
    Vector look = target - eye;
    look.Normalize();
    Message<Vector> listener(MSG_SOUND_LISTENER_POSITION,
                             eye + look * PlayerComponent::kListenerDistance);
    SendMessage(&listener, HANDLER_SOUND_PROCESS);
    if (robot && m_players.back()->m_animation_controller != nullptr) {
        m_players.back()->m_animation_controller->SetAnimationSpeed("Idle", kIdleSpeed);
    }
}

void PlayerProcess::EndSequence() {
    sys::Log() << "PlayerProcess: camera sequence " << g_game_camera.name << " ends";
    Message<std::vector<unsigned int>> unpause(MSG_LEVEL_UNPAUSE_PROCESSES,
                                               std::vector<unsigned int>());
    SendMessage(&unpause, HANDLER_LEVEL_STATE);
    g_player_cutscene = false;
    g_player_mode = 3;
    if (m_ai_disabled) {
        BaseMessage ai(MSG_DISABLE_AI);
        SendMessage(&ai, HANDLER_AI_VIEW_PROCESS);
        m_ai_disabled = false;
    }
    if (g_game_camera.name == "Intro") {
        ActivateTriggers(0.0f);
    }
}

void PlayerProcess::ActivateTriggers(float delay) {
    sys::Log() << "PlayerProcess: triggers activated " << m_play_time << " s into the level";
    BaseMessage triggers(MSG_TRIGGERS_ACTIVATE);
    SendMessage(&triggers, HANDLER_TRIGGER_PROCESS, delay);
}
