#include "core/vector.h"

#include <cassert>
#include <cmath>
#include <ostream>

#include "core/math_functions.h"

float& Vector::operator[](unsigned i) {
    assert(i < 3);
    return i == 0 ? x : i == 1 ? y : z;
}

float Vector::operator[](unsigned i) const {
    assert(i < 3);
    return i == 0 ? x : i == 1 ? y : z;
}

Vector& Vector::operator+=(const Vector& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
}

Vector& Vector::operator-=(const Vector& v) {
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
}

Vector& Vector::operator*=(float s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
}

float Vector::Length() const {
    return std::sqrt(LengthSquared());
}

Vector Vector::Cross(const Vector& v) const {
    return Vector(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
}

Vector& Vector::Normalize() {
    const float length = Length();
    if (length == 0.0f) {
        return *this;
    }
    return *this *= 1.0f / length;
}

bool Vector::operator==(const Vector& v) const {
    constexpr float kTolerance = 1e-5f;
    return std::fabs(*px - *v.px) < kTolerance && std::fabs(*py - *v.py) < kTolerance &&
           std::fabs(*pz - *v.pz) < kTolerance;
}

Vector Vector::Transform(const Vector& v, const Float4x4& m) {
    const Float4 r = Math::Vec3Transform(v, m);
    return Vector(r.x, r.y, r.z);
}

std::ostream& operator<<(std::ostream& out, const Vector& v) {
    return out << "Vector( " << v.x << ", " << v.y << ", " << v.z << " )";
}
