#include "ai/unit_weapon.h"

#include <string>

#include "ai/ai_view_component.h"
#include "ai/ai_view_process.h"
#include "ai/state_machine.h"
#include "ai/unit_names.h"
#include "ai/unit_services.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "platform/system/log.h"

namespace {

void RequestProjectile(AIViewComponent& unit, const char* type) {
    sys::Log() << "AI unit \"" << unit.Name() << "\": fires a " << type;
    Message<std::string> create(MSG_LEVEL_CREATE_OBJECT, type);
    unit.SendMessage(&create, HANDLER_LEVEL_STATE);
}

// The sound paths here are loaded on first use, apart from the preloaded "./" ones.
void PlayShot(AIViewComponent& unit, const char* path, float volume) {
    AIViewProcess* const ai = unit.Process();
    UnitAudio* const audio = ai != nullptr ? ai->Audio() : nullptr;
    if (audio == nullptr || unit.owner == nullptr) {
        return;
    }
    if (SoundInstance* const instance = audio->PlayerInstance(*unit.owner, path)) {
        audio->Play(instance, volume, false);
    }
}

} // namespace

void FireUnitWeapon(bool* shootAnimPlayed, State* state, float* weaponTimer) {
    if (state == nullptr || state->m_machine == nullptr ||
        state->m_machine->GetOwner() == nullptr) {
        return;
    }
    AIViewComponent& unit = *state->m_machine->GetOwner();
    const std::string& name = unit.Name();
    if (Contains(name, "AI-Ground-Tank")) {
        if (*weaponTimer > 1.75f && !*shootAnimPlayed) {
            *shootAnimPlayed = true;
            AIViewProcess* const ai = unit.Process();
            if (ai != nullptr && ai->Look() != nullptr && unit.owner != nullptr &&
                ai->Look()->HasGraphic(*unit.owner)) {
                ai->Look()->PlayAnimation(*unit.owner, "Shoot");
            }
        } else if (*weaponTimer > 2.0f) {
            *shootAnimPlayed = false;
            RequestProjectile(unit, "Rocket");
            PlayShot(unit, "assets/sound fx/tank_shot.mp3", 0.5f);
            *weaponTimer = 0.0f;
        }
    } else if (name == "AI-Fly-Helicopter") {
        if (*weaponTimer > 2.5f) {
            RequestProjectile(unit, "Rocket");
            PlayShot(unit, "assets/sound fx/helicopter_shot.mp3", 0.25f);
            *weaponTimer = 0.0f;
        }
    } else if (name == "AI-Ground-Truck") {
        RequestProjectile(unit, "Rocket");
    } else if (name == "AI-Ground-Jeep") {
        RequestProjectile(unit, "Bullet");
        PlayShot(unit, "assets/sound fx/minigun_5shot.mp3", 0.25f);
    }
}
