#pragma once
// Line shapes the renderer draws over the scene for debugging and for the level editor:
// the unit box and unit sphere that the collision displays scale onto their shapes, and the
// markers around a component's world box. Each pair of vertices is one line.
#include <vector>

#include "core/bounds.h"
#include "core/math_types.h"
#include "core/types.h"

// Position and a packed 0xAARRGGBB colour, 16 bytes, as the device's colour layout reads it.
struct OverlayVertex {
    Float3 position;
    u32 colour = 0;
};
static_assert(sizeof(OverlayVertex) == 16);

namespace overlay_lines {

// Segments around each of the sphere's three great circles.
inline constexpr u32 kCircleSegments = 24;

// The twelve edges of the box from -0.5 to 0.5 on every axis.
std::vector<OverlayVertex> UnitBox(u32 colour);
// Three great circles of radius 1 around the origin, in the xy, yz and zx planes.
std::vector<OverlayVertex> UnitSphere(u32 colour);
// The twelve edges of a world box through its eight corners.
std::vector<OverlayVertex> BoxEdges(const BoxRecord& box, u32 colour);
// Short ticks at each corner of a box, pointing along its edges, a quarter of each edge
// long: a selection frame that leaves the object itself visible.
std::vector<OverlayVertex> CornerTicks(const BoxRecord& box, u32 colour);
// A vertical pin from the top of a box up to a cross, sized by the distance to the eye so
// that it keeps its size on screen.
std::vector<OverlayVertex> TopPin(const BoxRecord& box, const Float3& eye, u32 colour);

} // namespace overlay_lines
