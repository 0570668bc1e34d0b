#pragma once
// Scripted camera shots: a position that runs along a chain of Bézier segments, a viewing
// direction that turns through rotation keys (or a look-at point that moves through point
// keys), all driven by one clock. The player's code fills the keys, sets the clock and
// reads the camera each frame.

#include <string>
#include <vector>

#include "core/entity.h"
#include "core/quaternion.h"
#include "core/types.h"
#include "core/vector.h"
#include "graphics/mesh_point_lists.h"

class GameCamera : public Entity {
  public:
    struct RotationKey {
        Quaternion rotation;
        float time = 0.0f;
    };
    struct PathSegment {
        MeshPointLists curve;
        float startTime = 0.0f;
        float endTime = 0.0f;
        // Set after the control points were changed: the curve is refitted before it is
        // next evaluated.
        bool rebuild = false;
    };
    struct TargetKey {
        Vector point;
        float time = 0.0f;
    };

    GameCamera() = default;
    ~GameCamera() override = default;

    // Runs the clock while a duration is set; passing the duration wraps the clock to the
    // start and ends the shot.
    void Update(float dt) override;

    Vector EvaluatePath();
    Quaternion EvaluateRotation() const;
    // The look-at point: one unit ahead of the path along the rotation, or the point keys'
    // position when linearTarget is set.
    Vector GetTarget();

    void AddPathKey(const PathSegment& segment) { pathKeys.push_back(segment); }
    // The index must be below the number of keys.
    PathSegment& GetPathKey(std::size_t index);
    void ClearPathKeys() { pathKeys.clear(); }
    void AddTargetKey(const Vector& point, float keyTime) {
        targetKeys.push_back({point, keyTime});
    }
    TargetKey& GetTargetKey(std::size_t index);
    void ClearTargetKeys() { targetKeys.clear(); }

    // Ascending in time.
    std::vector<RotationKey> rotationKeys;
    std::vector<PathSegment> pathKeys;
    float time = 0.0f;
    // 0: the clock does not run.
    float duration = 0.0f;
    bool finished = false;
    bool linearTarget = false;
    // Ascending in time.
    std::vector<TargetKey> targetKeys;
    std::string name;
};

// The one camera; exists before main runs.
extern GameCamera g_game_camera;
