#pragma once
// The look of the level's units over the renderer: their graphic component (red flash, glow,
// clips, breaking), their particle systems (objective markers, flames) and the emission of
// the system they carry.
#include "ai/unit_services.h"

class GraphicComponent;

// The object's graphic component when it has a broken version to fall apart into, else null
// (what the game logic breaks when a barrier is blown away or a building demolished).
GraphicComponent* BreakableGraphicOf(GameObject& object);

class LevelUnitLook : public UnitLook {
  public:
    bool HasGraphic(GameObject& object) override;
    bool RenderRed(GameObject& object) override;
    void SetRenderRed(GameObject& object, bool red) override;
    f32 HdrMultiplier(GameObject& object) override;
    void SetHdrMultiplier(GameObject& object, f32 multiplier) override;
    void SetAnimationSpeedAll(GameObject& object, f32 speed) override;
    void PlayAnimation(GameObject& object, const std::string& clip) override;
    void BreakObject(GameObject& object, MessageHandler& sender) override;
    void AddObjectiveMarker(GameObject& object) override;
    void SetObjectiveMarkerLook(GameObject& object, bool inMenu) override;
    void SetAnimationPaused(GameObject& object, const std::string& clip, bool paused) override;
    void SetEmissionPaused(GameObject& object, bool paused) override;
    void AddParticleSystems(GameObject& object, const std::vector<std::string>& names) override;

    // The small marker objective units carry.
    static constexpr const char* kMarker = "ObjectiveSmall";
};
