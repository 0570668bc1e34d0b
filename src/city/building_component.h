#pragma once
// The "Building" component: a destructible piece of the city (office blocks, gas stations,
// reactors, billboards, light posts, parked cars). It keeps the object's health, takes
// damage from contacts and pushes, shades its graphic by damage, crumbles and collapses, and
// flags itself for removal; the building process keeps it in the building quadtree and takes
// finished buildings out of the level. The robot can grab and throw buildings, which changes
// how they take damage.
#include <list>
#include <string>
#include <vector>

#include "city/quadtree.h"
#include "core/definition_component.h"
#include "core/types.h"
#include "game/holdable.h"
#include "player/struck_building.h"

class BuildingProcess;
class PhysXComponent;
struct Collision;

class BuildingComponent : public DefinitionComponent,
                          public QuadtreeObject<BuildingComponent*>,
                          public StruckBuilding,
                          public Holdable {
  public:
    // Shared by every building: scales all damage. Reset to 1 with every building process.
    static inline float s_damage_multiplier = 1.0f;

    static constexpr float kThrowRamp = 0.75f;
    // Health below which a building's lights go out.
    static constexpr float kLightsOutHealth = 4.8f;
    // Crumble time of a loose piece before it collapses.
    static constexpr float kCrumbleEnd = 4.75f;
    // Loose pieces farther than this from the robot are taken away (squared: 600 units).
    static constexpr float kFarSquared = 360000.0f;

    BuildingComponent(const std::string& objectType, float health, bool grabbable,
                      BuildingProcess* buildingProcess = nullptr);
    ~BuildingComponent() override;

    void Update(float dt) override;
    void Initialize() override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    // m_health -= G * f * amount, f = 2 scaled by the cube of the throw ramp while thrown
    // (nothing at the moment of release, all of it once the ramp is over).
    void Damage(float amount);
    // A hit by the robot's limbs: four times Damage.
    void DamageHeavy(float amount);
    // The f of Damage.
    float ThrowFactor() const;
    // Health ran out: the collapse starts now.
    void StartCollapse();
    // A standing building the robot cannot lift is fixed where it stands: no contact and no
    // push moves its body (all its axes are frozen), so a fist driven into its wall, the
    // robot walking into it or a punch's push leave it in place while it takes their damage.
    // It leaves its place only as the pieces it collapses into. Done once its body exists.
    void Anchor();
    // Quadtree upkeep with the owner's position.
    void UpdatePosition(const Vector& pos) { QuadtreeObject::UpdatePosition(pos, this); }

    PhysXComponent* Physics() const;
    bool Loose() const override { return m_loose; }
    // In the robot's hand; a building keeps flying as thrown once it is let go.
    void SetHeld() override {
        m_held = true;
        m_thrown = true;
        m_throw_time = 0.0f;
    }
    void SetThrown(float, bool) override { m_held = false; }
    BuildingProcess* GetBuildingProcess() const { return m_building_process; }

    bool m_remove = false;
    bool m_collapsing = false;
    bool m_held = false;
    bool m_thrown = false;
    bool m_loose = false;
    bool m_grabbable = false;
    // Fixed where it stands (Anchor).
    bool m_anchored = false;
    bool m_silent = false;
    float m_health = 0.0f;
    float m_max_health = 0.0f;
    float m_timer = 0.0f;
    float m_throw_time = 0.0f;
    float m_throw_ramp = kThrowRamp;
    i32 m_spawn_id = -1;
    u32 m_physics_id = 0;
    float m_bounding_radius = 0.0f;
    // The level has been asked to delete the object; it is not removed twice.
    bool m_handed_over = false;

  private:
    void OnStartTouch(GameObject* other, const std::string& otherType);
    void OnTouch(const Collision& contact, const std::string& otherType);
    void OnForce(float force);
    void LightsOutWhenWeak();
    // A loose piece the robot never threw sounds only now and then.
    bool QuietLoosePiece(int oneIn);
    void PlayImpact(const std::string& path, float volume);
    GameObject* RobotObject() const;

    BuildingProcess* m_building_process;
};

// Collects the buildings of a region of the building quadtree.
class ClosestBuildingQuadtreeTraversal : public QuadtreeTraversal<BuildingComponent*> {
  public:
    explicit ClosestBuildingQuadtreeTraversal(std::list<BuildingComponent*>* resultList)
        : QuadtreeTraversal(resultList) {}
    explicit ClosestBuildingQuadtreeTraversal(std::vector<BuildingComponent*>* resultVector)
        : QuadtreeTraversal(resultVector) {}
};
