#pragma once
// The engine's 3-component float vector. Messages carry it by value and game objects and
// payload records embed it.
//
// A Vector starts with three pointers to its own x, y and z, which other code may hold on
// to (property editors, scripts). Every constructor aims them at the new object's floats;
// assignment copies the floats only, so the pointers never leave their object. Records that
// embed Vectors keep the same rule in their own copy constructors and assignments. Never
// copy a Vector as raw bytes.

#include <iosfwd>

#include "core/math_types.h"
#include "core/memory_allocator.h"

class Vector : public Allocator<Vector> {
  public:
    Vector() : Vector(0.0f, 0.0f, 0.0f) {}
    Vector(float x, float y, float z)
        : px(&this->x), py(&this->y), pz(&this->z), x(x), y(y), z(z) {}
    // Three consecutive floats.
    explicit Vector(const float* v) : Vector(v[0], v[1], v[2]) {}
    Vector(const Float3& v) : Vector(v.x, v.y, v.z) {}
    Vector(const Vector& v) : Vector(v.x, v.y, v.z) {}
    Vector& operator=(const Vector& v) {
        x = v.x;
        y = v.y;
        z = v.z;
        return *this;
    }

    float GetX() const { return x; }
    float GetY() const { return y; }
    float GetZ() const { return z; }
    float& X() { return x; }
    float& Y() { return y; }
    float& Z() { return z; }
    Vector& SetX(float value) {
        x = value;
        return *this;
    }
    Vector& SetY(float value) {
        y = value;
        return *this;
    }
    Vector& SetZ(float value) {
        z = value;
        return *this;
    }
    // 0 is x, 1 is y, 2 is z.
    float& operator[](unsigned i);
    float operator[](unsigned i) const;

    Vector operator+(const Vector& v) const { return Vector(x + v.x, y + v.y, z + v.z); }
    Vector operator-(const Vector& v) const { return Vector(x - v.x, y - v.y, z - v.z); }
    Vector& operator+=(const Vector& v);
    Vector& operator-=(const Vector& v);
    Vector operator*(float s) const { return Vector(x * s, y * s, z * s); }
    Vector& operator*=(float s);
    // One division, then three multiplications by the reciprocal; s = 0 is not checked.
    Vector operator/(float s) const { return *this * (1.0f / s); }
    Vector& operator/=(float s) { return *this *= 1.0f / s; }
    Vector operator-() const { return *this * -1.0f; }
    Vector Negate() const { return -*this; }

    // Summed z, y, x: the last bit of the result depends on it.
    float Dot(const Vector& v) const { return z * v.z + y * v.y + x * v.x; }
    float LengthSquared() const { return x * x + y * y + z * z; }
    float Length() const;
    Vector Cross(const Vector& v) const;
    // No check for a zero vector: its components come back non-finite.
    Vector GetNormalized() const { return *this * (1.0f / Length()); }
    // Leaves a zero vector as it is.
    Vector& Normalize();

    // Equal when every component differs by less than 1e-5.
    bool operator==(const Vector& v) const;
    bool operator!=(const Vector& v) const { return !(*this == v); }

    // (x, y, z, 1) times m, w dropped (no division by w).
    static Vector Transform(const Vector& v, const Float4x4& m);
    Vector operator*(const Float4x4& m) const { return Transform(*this, m); }

    operator Float3() const { return Float3{x, y, z}; }

    float* px;
    float* py;
    float* pz;
    float x;
    float y;
    float z;
};

// "Vector( x, y, z )" in the stream's float format.
std::ostream& operator<<(std::ostream& out, const Vector& v);
