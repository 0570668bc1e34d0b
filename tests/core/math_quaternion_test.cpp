#include <gtest/gtest.h>

#include <cmath>

#include "core/math_functions.h"
#include "core/quaternion.h"
#include "support/math_expect.h"

namespace {

const float kHalfRoot2 = 0.70710678f;

// Rotations of the renderer's convention: v * MatrixRotationQuaternion(q) turns v by angle
// about the unit axis like MatrixRotationAxis does.
Quaternion AboutAxis(float ax, float ay, float az, float angle) {
    const float s = std::sin(angle * 0.5f);
    return Quaternion{ax * s, ay * s, az * s, std::cos(angle * 0.5f)};
}

// Unit quaternions of assorted rotations, including half turns and near-identity ones.
const Quaternion kRotations[] = {
    Quaternion{0.0f, 0.0f, 0.0f, 1.0f},       AboutAxis(1.0f, 0.0f, 0.0f, 0.7f),
    AboutAxis(0.0f, 1.0f, 0.0f, -2.1f),       AboutAxis(0.0f, 0.0f, 1.0f, 3.0f),
    AboutAxis(1.0f, 0.0f, 0.0f, 3.14159265f), AboutAxis(0.0f, 1.0f, 0.0f, 3.14159265f),
    AboutAxis(0.0f, 0.0f, 1.0f, 3.14159265f), AboutAxis(0.48f, 0.6f, 0.64f, 1.3f),
    AboutAxis(-0.8f, 0.0f, 0.6f, 2.9f),       AboutAxis(0.0f, 0.6f, -0.8f, 0.001f),
};

} // namespace

TEST(MathQuaternion, DirectionsOfTheIdentity) {
    const Quaternion identity{0.0f, 0.0f, 0.0f, 1.0f};
    ExpectNear3(Quaternion::GetDirection(identity), Float3{0, 0, 1}, 0.0f);
    ExpectNear3(Quaternion::GetRight(identity), Float3{1, 0, 0}, 0.0f);
    ExpectNear3(Quaternion::GetBackward(identity), Float3{0, 0, -1}, 0.0f);
    ExpectNear3(Quaternion::GetLeft(identity), Float3{-1, 0, 0}, 0.0f);
}

TEST(MathQuaternion, DirectionsOfAQuarterTurnAboutY) {
    // (2(xz − wy), 2(wx + yz), 1 − 2(x² + y²)) with y = w = √½ is (−1, 0, 0);
    // (1 − 2(y² + z²), 2(xy − wz), 2(xz + wy)) is (0, 0, 1).
    const Quaternion q{0.0f, kHalfRoot2, 0.0f, kHalfRoot2};
    ExpectNear3(Quaternion::GetDirection(q), Float3{-1, 0, 0});
    ExpectNear3(Quaternion::GetBackward(q), Float3{1, 0, 0});
    ExpectNear3(Quaternion::GetRight(q), Float3{0, 0, 1});
    ExpectNear3(Quaternion::GetLeft(q), Float3{0, 0, -1});
}

TEST(MathQuaternion, DirectionsAreNormalised) {
    // Twice the quarter turn: the direction formula gives (−4, 0, −3), the right one (−3, 0, 4).
    const Quaternion q{0.0f, 2.0f * kHalfRoot2, 0.0f, 2.0f * kHalfRoot2};
    ExpectNear3(Quaternion::GetDirection(q), Float3{-0.8f, 0.0f, -0.6f});
    ExpectNear3(Quaternion::GetRight(q), Float3{-0.6f, 0.0f, 0.8f});
}

TEST(MathQuaternion, ToMatrixOfAQuarterTurnAboutY) {
    const Quaternion q{0.0f, kHalfRoot2, 0.0f, kHalfRoot2};
    const Float4x4 expected{{0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1}};
    ExpectNearM(Quaternion::ToMatrix(q), expected);
    ExpectNearM(Quaternion::ToMatrix(Quaternion{}), Math::MatrixIdentity(), 0.0f);
}

TEST(MathQuaternion, RightAndDirectionAreRowsZeroAndTwoOfToMatrix) {
    for (const Quaternion& q : kRotations) {
        const Float4x4 m = Quaternion::ToMatrix(q);
        ExpectNear3(Quaternion::GetRight(q), Float3{m.m[0], m.m[1], m.m[2]});
        ExpectNear3(Quaternion::GetDirection(q), Float3{m.m[8], m.m[9], m.m[10]});
    }
}

TEST(MathQuaternion, ToMatrixIsTheRendererMatrixOfTheInverse) {
    for (const Quaternion& q : kRotations) {
        const Float4x4 m = Quaternion::ToMatrix(q);
        ExpectNearM(m, Math::MatrixRotationQuaternion(Math::QuaternionInverse(q)));
        ExpectNearM(m, Math::MatrixTranspose(Math::MatrixRotationQuaternion(q)));
        ExpectNear3(Quaternion::GetDirection(q),
                    Math::RotateByQuaternion(Vector(0, 0, 1), Math::QuaternionInverse(q)));
    }
}

TEST(MathQuaternion, IntegrateWithoutSpinLeavesAUnitQuaternion) {
    for (Quaternion q : kRotations) {
        const Quaternion before = q;
        EXPECT_EQ(&Quaternion::Integrate(q, Vector(0, 0, 0), 0.5f), &q);
        ExpectNearQ(q, before, 1e-6f);
    }
}

TEST(MathQuaternion, IntegrateAddsHalfTheSpinAfterTheRotationAndNormalises) {
    // From the identity, ω = (0, 1, 0) for 0.2 s: (0, 0.1, 0, 1) / √1.01.
    Quaternion q;
    Quaternion::Integrate(q, Vector(0.0f, 1.0f, 0.0f), 0.2f);
    const float n = 1.0f / std::sqrt(1.01f);
    ExpectNearQ(q, Quaternion{0.0f, 0.1f * n, 0.0f, n});

    // q = (s, 0, 0, c) and spin p = (0, 1, 0, 0): q·p = (0, c, s, 0), so
    // q + 0.5·q·p = (s, c/2, s/2, c), of length √1.25. p·q would give −s/2 in z.
    const float s = std::sin(0.3f), c = std::cos(0.3f);
    Quaternion r{s, 0.0f, 0.0f, c};
    r.Integrate(Vector(0.0f, 2.0f, 0.0f), 0.5f);
    const float k = 1.0f / std::sqrt(1.25f);
    ExpectNearQ(r, Quaternion{s * k, 0.5f * c * k, 0.5f * s * k, c * k});
}

TEST(MathQuaternion, MultiplyAppliesTheFirstRotationFirst) {
    // a = quarter turn about x, b = quarter turn about y; b·a in Hamilton's algebra is
    // (½, ½, −½, ½).
    const Quaternion a = AboutAxis(1, 0, 0, 1.5707964f);
    const Quaternion b = AboutAxis(0, 1, 0, 1.5707964f);
    const Quaternion ab = Math::QuaternionMultiply(a, b);
    ExpectNearQ(ab, Quaternion{0.5f, 0.5f, -0.5f, 0.5f});
    // x turns (0, 1, 0) to (0, 0, 1), then y turns that to (1, 0, 0).
    ExpectNear3(Math::RotateByQuaternion(Vector(0, 1, 0), ab), Float3{1, 0, 0});
    ExpectNearM(Math::MatrixRotationQuaternion(ab),
                Math::MatrixRotationX(1.5707964f) * Math::MatrixRotationY(1.5707964f));
}

TEST(MathQuaternion, MatrixOfAProductIsTheProductOfTheMatrices) {
    for (const Quaternion& a : kRotations) {
        for (const Quaternion& b : kRotations) {
            ExpectNearM(Math::MatrixRotationQuaternion(Math::QuaternionMultiply(a, b)),
                        Math::MatrixRotationQuaternion(a) * Math::MatrixRotationQuaternion(b));
        }
    }
}

TEST(MathQuaternion, RendererMatrixMatchesTheAxisRotations) {
    const float angle = 0.9f;
    ExpectNearM(Math::MatrixRotationQuaternion(AboutAxis(1, 0, 0, angle)),
                Math::MatrixRotationX(angle));
    ExpectNearM(Math::MatrixRotationQuaternion(AboutAxis(0, 1, 0, angle)),
                Math::MatrixRotationY(angle));
    ExpectNearM(Math::MatrixRotationQuaternion(AboutAxis(0, 0, 1, angle)),
                Math::MatrixRotationZ(angle));
    ExpectNearM(Math::MatrixRotationQuaternion(AboutAxis(0.48f, 0.6f, 0.64f, angle)),
                Math::MatrixRotationAxis(Float3{0.48f, 0.6f, 0.64f}, angle));
}

TEST(MathQuaternion, RotateByQuaternion) {
    // A quarter turn about y takes x to −z (clockwise seen from above, left-handed).
    ExpectNear3(Math::RotateByQuaternion(Vector(1, 0, 0), AboutAxis(0, 1, 0, 1.5707964f)),
                Float3{0, 0, -1});
    ExpectNear3(Math::RotateByQuaternion(Vector(2, 3, 4), Quaternion{}), Float3{2, 3, 4}, 0.0f);
    for (const Quaternion& q : kRotations) {
        const Vector v(0.3f, -1.2f, 2.0f);
        ExpectNear3(Math::RotateByQuaternion(v, q),
                    Math::Vec3TransformCoord(v, Math::MatrixRotationQuaternion(q)));
        EXPECT_NEAR(Math::RotateByQuaternion(v, q).Length(), v.Length(), 1e-5f);
    }
}

TEST(MathQuaternion, FromRotationMatrixOfKnownTurns) {
    // The animation code's joint turn: a quarter turn back about x.
    ExpectNearQ(Math::QuaternionRotationMatrix(Math::MatrixRotationX(-1.5707964f)),
                Quaternion{-kHalfRoot2, 0.0f, 0.0f, kHalfRoot2});
    ExpectNearQ(Math::QuaternionRotationMatrix(Math::MatrixIdentity()), Quaternion{}, 0.0f);
    // Half turns take the branches without a usable w.
    const Float4x4 halfX{{1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}};
    const Float4x4 halfY{{-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}};
    const Float4x4 halfZ{{-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    ExpectNearQ(Math::QuaternionRotationMatrix(halfX), Quaternion{1, 0, 0, 0}, 0.0f);
    ExpectNearQ(Math::QuaternionRotationMatrix(halfY), Quaternion{0, 1, 0, 0}, 0.0f);
    ExpectNearQ(Math::QuaternionRotationMatrix(halfZ), Quaternion{0, 0, 1, 0}, 0.0f);
}

TEST(MathQuaternion, MatrixToQuaternionToMatrixRoundTrip) {
    for (const Quaternion& q : kRotations) {
        const Float4x4 m = Math::MatrixRotationQuaternion(q);
        const Quaternion back = Math::QuaternionRotationMatrix(m);
        ExpectNearM(Math::MatrixRotationQuaternion(back), m, 2e-6f);
        // The same rotation up to sign.
        const float dot = back.x * q.x + back.y * q.y + back.z * q.z + back.w * q.w;
        EXPECT_NEAR(std::fabs(dot), 1.0f, 1e-5f);
    }
}

TEST(MathQuaternion, SlerpEndsMidpointAndShorterArc) {
    const Quaternion identity;
    const Quaternion quarter = AboutAxis(0, 1, 0, 1.5707964f);
    ExpectNearQ(Math::QuaternionSlerp(identity, quarter, 0.0f), identity);
    ExpectNearQ(Math::QuaternionSlerp(identity, quarter, 1.0f), quarter);
    // Halfway is the eighth turn (0, sin π/8, 0, cos π/8); a quarter of the way π/16.
    ExpectNearQ(Math::QuaternionSlerp(identity, quarter, 0.5f),
                Quaternion{0.0f, 0.38268343f, 0.0f, 0.92387953f});
    ExpectNearQ(Math::QuaternionSlerp(identity, quarter, 0.25f),
                Quaternion{0.0f, 0.19509032f, 0.0f, 0.98078528f});
    // −q is the same rotation: the blend takes the short way to it.
    const Quaternion negated{-quarter.x, -quarter.y, -quarter.z, -quarter.w};
    ExpectNearQ(Math::QuaternionSlerp(identity, negated, 0.5f),
                Quaternion{0.0f, 0.38268343f, 0.0f, 0.92387953f});
    // Nearly equal rotations blend without dividing by a vanishing sine.
    const Quaternion close = AboutAxis(0, 1, 0, 1e-4f);
    const Quaternion mid = Math::QuaternionSlerp(identity, close, 0.5f);
    EXPECT_TRUE(std::isfinite(mid.y));
    EXPECT_NEAR(mid.y, 0.5f * close.y, 1e-7f);
    EXPECT_NEAR(mid.w, 1.0f, 1e-6f);
}

TEST(MathQuaternion, NormalizeAndInverse) {
    ExpectNearQ(Math::QuaternionNormalize(Quaternion{0, 0, 3, 4}), Quaternion{0, 0, 0.6f, 0.8f});
    ExpectNearQ(Math::QuaternionNormalize(Quaternion{0, 0, 0, 0}), Quaternion{0, 0, 0, 0}, 0.0f);
    // Conjugate over the squared length 1 + 4 + 9 + 16 = 30.
    ExpectNearQ(Math::QuaternionInverse(Quaternion{1, 2, 3, 4}),
                Quaternion{-1.0f / 30, -2.0f / 30, -3.0f / 30, 4.0f / 30});
    ExpectNearQ(Math::QuaternionInverse(Quaternion{0, 0, 0, 0}), Quaternion{0, 0, 0, 0}, 0.0f);
    for (const Quaternion& q : kRotations) {
        ExpectNearQ(Math::QuaternionMultiply(q, Math::QuaternionInverse(q)), Quaternion{});
    }
}
