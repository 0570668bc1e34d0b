#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

#include "core/math_functions.h"
#include "core/matrix.h"
#include "support/math_expect.h"

namespace {

constexpr float kQuarter = 1.5707964f;

void ExpectAimsAtItself(const Matrix& m) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(m.pm[i], &m.m[i]) << "element " << i;
    }
    EXPECT_EQ(m.pdata, &m.m[0]);
}

// Row-vector product computed in double, element by element, as the reference.
Float4x4 ReferenceProduct(const Float4x4& a, const Float4x4& b) {
    Float4x4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += static_cast<double>(a.m[4 * i + k]) * b.m[4 * k + j];
            }
            r.m[4 * i + j] = static_cast<float>(sum);
        }
    }
    return r;
}

// Gauss-Jordan elimination with partial pivoting in double, as the reference.
Float4x4 ReferenceInverse(const Float4x4& m) {
    double a[4][8];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            a[r][c] = m.m[4 * r + c];
            a[r][c + 4] = r == c ? 1.0 : 0.0;
        }
    }
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r) {
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) {
                pivot = r;
            }
        }
        std::swap(a[c], a[pivot]);
        const double k = 1.0 / a[c][c];
        for (double& x : a[c]) {
            x *= k;
        }
        for (int r = 0; r < 4; ++r) {
            if (r != c) {
                const double f = a[r][c];
                for (int j = 0; j < 8; ++j) {
                    a[r][j] -= f * a[c][j];
                }
            }
        }
    }
    Float4x4 inverse;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            inverse.m[4 * r + c] = static_cast<float>(a[r][c + 4]);
        }
    }
    return inverse;
}

const Float4x4 kGeneral{{2, 1, 0, 3, -1, 3, 2, 0, 0.5f, 0, 4, 1, 7, -2, 1, 1}};

} // namespace

TEST(MathMatrix, BuiltAsTheIdentityWithItsPointersSet) {
    const Matrix m;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(m(r, c), r == c ? 1.0f : 0.0f);
        }
    }
    ExpectAimsAtItself(m);
}

TEST(MathMatrix, CopiesReaimAndAssignmentKeepsThePointers) {
    Matrix source(kGeneral);
    ExpectAimsAtItself(source);
    const Matrix copy(source);
    ExpectAimsAtItself(copy);
    ExpectNearM(copy, kGeneral, 0.0f);

    Matrix target;
    float* const before = target.pm[5];
    target = source;
    EXPECT_EQ(target.pm[5], before);
    ExpectAimsAtItself(target);
    ExpectNearM(target, kGeneral, 0.0f);
    *target.pm[0] = 42.0f;
    EXPECT_EQ(source.m[0], 2.0f);
    target = Math::MatrixIdentity();
    ExpectNearM(target, Math::MatrixIdentity(), 0.0f);
}

TEST(MathMatrix, FromRotationFillsTheUpperThreeByThree) {
    const Float4x4 expected{{1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0, 0, 0, 1}};
    ExpectNearM(Matrix::FromRotation(1, 2, 3, 4, 5, 6, 7, 8, 9), expected, 0.0f);
}

TEST(MathMatrix, FromAxisAngleTurnsThePointAboutTheAxisThroughTheCentre) {
    Vector p(1.0f, 0.0f, 0.0f);
    EXPECT_EQ(&Matrix::FromAxisAngle(p, Vector(0, 0, 0), Vector(0, 1, 0), kQuarter), &p);
    ExpectNear3(p, Float3{0, 0, 1});

    // About z through (1, 1, 0): the offset (1, 0, 0) becomes row 0 = (c, −s, 0).
    Vector q(2.0f, 1.0f, 0.0f);
    Matrix::FromAxisAngle(q, Vector(1, 1, 0), Vector(0, 0, 1), kQuarter);
    ExpectNear3(q, Float3{1, 0, 0});

    Vector still(3.0f, -2.0f, 5.0f);
    Matrix::FromAxisAngle(still, Vector(1, 1, 1), Vector(0.6f, 0.0f, 0.8f), 0.0f);
    ExpectNear3(still, Float3{3, -2, 5}, 0.0f);
}

TEST(MathMatrix, FromAxisAngleTurnsTheOtherWayToMatrixRotationAxis) {
    const Vector axis(0.48f, 0.6f, 0.64f);
    for (const float angle : {0.3f, 1.2f, -2.5f}) {
        Vector p(1.0f, -2.0f, 0.5f);
        Matrix::FromAxisAngle(p, Vector(0, 0, 0), axis, angle);
        ExpectNear3(p, Math::Vec3TransformNormal(Vector(1.0f, -2.0f, 0.5f),
                                                 Math::MatrixRotationAxis(axis, -angle)));
    }
}

TEST(MathMatrix, MultiplyAppliesTheLeftMatrixFirst) {
    const Float4x4 m =
        Math::MatrixMultiply(Math::MatrixTranslation(1, 2, 3), Math::MatrixScaling(2, 2, 2));
    ExpectNear3(Math::Vec3TransformCoord(Float3{0, 0, 0}, m), Float3{2, 4, 6}, 0.0f);
    const Float4x4 b =
        Math::MatrixRotationYawPitchRoll(0.3f, -0.2f, 1.1f) * Math::MatrixTranslation(-4, 5, 0.5f);
    ExpectNearM(Math::MatrixMultiply(kGeneral, b), ReferenceProduct(kGeneral, b), 1e-5f);
    ExpectNearM(kGeneral * b, ReferenceProduct(kGeneral, b), 1e-5f);
}

TEST(MathMatrix, InverseAndDeterminant) {
    // Upper triangular: the determinant is the product of the diagonal.
    const Float4x4 triangular{{2, 1, 4, 7, 0, 3, 5, 1, 0, 0, 4, 2, 0, 0, 0, 5}};
    float det = 0.0f;
    const auto inverse = Math::MatrixInverse(triangular, &det);
    ASSERT_TRUE(inverse.has_value());
    EXPECT_FLOAT_EQ(det, 120.0f);
    ExpectNearM(*inverse * triangular, Math::MatrixIdentity());

    const Float4x4 world = Math::MatrixScaling(2, 3, 4) *
                           Math::MatrixRotationYawPitchRoll(1, 2, 3) *
                           Math::MatrixTranslation(100, -50, 200);
    const Float4x4 projection = Math::MatrixPerspectiveFovLH(0.785398f, 1.6f, 1.0f, 5000.0f);
    ExpectNearM(kGeneral * *Math::MatrixInverse(kGeneral), Math::MatrixIdentity());
    for (const Float4x4& m : {kGeneral, world, projection, world * projection}) {
        const auto inv = Math::MatrixInverse(m);
        ASSERT_TRUE(inv.has_value());
        const Float4x4 reference = ReferenceInverse(m);
        for (int i = 0; i < 16; ++i) {
            EXPECT_NEAR(inv->m[i], reference.m[i],
                        1e-6f * std::max(1.0f, std::fabs(reference.m[i])))
                << "element " << i;
        }
    }
}

TEST(MathMatrix, SingularMatrixHasNoInverse) {
    const Float4x4 singular{{1, 2, 3, 4, 2, 4, 6, 8, 0, 1, 0, 0, 0, 0, 0, 1}};
    float det = 99.0f;
    EXPECT_FALSE(Math::MatrixInverse(singular, &det).has_value());
    EXPECT_EQ(det, 0.0f);
    EXPECT_FALSE(Math::MatrixInverse(Float4x4{}).has_value());
}

TEST(MathMatrix, TransposeScalingTranslation) {
    const Float4x4 t = Math::MatrixTranspose(kGeneral);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(t(r, c), kGeneral(c, r));
        }
    }
    const Float4x4 scaling{{2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}};
    ExpectNearM(Math::MatrixScaling(2, 3, 4), scaling, 0.0f);
    const Float4x4 translation{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1}};
    ExpectNearM(Math::MatrixTranslation(5, 6, 7), translation, 0.0f);
}

TEST(MathMatrix, AxisRotationsTurnClockwiseLookingTowardsTheOrigin) {
    const float a = 0.6435011f; // cos a = 0.8, sin a = 0.6
    const float c = 0.8f, s = 0.6f;
    // Rows of the rotations about x, y and z.
    ExpectNear3(Math::Vec3TransformNormal(Float3{0, 1, 0}, Math::MatrixRotationX(a)),
                Float3{0, c, s});
    ExpectNear3(Math::Vec3TransformNormal(Float3{0, 0, 1}, Math::MatrixRotationX(a)),
                Float3{0, -s, c});
    ExpectNear3(Math::Vec3TransformNormal(Float3{1, 0, 0}, Math::MatrixRotationY(a)),
                Float3{c, 0, -s});
    ExpectNear3(Math::Vec3TransformNormal(Float3{0, 0, 1}, Math::MatrixRotationY(a)),
                Float3{s, 0, c});
    ExpectNear3(Math::Vec3TransformNormal(Float3{1, 0, 0}, Math::MatrixRotationZ(a)),
                Float3{c, s, 0});
    ExpectNear3(Math::Vec3TransformNormal(Float3{0, 1, 0}, Math::MatrixRotationZ(a)),
                Float3{-s, c, 0});
    ExpectNearM(Math::MatrixRotationAxis(Float3{0, 5, 0}, a), Math::MatrixRotationY(a));
    ExpectNearM(Math::MatrixRotationAxis(Float3{1, 0, 0}, a), Math::MatrixRotationX(a));
}

TEST(MathMatrix, YawPitchRollRollsFirstThenPitchesThenYaws) {
    ExpectNearM(Math::MatrixRotationYawPitchRoll(0.7f, 0, 0), Math::MatrixRotationY(0.7f));
    ExpectNearM(Math::MatrixRotationYawPitchRoll(0, 0.7f, 0), Math::MatrixRotationX(0.7f));
    ExpectNearM(Math::MatrixRotationYawPitchRoll(0, 0, 0.7f), Math::MatrixRotationZ(0.7f));
    // Quarter turns: x → (roll) y → (pitch) z → (yaw) x, and z → z → −y → −y.
    const Float4x4 m = Math::MatrixRotationYawPitchRoll(kQuarter, kQuarter, kQuarter);
    ExpectNear3(Math::Vec3TransformNormal(Float3{1, 0, 0}, m), Float3{1, 0, 0});
    ExpectNear3(Math::Vec3TransformNormal(Float3{0, 0, 1}, m), Float3{0, -1, 0});
}

TEST(MathMatrix, LookAtLeftHanded) {
    const Float4x4 ahead = Math::MatrixLookAtLH(Float3{0, 0, -5}, Float3{0, 0, 0}, Float3{0, 1, 0});
    const Float4x4 expected{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 5, 1}};
    ExpectNearM(ahead, expected);

    // Looking along +x with y up, world −z is to the right.
    const Float4x4 side = Math::MatrixLookAtLH(Float3{2, 1, 0}, Float3{3, 1, 0}, Float3{0, 1, 0});
    ExpectNear3(Math::Vec3TransformCoord(Float3{5, 1, 0}, side), Float3{0, 0, 3});
    ExpectNear3(Math::Vec3TransformCoord(Float3{2, 1, -1}, side), Float3{1, 0, 0});
    ExpectNear3(Math::Vec3TransformCoord(Float3{2, 3, 0}, side), Float3{0, 2, 0});
}

TEST(MathMatrix, PerspectiveFovLeftHanded) {
    const float fov = 0.78539819f; // π/4
    const Float4x4 p = Math::MatrixPerspectiveFovLH(fov, 1.6f, 1.0f, 5000.0f);
    const float yScale = 2.4142136f; // 1 / tan(π/8) = √2 + 1
    const Float4x4 expected{{yScale / 1.6f, 0, 0, 0, 0, yScale, 0, 0, 0, 0, 5000.0f / 4999.0f, 1, 0,
                             0, -5000.0f / 4999.0f, 0}};
    ExpectNearM(p, expected);
    // Depth 0 at the near plane, 1 at the far plane; the top edge of the view at y = 1.
    EXPECT_NEAR(Math::Vec3TransformCoord(Float3{0, 0, 1}, p).z, 0.0f, 1e-6f);
    EXPECT_NEAR(Math::Vec3TransformCoord(Float3{0, 0, 5000}, p).z, 1.0f, 1e-6f);
    const float z = 40.0f;
    ExpectNear3(Math::Vec3TransformCoord(Float3{1.6f * z / yScale, z / yScale, z}, p),
                Float3{1, 1, (z - 1.0f) * 5000.0f / (4999.0f * z)});
    ExpectNear4(Math::Vec3Transform(Float3{0, 0, 10}, p),
                Float4{0, 0, 10.0f * 5000.0f / 4999.0f - 5000.0f / 4999.0f, 10});
}

TEST(MathMatrix, PerspectiveWithNearZeroPutsEveryDepthAtOne) {
    const Float4x4 p = Math::MatrixPerspectiveFovLH(1.0f, 1.0f, 0.0f, 5000.0f);
    EXPECT_EQ(p.m[10], 1.0f);
    EXPECT_EQ(p.m[14], 0.0f);
    EXPECT_EQ(p.m[11], 1.0f);
    for (const float z : {0.5f, 10.0f, 4000.0f}) {
        EXPECT_FLOAT_EQ(Math::Vec3TransformCoord(Float3{0, 0, z}, p).z, 1.0f);
    }
}

TEST(MathMatrix, OrthographicLeftHanded) {
    const Float4x4 o = Math::MatrixOrthoLH(200.0f, 100.0f, 10.0f, 110.0f);
    const Float4x4 expected{{0.01f, 0, 0, 0, 0, 0.02f, 0, 0, 0, 0, 0.01f, 0, 0, 0, -0.1f, 1}};
    ExpectNearM(o, expected, 1e-7f);
    ExpectNear3(Math::Vec3TransformCoord(Float3{100, 50, 10}, o), Float3{1, 1, 0});
    ExpectNear3(Math::Vec3TransformCoord(Float3{-100, -50, 110}, o), Float3{-1, -1, 1});
}

TEST(MathMatrix, VectorTransforms) {
    const Float4x4 moved = Math::MatrixRotationZ(kQuarter) * Math::MatrixTranslation(10, 20, 30);
    ExpectNear4(Math::Vec3Transform(Float3{1, 0, 0}, moved), Float4{10, 21, 30, 1});
    ExpectNear3(Math::Vec3TransformCoord(Float3{1, 0, 0}, moved), Float3{10, 21, 30});
    ExpectNear3(Math::Vec3TransformNormal(Float3{1, 0, 0}, moved), Float3{0, 1, 0});
    // Coordinates are divided by w.
    Float4x4 halve = Math::MatrixIdentity();
    halve.m[15] = 2.0f;
    ExpectNear3(Math::Vec3TransformCoord(Float3{4, 6, 8}, halve), Float3{2, 3, 4}, 0.0f);
}

TEST(MathMatrix, DecomposeThenComposeGivesTheMatrixBack) {
    const Quaternion q{0.14285715f, 0.42857143f, 0.28571429f, 0.84515425f}; // (1, 3, 2, √35) / 7
    const Float4x4 m = Math::MatrixScaling(2, 3, 4) * Math::MatrixRotationQuaternion(q) *
                       Math::MatrixTranslation(5, 6, 7);
    Float3 scale, translation;
    Quaternion rotation;
    ASSERT_TRUE(Math::MatrixDecompose(m, scale, rotation, translation));
    ExpectNear3(scale, Float3{2, 3, 4});
    ExpectNear3(translation, Float3{5, 6, 7}, 0.0f);
    const float sign = rotation.w < 0.0f ? -1.0f : 1.0f;
    ExpectNearQ(
        Quaternion{rotation.x * sign, rotation.y * sign, rotation.z * sign, rotation.w * sign}, q);
    ExpectNearM(Math::MatrixScaling(scale.x, scale.y, scale.z) *
                    Math::MatrixRotationQuaternion(rotation) *
                    Math::MatrixTranslation(translation.x, translation.y, translation.z),
                m);
}

TEST(MathMatrix, DecomposeOfAMirrorKeepsAProperRotation) {
    const Float4x4 m = Math::MatrixScaling(1, 1, -2) * Math::MatrixRotationY(0.4f);
    Float3 scale, translation;
    Quaternion rotation;
    ASSERT_TRUE(Math::MatrixDecompose(m, scale, rotation, translation));
    EXPECT_LT(scale.x, 0.0f);
    const Float4x4 r = Math::MatrixRotationQuaternion(rotation);
    ExpectNearM(Math::MatrixScaling(scale.x, scale.y, scale.z) * r, m);

    Float4x4 flat = Math::MatrixIdentity();
    flat.m[5] = 0.0f;
    EXPECT_FALSE(Math::MatrixDecompose(flat, scale, rotation, translation));
}

TEST(MathMatrix, Transformation2D) {
    const Float2 none{0, 0};
    const Float2 unit{1, 1};
    auto apply = [](const Float4x4& m, float x, float y) {
        return Math::Vec3TransformCoord(Float3{x, y, 0}, m);
    };
    ExpectNearM(Math::MatrixTransformation2D(none, 0, unit, none, 0, Float2{3, 4}),
                Math::MatrixTranslation(3, 4, 0), 0.0f);
    // Scaling (2, 3) about (1, 1): (2, 2) is one unit right and up of the centre.
    ExpectNear3(
        apply(Math::MatrixTransformation2D(Float2{1, 1}, 0, Float2{2, 3}, none, 0, none), 2, 2),
        Float3{3, 4, 0});
    // A quarter turn about (1, 0) takes (2, 0) to (1, 1); then the translation.
    ExpectNear3(
        apply(Math::MatrixTransformation2D(none, 0, unit, Float2{1, 0}, kQuarter, Float2{10, 20}),
              2, 0),
        Float3{11, 21, 0});
    // Doubling along an axis turned a quarter: y stretches, x stays.
    const Float4x4 turnedScale =
        Math::MatrixTransformation2D(none, kQuarter, Float2{2, 1}, none, 0, none);
    ExpectNear3(apply(turnedScale, 0, 1), Float3{0, 2, 0});
    ExpectNear3(apply(turnedScale, 1, 0), Float3{1, 0, 0});
}

TEST(MathMatrix, BoundingBoxOfAStridedVertexArray) {
    struct Vertex {
        float position[3];
        float uv[2];
    };
    const Vertex vertices[] = {
        {{1, 2, 3}, {9, 9}}, {{-4, 5, 0}, {-99, 99}}, {{2, -6, 7}, {0, 0}}, {{0, 0, -1}, {5, 5}}};
    Float3 min, max;
    ASSERT_TRUE(Math::ComputeBoundingBox(vertices, 4, sizeof(Vertex), min, max));
    ExpectNear3(min, Float3{-4, -6, -1}, 0.0f);
    ExpectNear3(max, Float3{2, 5, 7}, 0.0f);

    EXPECT_FALSE(Math::ComputeBoundingBox(vertices, 0, sizeof(Vertex), min, max));
    EXPECT_EQ(min.x, FLT_MAX);
    EXPECT_EQ(max.z, -FLT_MAX);
}

TEST(MathMatrix, VectorAndPlaneHelpers) {
    ExpectNear3(Math::Vec3Cross(Float3{1, 2, 3}, Float3{4, 5, 6}), Float3{-3, 6, -3}, 0.0f);
    EXPECT_EQ(Math::Vec3Dot(Float3{1, 2, 3}, Float3{4, -5, 6}), 12.0f);
    EXPECT_EQ(Math::Vec3Length(Float3{2, 3, 6}), 7.0f);
    ExpectNear3(Math::Vec3Normalize(Float3{0, 3, -4}), Float3{0, 0.6f, -0.8f});
    ExpectNear3(Math::Vec3Normalize(Float3{0, 0, 0}), Float3{0, 0, 0}, 0.0f);
    ExpectNear4(Math::PlaneNormalize(Float4{0, 3, 4, 10}), Float4{0, 0.6f, 0.8f, 2});
    ExpectNear4(Math::PlaneNormalize(Float4{0, 0, 0, 3}), Float4{0, 0, 0, 0}, 0.0f);
}

TEST(MathMatrix, IntersectTriangle) {
    const Float3 p0{0, 0, 0}, p1{1, 0, 0}, p2{0, 1, 0};
    float u = -1, v = -1, d = -1;
    ASSERT_TRUE(Math::IntersectTri(p0, p1, p2, Float3{0.25f, 0.5f, -1}, Float3{0, 0, 1}, u, v, d));
    EXPECT_FLOAT_EQ(u, 0.25f);
    EXPECT_FLOAT_EQ(v, 0.5f);
    EXPECT_FLOAT_EQ(d, 1.0f);
    // From the back side, and with a longer direction the distance is in its units.
    ASSERT_TRUE(Math::IntersectTri(p0, p1, p2, Float3{0.25f, 0.25f, 3}, Float3{0, 0, -2}, u, v, d));
    EXPECT_FLOAT_EQ(d, 1.5f);

    struct Miss {
        Float3 origin;
        Float3 direction;
    };
    const Miss misses[] = {
        {{0.75f, 0.75f, -1}, {0, 0, 1}}, // outside the edge u + v = 1
        {{-0.1f, 0.5f, -1}, {0, 0, 1}},  // u < 0
        {{0.25f, 0.25f, 1}, {0, 0, 1}},  // triangle behind the origin
        {{0.25f, 0.25f, 1}, {1, 0, 0}},  // parallel to the triangle
    };
    for (const Miss& m : misses) {
        EXPECT_FALSE(Math::IntersectTri(p0, p1, p2, m.origin, m.direction, u, v, d));
    }
}

TEST(MathMatrix, SphereBoundProbe) {
    const Float3 centre{0, 0, 10};
    EXPECT_TRUE(Math::SphereBoundProbe(centre, 2, Float3{0, 0, 0}, Float3{0, 0, 1}));
    EXPECT_TRUE(Math::SphereBoundProbe(centre, 2, Float3{2, 0, 0}, Float3{0, 0, 1})); // grazes
    EXPECT_FALSE(Math::SphereBoundProbe(centre, 2, Float3{3, 0, 0}, Float3{0, 0, 1}));
    EXPECT_FALSE(Math::SphereBoundProbe(centre, 2, Float3{0, 0, 0}, Float3{0, 0, -1}));
    EXPECT_TRUE(Math::SphereBoundProbe(centre, 2, Float3{0, 0, 11}, Float3{0, 0, -1}));
    EXPECT_TRUE(Math::SphereBoundProbe(centre, 2, Float3{0, 1, 10}, Float3{0, 0, 0}));
}
