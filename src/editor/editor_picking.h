#pragma once
// The level editor's geometry on the CPU: the ray under the cursor, the test of a ray
// against the renderer's unit box (what the mesh intersection of that box answers), object
// boxes, the grid snap and the accumulators that turn mouse motion into whole steps.
#include <optional>

#include "core/math_types.h"
#include "core/quaternion.h"
#include "core/types.h"
#include "core/vector.h"

namespace editor {

struct Ray {
    Float3 origin;
    Float3 direction;
};

// The ray through client pixel (x, y) of a width × height view.
Ray PickRay(float x, float y, float width, float height, const Float4x4& view,
            const Float4x4& projection);

// The box from −0.5 to 0.5 on each axis, as twelve triangles; faces 2k and 2k+1 make side
// k, whose outward normal is kSideNormals[k].
inline constexpr Float3 kSideNormals[6] = {{0, -1, 0}, {0, 1, 0}, {0, 0, -1},
                                           {1, 0, 0},  {0, 0, 1}, {-1, 0, 0}};

struct UnitBoxHit {
    bool hit = false;
    // Triangles met in front of the origin.
    u32 count = 0;
    // The nearest triangle and its distance along the (normalised) direction.
    u32 face = 0;
    float distance = 0.0f;
};
UnitBoxHit IntersectUnitBox(const Float3& origin, const Float3& direction);

// scaling(size) × rotation × translation of an object's box: its model-space box turned,
// scaled and placed with the object, each side at least 0.01 plus `grow`.
Float4x4 ObjectBoxMatrix(const Vector& position, const Quaternion& orientation, const Vector& scale,
                         const Float3& boxMin, const Float3& boxMax, float grow);

struct BoxRayHit {
    float distance = 0.0f;
    u32 face = 0;
    Float3 point;
};
// The ray against the unit box placed by `world`. An object box counts only with two
// triangles met (the ray starts outside it); a handle box with any.
std::optional<BoxRayHit> IntersectBox(const Ray& ray, const Float4x4& world, bool needTwoHits);

// Each component to its nearest whole number, halves up.
void SnapToGrid(Vector& v);

// Mouse motion turned into whole steps: what is left below one step is kept for the next
// frame. Both fields go back to 0 when a drag begins and while none is under way.
struct DragAccumulators {
    float move = 0.0f;
    float rotate = 0.0f;

    void Reset() { move = rotate = 0.0f; }
    // Whole units to move by after adding `amount`.
    i32 TranslateStep(float amount);
    // The scale change (in steps of 0.05) after adding `amount`.
    float ScaleStep(float amount);
    // The angle (in steps of 15°) after adding `amount`; a change of direction drops what
    // was gathered the other way.
    float RotateStep(float amount);
};

} // namespace editor
