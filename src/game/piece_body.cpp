#include "game/piece_body.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

f32 BoxVolume(const Vector& min, const Vector& max) {
    return std::max(0.0f, max.x - min.x) * std::max(0.0f, max.y - min.y) *
           std::max(0.0f, max.z - min.z);
}

} // namespace

f32 VolumeShare(const Vector& pieceMin, const Vector& pieceMax, const Vector& ownerMin,
                const Vector& ownerMax) {
    const f32 piece = BoxVolume(pieceMin, pieceMax);
    const f32 owner = BoxVolume(ownerMin, ownerMax);
    if (!std::isfinite(piece) || !std::isfinite(owner) || !(owner > 0.0f)) {
        return 1.0f;
    }
    const f32 share = piece / owner;
    return std::clamp(std::isfinite(share) ? share : 1.0f, PieceBody::kMinVolumeShare, 1.0f);
}

f32 PieceMassDivisor(f32 ownerDivisor, f32 volumeShare, bool heavy) {
    const f32 owner = std::isfinite(ownerDivisor) && ownerDivisor > 0.0f ? ownerDivisor : 1.0f;
    const f32 share = std::isfinite(volumeShare)
                          ? std::clamp(volumeShare, PieceBody::kMinVolumeShare, 1.0f)
                          : 1.0f;
    const f32 divisor = owner / (share * PieceBody::kMassFraction);
    // A huge owner divisor must not overflow.
    return std::min(heavy ? divisor / PieceBody::kHeavyFactor : divisor, FLT_MAX);
}
