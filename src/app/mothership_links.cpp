#include "app/mothership_links.h"

#include "ai/laser_weapons.h"
#include "ai/mothership_states.h"
#include "audio/sound_instance_control.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "player/player_component.h"

namespace {

// The turrets fire the flying units' pulse weapon.
class Links final : public MothershipLinks {
  public:
    bool DamageRobot(GameObject& robot, f32 amount) override {
        auto* const player =
            dynamic_cast<PlayerComponent*>(robot.GetComponent(ComponentType::Player));
        if (player == nullptr) {
            return false;
        }
        player->TakeDamage(amount);
        return true;
    }
    void FireLaserPulse(State& turret, f32& threshold) override {
        ::FireLaserPulse(turret, threshold);
    }
    SoundControl* Sounds() override { return SoundInstanceControl::Instance(); }
};

} // namespace

MothershipLinks* LevelMothershipLinks() {
    static Links links;
    return &links;
}
