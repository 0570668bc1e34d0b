#pragma once
// What the body of a broken object's piece takes over from the object it broke from. The
// renderer sends it (MSG_PHYSICS_PIECE_BODY) to the piece's own id right after it placed the
// piece; the piece's physics component rebuilds its body from it.
#include "core/types.h"
#include "core/vector.h"

class GameObject;

struct PieceBody {
    // The pieces take this much of the broken object's mass between them, by volume.
    static constexpr f32 kMassFraction = 0.1f;
    // The smallest share a piece counts with: a flat piece still weighs something.
    static constexpr f32 kMinVolumeShare = 1e-3f;
    // The piece type that is far heavier than its volume says.
    static constexpr const char* kHeavyType = "BuildingBowlingBall";
    static constexpr f32 kHeavyFactor = 500.0f;
    // A piece whose mesh container's name holds this is a sphere.
    static constexpr const char* kSphereName = "Sphere";

    // The object the piece broke from; read only while the message is handled.
    GameObject* m_broken = nullptr;
    // The piece's box volume over the broken object's, as VolumeShare gives it.
    f32 m_volume_share = 1.0f;
    // The piece's half sizes and radius in its own (unscaled) units.
    Vector m_half_extents;
    f32 m_radius = 0.0f;
    bool m_sphere = false;
    // The break's flag: the pieces fly apart at once; without it they start asleep.
    bool m_awake = false;
};

// A piece's box volume over its owner's, from the two boxes' corners. Always finite and in
// [kMinVolumeShare, 1]: a piece box of no volume counts with the smallest share, an owner
// box of no volume (or boxes that give no number) with the whole.
f32 VolumeShare(const Vector& pieceMin, const Vector& pieceMax, const Vector& ownerMin,
                const Vector& ownerMax);

// The mass divisor (a body's mass is 1 over it) of a piece of the given share of an owner
// body with ownerDivisor: its mass is kMassFraction times the share of the owner's,
// kHeavyFactor times that for the heavy type. An owner without a usable divisor counts as 1.
f32 PieceMassDivisor(f32 ownerDivisor, f32 volumeShare, bool heavy);
