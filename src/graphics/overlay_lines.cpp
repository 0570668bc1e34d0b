#include "graphics/overlay_lines.h"

#include <algorithm>
#include <cmath>

namespace overlay_lines {

namespace {

constexpr float kTwoPi = 6.28318530718f;
// A box's corners are numbered by bits: 1 for x, 2 for z, 4 for y at their maxima.
constexpr u32 kCornerAxisBits[3] = {1, 2, 4};

Float3 Lerp(const Float3& a, const Float3& b, float t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

void AddLine(std::vector<OverlayVertex>& lines, const Float3& a, const Float3& b, u32 colour) {
    lines.push_back({a, colour});
    lines.push_back({b, colour});
}

// Calls edge(from, to) for the twelve edges of corners numbered as a box's are.
template <class Edge> void ForEachEdge(const Float3 (&corners)[8], Edge edge) {
    for (u32 bit : kCornerAxisBits) {
        for (u32 i = 0; i < 8; ++i) {
            if ((i & bit) == 0) {
                edge(corners[i], corners[i | bit]);
            }
        }
    }
}

} // namespace

std::vector<OverlayVertex> BoxEdges(const BoxRecord& box, u32 colour) {
    std::vector<OverlayVertex> lines;
    lines.reserve(24);
    ForEachEdge(box.corners,
                [&](const Float3& a, const Float3& b) { AddLine(lines, a, b, colour); });
    return lines;
}

std::vector<OverlayVertex> UnitBox(u32 colour) {
    BoxRecord box;
    BoundingBox::ComputeCorners(box, {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f});
    return BoxEdges(box, colour);
}

std::vector<OverlayVertex> UnitSphere(u32 colour) {
    std::vector<OverlayVertex> lines;
    lines.reserve(3 * kCircleSegments * 2);
    // Each circle in the plane of two axes: (cos, sin) on axes a and b.
    const auto point = [](u32 plane, float angle) {
        const float c = std::cos(angle);
        const float s = std::sin(angle);
        switch (plane) {
        case 0:
            return Float3{c, s, 0.0f};
        case 1:
            return Float3{0.0f, c, s};
        default:
            return Float3{s, 0.0f, c};
        }
    };
    for (u32 plane = 0; plane < 3; ++plane) {
        for (u32 i = 0; i < kCircleSegments; ++i) {
            const float a0 = kTwoPi * static_cast<float>(i) / kCircleSegments;
            const float a1 = kTwoPi * static_cast<float>(i + 1) / kCircleSegments;
            AddLine(lines, point(plane, a0), point(plane, a1), colour);
        }
    }
    return lines;
}

std::vector<OverlayVertex> CornerTicks(const BoxRecord& box, u32 colour) {
    std::vector<OverlayVertex> lines;
    lines.reserve(48);
    ForEachEdge(box.corners, [&](const Float3& a, const Float3& b) {
        AddLine(lines, a, Lerp(a, b, 0.25f), colour);
        AddLine(lines, b, Lerp(b, a, 0.25f), colour);
    });
    return lines;
}

std::vector<OverlayVertex> TopPin(const BoxRecord& box, const Float3& eye, u32 colour) {
    const Float3 top{(box.min.x + box.max.x) / 2, box.max.y, (box.min.z + box.max.z) / 2};
    const float dx = top.x - eye.x;
    const float dy = top.y - eye.y;
    const float dz = top.z - eye.z;
    // A twentieth of the distance: the same share of the screen at any range.
    const float size = std::max(std::sqrt(dx * dx + dy * dy + dz * dz) * 0.05f, 0.5f);
    const Float3 head{top.x, top.y + size, top.z};
    std::vector<OverlayVertex> lines;
    lines.reserve(6);
    AddLine(lines, top, head, colour);
    AddLine(lines, {head.x - size / 2, head.y, head.z}, {head.x + size / 2, head.y, head.z},
            colour);
    AddLine(lines, {head.x, head.y, head.z - size / 2}, {head.x, head.y, head.z + size / 2},
            colour);
    return lines;
}

} // namespace overlay_lines
