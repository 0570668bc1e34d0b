#include "ai/mothership_builder.h"

#include <string>

#include "PhysX/physx_component.h"
#include "animation/composite_part.h"
#include "core/asset_paths.h"
#include "core/component.h"
#include "core/game_object.h"
#include "game/game_state.h"

namespace {

constexpr const char* kMothershipTube = "AI-Boss-Fly-MothershipTube";

PhysXComponent* BodyOf(GameObject* object) {
    return object != nullptr
               ? dynamic_cast<PhysXComponent*>(object->GetComponent(ComponentType::Physics))
               : nullptr;
}

// Every part answers to the base's physics id, so a blast that spares the base spares the
// whole boss.
void HangOn(GameObject* base, GameObject* part) {
    PhysXComponent* const baseBody = BodyOf(base);
    PhysXComponent* const partBody = BodyOf(part);
    if (baseBody != nullptr && partBody != nullptr) {
        partBody->SetId(baseBody->GetId());
    }
    AttachPart(base, part);
}

} // namespace

StreamMap MothershipTubeParameters(u32 index) {
    StreamMap stream(StreamMap::kDefaultCapacity);
    stream.WriteString(kMothershipTube);
    stream.WriteString("Graphic");
    stream.AddString("Mesh", asset_path::MothershipTubeMesh(index));
    stream.AddString("Bump Map", "");
    stream.AddString("Specular Map", "");
    stream.AddBool("Cast Shadow", false);
    stream.AddFloat("HDR Multiplier", 1.0f);
    stream.AddFloat("Specular Power", 0.0f);
    stream.AddBool("Render Red", false);
    stream.AddBool("Animated", false);
    stream.AddString("Breakable", "false");
    return stream;
}

GameObject* CreateMothership(GameState& state) {
    GameObject* const base = state.CreateObject("AI-Boss-Fly-MothershipBase");
    if (base == nullptr) {
        return nullptr;
    }
    HangOn(base, state.CreateObject("AI-Boss-Fly-MothershipBFG"));
    HangOn(base, state.CreateObject("AI-Boss-Fly-MothershipBFGCore"));
    for (u32 i = 0; i < kMothershipTurrets; ++i) {
        GameObject* const turret = state.CreateObject("AI-Boss-Fly-MothershipTurret");
        if (turret == nullptr) {
            continue;
        }
        StreamMap parameters = MothershipTubeParameters(i);
        if (Component* tube = state.CreateComponent(ComponentType::Graphic, &parameters)) {
            turret->AddComponent(ComponentType::Graphic, tube);
            // The turret's own components were initialised when it was made.
            tube->Initialize();
        }
        HangOn(base, turret);
    }
    for (u32 i = 0; i < kMothershipHatches; ++i) {
        HangOn(base, state.CreateObject("AI-Boss-Fly-MothershipHatch"));
    }
    return base;
}
