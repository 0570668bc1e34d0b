#include "app/mothership_links.h"

#include "ai/mothership_states.h"
#include "audio/sound_instance_control.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "player/player_component.h"

namespace {

// The turrets' pulses come with the flying units' pulse weapon; until it is installed here
// they hold their fire.
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
    SoundControl* Sounds() override { return SoundInstanceControl::Instance(); }
};

} // namespace

MothershipLinks* LevelMothershipLinks() {
    static Links links;
    return &links;
}
