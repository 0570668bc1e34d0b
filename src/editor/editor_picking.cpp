#include "editor/editor_picking.h"

#include <algorithm>
#include <cmath>

#include "core/math_functions.h"

namespace editor {

namespace {

// Corners of side k in an order that winds the two triangles (0, 1, 2) and (0, 2, 3).
constexpr Float3 kSideCorners[6][4] = {
    {{-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, 0.5f}, {-0.5f, -0.5f, 0.5f}},
    {{-0.5f, 0.5f, -0.5f}, {-0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, -0.5f}},
    {{-0.5f, -0.5f, -0.5f}, {-0.5f, 0.5f, -0.5f}, {0.5f, 0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}},
    {{0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, {0.5f, -0.5f, 0.5f}},
    {{-0.5f, -0.5f, 0.5f}, {0.5f, -0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {-0.5f, 0.5f, 0.5f}},
    {{-0.5f, -0.5f, -0.5f}, {-0.5f, -0.5f, 0.5f}, {-0.5f, 0.5f, 0.5f}, {-0.5f, 0.5f, -0.5f}},
};

Float3 Add(const Float3& a, const Float3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Float3 Scale(const Float3& a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}

} // namespace

Ray PickRay(float x, float y, float width, float height, const Float4x4& view,
            const Float4x4& projection) {
    const Float3 v{(2.0f * x / width - 1.0f) / projection(0, 0),
                   -(2.0f * y / height - 1.0f) / projection(1, 1), 1.0f};
    const Float4x4 inverse = Math::MatrixInverse(view).value_or(Math::MatrixIdentity());
    Ray ray;
    ray.direction = Math::Vec3Normalize(Math::Vec3TransformNormal(v, inverse));
    ray.origin = {inverse(3, 0), inverse(3, 1), inverse(3, 2)};
    return ray;
}

UnitBoxHit IntersectUnitBox(const Float3& origin, const Float3& direction) {
    UnitBoxHit result;
    for (u32 side = 0; side < 6; ++side) {
        const Float3* c = kSideCorners[side];
        const Float3 triangles[2][3] = {{c[0], c[1], c[2]}, {c[0], c[2], c[3]}};
        for (u32 half = 0; half < 2; ++half) {
            float u = 0.0f;
            float v = 0.0f;
            float distance = 0.0f;
            if (!Math::IntersectTri(triangles[half][0], triangles[half][1], triangles[half][2],
                                    origin, direction, u, v, distance)) {
                continue;
            }
            ++result.count;
            if (!result.hit || distance < result.distance) {
                result.hit = true;
                result.distance = distance;
                result.face = side * 2 + half;
            }
        }
    }
    return result;
}

Float4x4 ObjectBoxMatrix(const Vector& position, const Quaternion& orientation, const Vector& scale,
                         const Float3& boxMin, const Float3& boxMax, float grow) {
    const Vector centre((boxMin.x + boxMax.x) * 0.5f, (boxMin.y + boxMax.y) * 0.5f,
                        (boxMin.z + boxMax.z) * 0.5f);
    const Vector turned = Math::RotateByQuaternion(centre, orientation);
    const Float3 world{position.x + scale.x * turned.x, position.y + scale.y * turned.y,
                       position.z + scale.z * turned.z};
    const auto side = [](float lo, float hi, float s) { return std::max(0.01f, (hi - lo) * s); };
    const Float4x4 scaling = Math::MatrixScaling(side(boxMin.x, boxMax.x, scale.x) + grow,
                                                 side(boxMin.y, boxMax.y, scale.y) + grow,
                                                 side(boxMin.z, boxMax.z, scale.z) + grow);
    return scaling * Math::MatrixRotationQuaternion(orientation) *
           Math::MatrixTranslation(world.x, world.y, world.z);
}

std::optional<BoxRayHit> IntersectBox(const Ray& ray, const Float4x4& world, bool needTwoHits) {
    const std::optional<Float4x4> inverse = Math::MatrixInverse(world);
    if (!inverse) {
        return std::nullopt;
    }
    const Float3 origin = Math::Vec3TransformCoord(ray.origin, *inverse);
    const Float3 direction =
        Math::Vec3Normalize(Math::Vec3TransformNormal(ray.direction, *inverse));
    const UnitBoxHit hit = IntersectUnitBox(origin, direction);
    if (!hit.hit || (needTwoHits && hit.count < 2)) {
        return std::nullopt;
    }
    const Float3 local = Add(origin, Scale(direction, hit.distance));
    BoxRayHit result;
    result.point = Math::Vec3TransformCoord(local, world);
    const Float3 offset{result.point.x - ray.origin.x, result.point.y - ray.origin.y,
                        result.point.z - ray.origin.z};
    result.distance = Math::Vec3Length(offset);
    result.face = hit.face;
    return result;
}

void SnapToGrid(Vector& v) {
    for (unsigned i = 0; i < 3; ++i) {
        const float c = v[i];
        const float lower = std::floor(c);
        v[i] = c - lower < 0.5f ? lower : std::ceil(c);
    }
}

i32 DragAccumulators::TranslateStep(float amount) {
    move += amount;
    const float whole = std::trunc(move);
    move -= whole;
    return static_cast<i32>(whole);
}

float DragAccumulators::ScaleStep(float amount) {
    move += amount;
    const float step = std::trunc(move * 20.0f) * 0.05f;
    move -= step;
    return step;
}

float DragAccumulators::RotateStep(float amount) {
    const bool positive = amount > 0.0f;
    const bool gathered = rotate > 0.0f;
    if (positive != gathered) {
        rotate = 0.0f;
    }
    rotate += amount;
    const float angle = std::trunc(rotate * 3.8197186f) * 0.2617994f;
    rotate -= angle;
    return angle;
}

} // namespace editor
