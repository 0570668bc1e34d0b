#include "graphics/mesh_point_lists.h"

#include <cmath>

namespace {

constexpr u32 kTableSize = 7;
constexpr float kBinomials[kTableSize][kTableSize] = {
    {1, 0, 0, 0, 0, 0, 0}, {1, 1, 0, 0, 0, 0, 0},   {1, 2, 1, 0, 0, 0, 0},    {1, 3, 3, 1, 0, 0, 0},
    {1, 4, 6, 4, 1, 0, 0}, {1, 5, 10, 10, 5, 1, 0}, {1, 6, 15, 20, 15, 6, 1},
};

} // namespace

float MeshPointLists::Binomial(u32 n, u32 k) {
    if (k > n) {
        return 0.0f;
    }
    if (n < kTableSize) {
        return kBinomials[n][k];
    }
    if (k == 0 || k == n) {
        return 1.0f;
    }
    return Binomial(n - 1, k - 1) + Binomial(n - 1, k);
}

Vector BezierPoint(const std::vector<Vector>& points, float t) {
    Vector sum(0.0f, 0.0f, 0.0f);
    const std::size_t count = points.size();
    for (std::size_t k = 0; k < count; ++k) {
        const u32 n = static_cast<u32>(count - 1);
        const float weight = MeshPointLists::Binomial(n, static_cast<u32>(k)) *
                             std::pow(t, static_cast<float>(k)) *
                             std::pow(1.0f - t, static_cast<float>(n - k));
        sum += points[k] * weight;
    }
    return sum;
}

Vector MeshPointLists::EvaluateCurve(float t) {
    const auto cached = curveCache.find(t);
    if (cached != curveCache.end()) {
        return cached->second;
    }
    const Vector point = BezierPoint(controlPoints, t);
    curveCache.emplace(t, point);
    return point;
}

void MeshPointLists::ClearCaches() {
    curveCache.clear();
    sideCache.clear();
    normalCache.clear();
}
