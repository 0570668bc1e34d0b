#pragma once
// The property window shows rotations as three angles in degrees; objects keep quaternions.
// Roll-pitch-yaw (Z-Y-X) with roll = -x, pitch = y and yaw = -z; each is the other's inverse.
#include "core/math_types.h"
#include "core/quaternion.h"

namespace editor {

// Near +-90 degrees about y rounding can push the sine's argument past +-1: it is clamped.
Float3 QuaternionToEulerDegrees(const Quaternion& q);
Quaternion EulerDegreesToQuaternion(const Float3& degrees);

} // namespace editor
