#pragma once
// The "Player" component (the robot itself) and the "PlayerChild" component (one of its body
// parts). The robot's component reads the controls once a frame and runs its frame: death and
// respawn, the holds of the camera sequences, walking, jumps, punches, grabs, the laser, mouse
// look, the camera feed, health and the hit flash.
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "core/definition_component.h"
#include "core/memory_allocator.h"
#include "core/quaternion.h"
#include "core/types.h"
#include "core/vector.h"
#include "game/bound_controls.h"
#include "player/active_laser_beam.h"

class AnimationController;
class BeamMesh;
class Component;
class ControlsSource;
class GameObject;
struct LaserBeamInfo;
class ParticleSystemCPU;
class PhysXComponent;
class PlayerProcess;
class RobotAudio;
struct Collision;

// One arm's punch.
struct PunchState {
    enum Phase : i32 { kStart = 0, kCharge = 1, kRelease = 2, kRocketFlight = 3, kRest = 4 };

    i32 phase = kStart;
    f32 charge = 0.0f;
    f32 speed = 0.0f;
    f32 elapsed = 0.0f;
    GameObject* rocket_arm = nullptr;
    u8 rocket = 0;
    u8 released = 0;
};

class PlayerComponent : public DefinitionComponent, public Allocator<PlayerComponent> {
  public:
    // The robot's body parts among its base's children.
    static constexpr u32 kPartCount = 6;
    static constexpr u32 kBody = 0;
    static constexpr u32 kRightArm = 2;
    static constexpr u32 kLeftArm = 3;
    static constexpr i32 kMaxPowerLevel = 7;
    // The camera looks at a point this high above the robot from this far away, and the
    // listener stands this far in front of the eye.
    static constexpr f32 kCameraHeight = 19.0f;
    static constexpr f32 kOrbitRadius = 42.0f;
    static constexpr f32 kListenerDistance = 20.0f;
    // Right-arm actions.
    static constexpr i32 kArmPunching = 0;
    static constexpr i32 kArmFree = 4;

    PlayerComponent(std::string objectType, ControlsSource* controls, bool editorTest);
    ~PlayerComponent() override;

    void Update(float dt) override;
    void Initialize() override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    // Health lost from a hit; nothing while damage is off, in a sequence or hold, or while
    // health refills after a respawn.
    void TakeDamage(float amount);

    // Frame steps; the movement and arm operations are filled by their own work.
    void UpdateLocomotion(Vector& move, float dt, const Quaternion& heading);
    void UpdateJump(float dt, const Quaternion& heading);
    // True once the punch is over and the arm is free again.
    bool Punch(float dt, const Quaternion& heading, PunchState& punch, const std::string& side,
               u32 track, u32 part);
    void UpdateGrab(float dt);
    void UpdateLaser(float dt);
    void UpdateHealthMeter();
    void UpdateHeadRegrowth(float dt);
    // Places the held object in the right hand.
    void AttachHeldObject();
    void IncreasePowerLevel();
    void UpdateLaserBeam(ActiveLaserBeam& beam);
    void UpdateMouseLook(Quaternion& heading);
    void UpdateCamera(float dt, const Quaternion& heading);

    // From the point the camera looks at to its eye, by the camera's yaw and pitch.
    Vector Orbit() const;
    // The owner's orientation without its base turn.
    Quaternion Heading() const;
    // The money text of an experience value: "$1,234,567.89".
    static std::string MoneyText(double value);

    // The process that made the component, or null.
    PlayerProcess* Process() const;
    // The body part k (a child of the owner), or null.
    GameObject* Part(u32 k) const;

    ControlsSource* const m_input_controls;
    const bool m_editor_test;
    Vector m_camera_target;
    Vector m_camera_eye;
    BoundControls m_input;
    i32 m_arm_state = kArmFree;
    PunchState m_right_punch;
    PunchState m_left_punch;
    i32 m_power_level = kMaxPowerLevel;
    Quaternion m_grab_orientation;
    AnimationController* m_animation_controller = nullptr;
    Component* m_sound_player = nullptr;
    // The engine hum starts on the first update: Initialize may run on the level loader's
    // thread, and sounds are played on the main thread only.
    bool m_hum_pending = false;
    ParticleSystemCPU* m_reply_particle_system = nullptr;
    GameObject* m_held_object = nullptr;
    GameObject* m_reply_object = nullptr;
    GameObject* m_fake_head = nullptr;
    // The hand, the head and the laser.
    GameObject* m_throw_target = nullptr;
    i32 m_hold_axis = 1;
    f32 m_arm_timer = 0.0f;
    f32 m_grab_hold_time = 0.0f;
    f32 m_parts_collision_time = -1.0f;
    f32 m_head_off_time = -1.0f;
    u8 m_head_thrown = 0;
    i32 m_meter_segments = 11;
    f32 m_laser_hold_time[4] = {};
    std::list<ActiveLaserBeam> m_laser_beams;
    std::list<GameObject> m_laser_end_points;
    f32 m_pitch;
    f32 m_yaw = 0.0f;
    f32 m_camera_pitch;
    f32 m_target_yaw = 0.0f;
    f32 m_target_pitch = 0.0f;
    Vector m_camera_offset;
    Vector m_held_camera_offset;
    f32 m_forward_tap_time = 0.5f;
    f32 m_juggernaut_time = 0.0f;
    f32 m_air_time = 0.0f;
    u8 m_left_punching = 0;
    u8 m_juggernaut = 0;
    u8 m_idle = 1;
    u8 m_walking_forward = 1;
    f32 m_health = 100.0f;
    f32 m_max_health = 100.0f;
    f32 m_hit_flash = 0.0f;
    u8 m_reply_valid = 0;
    u8 m_regenerating = 0;
    u8 m_dying = 0;
    f32 m_death_time = -1.0f;
    f32 m_respawn_time = -1.0f;
    f32 m_damage_rate = 1.0f;
    f32 m_laser_cooldown = 0.0f;
    u8 m_laser_firing = 0;
    u8 m_jumping = 0;
    u8 m_touching = 1;
    u8 m_airborne = 0;
    u8 m_physics_stepped = 0;
    u8 m_light_jump = 0;
    u8 m_falling = 0;
    u8 m_ground_pound = 0;
    // Whether the player's movement keys moved the robot last step; where it comes to a halt
    // is logged.
    u8 m_steered = 0;
    f32 m_jump_time = 0.0f;
    f32 m_jump_press_time = 0.0f;
    f32 m_punch_reset_time = -1.0f;
    Vector m_last_velocity;
    Vector m_last_position;
    f64 m_experience = 0.0;
    f32 m_pending_animation_delay = 0.0f;
    std::string m_pending_animation;
    // The first mouse-look call reads no movement.
    u8 m_first_mouse_frame = 1;
    // Each part's glow as the hit flash sets it: highlighted, and its brightness. The part's
    // graphic shows them.
    u8 m_part_highlight[kPartCount] = {};
    // Parts whose graphic is hidden (an arm flying off as a rocket).
    u8 m_part_hidden[kPartCount] = {};
    f32 m_step_clock = 0.0f;
    f32 m_part_brightness[kPartCount] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};

  private:
    void DeathStep(float dt);
    void HoldStep(float dt, Quaternion& heading);
    void PlayerControlStep(float dt, Quaternion& heading);
    void HitFlashStep(float dt);
    void Contact(const Collision& contact);
    void ClearHighlights();
    void SendToHandler(u32 type, u32 to);
    // The robot's own body, or null for a base defined without one.
    PhysXComponent* Body() const;
    PhysXComponent* PartBody(u32 k) const;
    void PlayOnce(const char* path, f32 volume);
    // The audio service of the owning player process, or null.
    RobotAudio* Audio() const;
    void FadeCombatClips(f32 weight, f32 duration);
    void ChooseGroundClip(const Vector& move);
    // The upper body's turn toward the direction of the move.
    static f32 TwistAngle(const Vector& move);
    // The weight of the walk clip running on the first track.
    f32 WalkWeight() const;
    // Keeps some of the idle pose on track 1 after a landing of this hardness.
    void LandingPose(f32 hardness);
    void ShowFootJets(bool shown);
    void FireArm(PunchState& punch, const std::string& side, u32 track, u32 part);
    // The hand and the head.
    bool AskValid(GameObject* object, u32 type, u32 handler);
    GameObject* AskObject(u32 type, u32 handler, const Vector& aim);
    void UnmarkThrowTarget(GameObject* unit);
    void SetPartsCollision(bool enabled);
    void StartGrab();
    void PullHead();
    void BeginHolding();
    void HoldingStep(u8 key);
    void Throw();
    // A particle system of the renderer's, started at the point; null when there is none.
    ParticleSystemCPU* CreateEffect(const char* name, const Vector& at);
    void FireLaser(bool charged);
    void FinishBeam(ActiveLaserBeam& beam);
    void SendBeam(u32 type, const ActiveLaserBeam& beam, const LaserBeamInfo& info);
    bool IsEndPoint(const GameObject* object) const;
};

class PlayerChildComponent : public DefinitionComponent, public Allocator<PlayerChildComponent> {
  public:
    // The body's cables run to the legs, the arms and the head, in that order.
    static constexpr u32 kCableCount = 5;
    static constexpr u32 kHeadCable = 4;
    // The tube graphics' boxes are widened this much: a bent cable leaves its straight box.
    static constexpr f32 kCableBoxScale = 10.0f;

    explicit PlayerChildComponent(std::string objectType);
    ~PlayerChildComponent() override;
    PlayerChildComponent(const PlayerChildComponent&) = delete;
    PlayerChildComponent& operator=(const PlayerChildComponent&) = delete;

    // On "RobotBody": a cable from each of its Graphic components after the first (at most
    // five, in order). Other parts have none.
    void Initialize() override;
    // On "RobotBody": bends each cable from the body to its joint, in the body's frame.
    void Update(float dt) override;
    // Hits on this part: damage to the robot, blur and the effects at the contact point.
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    // The head cable swells while the head grows back; all three 0 removes the bulge.
    void SetBulge(f32 amplitude, f32 centre, f32 spread);
    // Cable i, or null where there is none.
    BeamMesh* Cable(u32 index) const;

  private:
    std::vector<std::unique_ptr<BeamMesh>> m_cables;
};
