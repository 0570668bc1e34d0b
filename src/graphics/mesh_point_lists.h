#pragma once
// Control points of a Bézier curve with cached evaluations, the base of bent beam meshes
// and of camera path segments.

#include <map>
#include <vector>

#include "core/types.h"
#include "core/vector.h"

// The Bézier curve over the points at t in [0, 1], in Bernstein form; (0, 0, 0) without
// points.
Vector BezierPoint(const std::vector<Vector>& points, float t);

class MeshPointLists {
  public:
    MeshPointLists() = default;

    // The curve through all control points at t in [0, 1], in Bernstein form; each t is
    // computed once until the cache is cleared. (0, 0, 0) without control points.
    Vector EvaluateCurve(float t);
    // Forgets every cached evaluation, after the points changed.
    void ClearCaches();

    // Binomial coefficient n over k, from a table up to n = 6 and the triangle rule above.
    static float Binomial(u32 n, u32 k);

    std::vector<Vector> controlPoints;
    // Point i + 1 minus point i.
    std::vector<Vector> differencePoints;
    std::vector<Vector> positions;
    std::map<float, Vector> curveCache;
    std::map<float, Vector> sideCache;
    std::map<float, Vector> normalCache;
};
