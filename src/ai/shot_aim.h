#pragma once
// Orientation helpers of the units' shots: a vector in a unit's own frame turned into the
// world, the turn that points a shot along a direction, and the turret's quarter turn.
#include "core/quaternion.h"
#include "core/vector.h"

// v given in the frame of an object with orientation q, in world axes.
Vector RotateByUnit(const Quaternion& q, const Vector& v);
// The orientation whose direction axis (Quaternion::GetDirection) is the unit vector v, its
// other axes made against the world's up; the object's forward (the negated direction) then
// points along -v.
Quaternion OrientationAlong(const Vector& v);
// A quarter turn about z, sine and cosine in single precision.
Quaternion QuarterTurnZ();
