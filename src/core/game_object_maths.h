#pragma once
// The maths types a GameObject holds by value. They come from the engine's maths headers;
// until those are in the tree, small stand-ins with the same fields keep the object model
// buildable on its own.

#if __has_include("core/vector.h")
#include "core/bounds.h"
#include "core/matrix.h"
#include "core/quaternion.h"
#include "core/vector.h"
#else

struct Vector {
    Vector() = default;
    Vector(float x, float y, float z) : x(x), y(y), z(z) {}
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct Quaternion {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;
};

struct Matrix {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

class BoundingBox {
public:
    virtual ~BoundingBox() = default;
};

class BoundingSphere {
public:
    virtual ~BoundingSphere() = default;
};

#endif
