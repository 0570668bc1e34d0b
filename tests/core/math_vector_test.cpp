#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "core/math_functions.h"
#include "core/vector.h"
#include "support/math_expect.h"

namespace {

void ExpectAimsAtItself(const Vector& v) {
    EXPECT_EQ(v.px, &v.x);
    EXPECT_EQ(v.py, &v.y);
    EXPECT_EQ(v.pz, &v.z);
}

} // namespace

TEST(MathVector, EveryConstructorAimsThePointersAtTheNewObject) {
    const float raw[3] = {1.0f, 2.0f, 3.0f};
    const Vector fromFloats(1.0f, 2.0f, 3.0f);
    const Vector fromArray(raw);
    const Vector fromRecord(Float3{1.0f, 2.0f, 3.0f});
    const Vector zero;
    const Vector copy(fromFloats);
    for (const Vector* v : {&fromFloats, &fromArray, &fromRecord, &zero, &copy}) {
        ExpectAimsAtItself(*v);
    }
    EXPECT_EQ(fromArray, fromFloats);
    EXPECT_EQ(fromRecord, fromFloats);
    EXPECT_EQ(copy, fromFloats);
    EXPECT_EQ(zero, Vector(0.0f, 0.0f, 0.0f));
}

TEST(MathVector, ChangingACopyLeavesTheSourceAlone) {
    Vector source(1.0f, 2.0f, 3.0f);
    Vector copy(source);
    copy.x = 9.0f;
    *copy.py = 8.0f;
    EXPECT_EQ(source.x, 1.0f);
    EXPECT_EQ(source.y, 2.0f);
    EXPECT_EQ(copy.x, 9.0f);
    EXPECT_EQ(copy.y, 8.0f);
}

TEST(MathVector, AssignmentCopiesValuesAndKeepsTheTargetsPointers) {
    const Vector source(1.0f, 2.0f, 3.0f);
    Vector target(4.0f, 5.0f, 6.0f);
    float* const px = target.px;
    float* const pz = target.pz;
    target = source;
    EXPECT_EQ(target.px, px);
    EXPECT_EQ(target.pz, pz);
    ExpectAimsAtItself(target);
    EXPECT_EQ(target.x, 1.0f);
    EXPECT_EQ(target.z, 3.0f);
}

TEST(MathVector, ElementsOfAGrowingContainerKeepAimingAtThemselves) {
    std::vector<Vector> list;
    for (int i = 0; i < 100; ++i) {
        list.push_back(Vector(static_cast<float>(i), 0.0f, 0.0f));
    }
    for (int i = 0; i < 100; ++i) {
        ExpectAimsAtItself(list[i]);
        EXPECT_EQ(*list[i].px, static_cast<float>(i));
    }
}

TEST(MathVector, HeapVectorsComeFromTheirPool) {
    MemoryPool* const pool = Allocator<Vector>::Pool();
    const u32 before = pool->LiveCount();
    Vector* const v = new Vector(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(pool->LiveCount(), before + 1);
    ExpectAimsAtItself(*v);
    delete v;
    EXPECT_EQ(pool->LiveCount(), before);
}

TEST(MathVector, EqualityHoldsWithinOneHundredThousandthPerComponent) {
    struct Case {
        Vector a;
        Vector b;
        bool equal;
    };
    const Vector base(1.0f, 2.0f, 3.0f);
    const Case cases[] = {
        {base, Vector(1.000009f, 2.0f, 3.0f), true},
        {base, Vector(1.00001f, 2.0f, 3.0f), false},
        {base, Vector(0.999991f, 2.0f, 3.0f), true},
        {base, Vector(0.99999f, 2.0f, 3.0f), false},
        {base, Vector(1.0f, 2.00002f, 3.0f), false},
        {base, Vector(1.0f, 2.0f, 3.00002f), false},
        {base, Vector(1.000009f, 2.000009f, 3.000009f), true},
        {Vector(0.0f, 0.0f, 0.0f), Vector(-0.0f, 0.0f, 0.0f), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a == c.b, c.equal) << c.a << " vs " << c.b;
        EXPECT_EQ(c.a != c.b, !c.equal) << c.a << " vs " << c.b;
        EXPECT_EQ(c.b == c.a, c.equal) << c.b << " vs " << c.a;
    }
}

TEST(MathVector, NormalizeLeavesZeroAloneButGetNormalizedDoesNot) {
    Vector zero(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(&zero.Normalize(), &zero);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);

    const Vector n = Vector(0.0f, 0.0f, 0.0f).GetNormalized();
    EXPECT_FALSE(std::isfinite(n.x));
    EXPECT_FALSE(std::isfinite(n.y));
    EXPECT_FALSE(std::isfinite(n.z));

    Vector v(3.0f, 4.0f, 0.0f);
    v.Normalize();
    ExpectNear3(v, Float3{0.6f, 0.8f, 0.0f}, 1e-7f);
    ExpectNear3(Vector(0.0f, -2.0f, 0.0f).GetNormalized(), Float3{0.0f, -1.0f, 0.0f}, 0.0f);
}

TEST(MathVector, DivisionMultipliesByTheReciprocal) {
    // 5 / 3 and 5 · (1/3) round to neighbouring floats.
    const float viaReciprocal = 5.0f * (1.0f / 3.0f);
    ASSERT_NE(viaReciprocal, 5.0f / 3.0f);
    const Vector q = Vector(5.0f, 5.0f, 5.0f) / 3.0f;
    EXPECT_EQ(q.x, viaReciprocal);
    EXPECT_EQ(q.z, viaReciprocal);
    Vector r(5.0f, 5.0f, 5.0f);
    r /= 3.0f;
    EXPECT_EQ(r.y, viaReciprocal);

    const Vector quarter = Vector(1.0f, 2.0f, -3.0f) / 4.0f;
    EXPECT_EQ(quarter.x, 0.25f);
    EXPECT_EQ(quarter.y, 0.5f);
    EXPECT_EQ(quarter.z, -0.75f);
}

TEST(MathVector, DotSumsZAndYBeforeX) {
    // 1 + (-1e8) rounds to -1e8, so summing z, y, x gives 0 where x, y, z gives 1.
    EXPECT_EQ(Vector(1e4f, 1e4f, 1.0f).Dot(Vector(1e4f, -1e4f, 1.0f)), 0.0f);
    EXPECT_EQ(Vector(1.0f, 2.0f, 3.0f).Dot(Vector(4.0f, -5.0f, 6.0f)), 12.0f);
}

TEST(MathVector, LengthSumsXAndYBeforeZ) {
    // 2^26 + 2.25 + 2.25 stays 2^26; 2^26 + 4.5 would round up to 2^26 + 8.
    EXPECT_EQ(Vector(8192.0f, 1.5f, 1.5f).LengthSquared(), 67108864.0f);
    EXPECT_EQ(Vector(3.0f, 4.0f, 12.0f).Length(), 13.0f);
    EXPECT_EQ(Vector(3.0f, 4.0f, 12.0f).LengthSquared(), 169.0f);
}

TEST(MathVector, CrossFollowsTheRightHandRuleOfItsFormula) {
    ExpectNear3(Vector(1, 0, 0).Cross(Vector(0, 1, 0)), Float3{0, 0, 1}, 0.0f);
    ExpectNear3(Vector(0, 1, 0).Cross(Vector(1, 0, 0)), Float3{0, 0, -1}, 0.0f);
    ExpectNear3(Vector(1, 2, 3).Cross(Vector(4, 5, 6)), Float3{-3, 6, -3}, 0.0f);
}

TEST(MathVector, ArithmeticOperators) {
    const Vector a(1.0f, 2.0f, 3.0f);
    const Vector b(0.5f, -1.0f, 4.0f);
    ExpectNear3(a + b, Float3{1.5f, 1.0f, 7.0f}, 0.0f);
    ExpectNear3(a - b, Float3{0.5f, 3.0f, -1.0f}, 0.0f);
    ExpectNear3(a * 2.0f, Float3{2.0f, 4.0f, 6.0f}, 0.0f);
    ExpectNear3(-a, Float3{-1.0f, -2.0f, -3.0f}, 0.0f);
    ExpectNear3(a.Negate(), Float3{-1.0f, -2.0f, -3.0f}, 0.0f);

    Vector c = a;
    EXPECT_EQ(&(c += b), &c);
    ExpectNear3(c, Float3{1.5f, 1.0f, 7.0f}, 0.0f);
    EXPECT_EQ(&(c -= b), &c);
    ExpectNear3(c, a, 0.0f);
    EXPECT_EQ(&(c *= -2.0f), &c);
    ExpectNear3(c, Float3{-2.0f, -4.0f, -6.0f}, 0.0f);
}

TEST(MathVector, ComponentAccess) {
    Vector v(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(v.GetX(), 1.0f);
    EXPECT_EQ(v.GetY(), 2.0f);
    EXPECT_EQ(v.GetZ(), 3.0f);
    v.X() = 4.0f;
    v.Y() += 1.0f;
    v.Z() *= 2.0f;
    ExpectNear3(v, Float3{4.0f, 3.0f, 6.0f}, 0.0f);
    EXPECT_EQ(&v.SetX(7.0f).SetY(8.0f).SetZ(9.0f), &v);
    ExpectNear3(v, Float3{7.0f, 8.0f, 9.0f}, 0.0f);
    v[1] = -1.0f;
    const Vector& cv = v;
    EXPECT_EQ(cv[0], 7.0f);
    EXPECT_EQ(cv[1], -1.0f);
    EXPECT_EQ(cv[2], 9.0f);
    const Float3 raw = v;
    EXPECT_EQ(raw.x, 7.0f);
    EXPECT_EQ(raw.y, -1.0f);
    EXPECT_EQ(raw.z, 9.0f);
}

TEST(MathVector, TransformDropsWWithoutDividing) {
    Float4x4 m = Math::MatrixTranslation(10.0f, 20.0f, 30.0f);
    m.m[3] = 1.0f; // w = x + 1 = 2 would halve the result if it were divided by
    const Vector v(1.0f, 2.0f, 3.0f);
    ExpectNear3(Vector::Transform(v, m), Float3{11.0f, 22.0f, 33.0f}, 0.0f);
    ExpectNear3(v * m, Float3{11.0f, 22.0f, 33.0f}, 0.0f);
    // Row vector: x picks row 0.
    const Float4x4 rows{{0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1}};
    ExpectNear3(Vector(1.0f, 0.0f, 0.0f) * rows, Float3{0.0f, 1.0f, 0.0f}, 0.0f);
}

TEST(MathVector, PrintsItsComponentsInTheStreamsFormat) {
    std::ostringstream out;
    out << Vector(1.0f, 2.5f, -3.0f);
    EXPECT_EQ(out.str(), "Vector( 1, 2.5, -3 )");

    std::ostringstream fixed;
    fixed.setf(std::ios::fixed);
    fixed.precision(2);
    fixed << Vector(0.125f, 0.0f, 10.0f);
    EXPECT_EQ(fixed.str(), "Vector( 0.12, 0.00, 10.00 )");
}
