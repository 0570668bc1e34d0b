#pragma once
// A 4×4 row-major matrix followed by pointers to its own sixteen elements and to its first
// element, for code that binds to single elements. As with Vector, every constructor aims
// the pointers at the new object and assignment copies the values only. It converts to and
// from the plain Float4x4 that the functions of core/math_functions.h take.

#include "core/math_types.h"
#include "core/vector.h"

class Matrix : public Float4x4 {
  public:
    // The identity.
    constexpr Matrix() : Float4x4{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}} { Aim(); }
    constexpr Matrix(const Float4x4& values) : Float4x4(values) { Aim(); }
    constexpr Matrix(const Matrix& other) : Float4x4(other) { Aim(); }
    Matrix& operator=(const Matrix& other) { return *this = static_cast<const Float4x4&>(other); }
    Matrix& operator=(const Float4x4& values) {
        for (int i = 0; i < 16; ++i) {
            m[i] = values.m[i];
        }
        return *this;
    }

    // Rows 0-2 take the nine values, column 3 of them is 0 and row 3 is (0, 0, 0, 1).
    static Float4x4 FromRotation(float m00, float m01, float m02, float m10, float m11, float m12,
                                 float m20, float m21, float m22);
    // Turns the point P in place by angle about the unit axis through O and returns it.
    // The matrix is the column-vector form of the axis-angle rotation used as a row-vector
    // transform, so it turns by −angle in the sense of Math::MatrixRotationAxis.
    static Vector& FromAxisAngle(Vector& P, const Vector& O, const Vector& axis, float angle);

    float* pm[16] = {};
    float* pdata = nullptr;

  private:
    constexpr void Aim() {
        for (int i = 0; i < 16; ++i) {
            pm[i] = &m[i];
        }
        pdata = &m[0];
    }
};
