#pragma once
// Plain records for the matrix and vector functions of core/math_functions.h. They hold
// nothing but their floats, so arrays of them can be handed to the renderer as they are.
//
// Conventions throughout: row vectors multiplied on the left (v * M), row-major matrices
// (row r, column c at m[4r + c]), left-handed coordinates, clip z from 0 to 1.

#include <cstddef>

struct Float2 {
    float x = 0.0f;
    float y = 0.0f;
};

struct Float3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Also a plane (x, y, z, w) = (a, b, c, d) of a·x + b·y + c·z + d = 0.
struct Float4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;
};

struct Float4x4 {
    float m[16] = {};

    float& operator()(std::size_t row, std::size_t column) { return m[4 * row + column]; }
    float operator()(std::size_t row, std::size_t column) const { return m[4 * row + column]; }
};

// a * b: a applies first (to a row vector), then b.
Float4x4 operator*(const Float4x4& a, const Float4x4& b);
