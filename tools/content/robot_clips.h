#pragma once
// The robot's nine file clips as a table of poses: for each clip its loop flag and key
// frames, each key the six joints' weight, rotation and position as the animation text
// files hold them (positions in the robot base's frame, 6 higher than they are played).
// make_content writes the files from this table; the tests read the packed files back and
// compare them with it. Self-contained (no engine headers), so the generator builds alone.
//
// Matrices act on row vectors (v · M), so A · B turns by A first; RotX/RotY/RotZ are the
// engine's MatrixRotationX/Y/Z. The robot faces −z: a positive pitch swings a limb forward.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace robot_clips {

using Vec3 = std::array<double, 3>;
// Row-major 3×3.
using Mat3 = std::array<double, 9>;

inline Mat3 Identity3() {
    return {1, 0, 0, 0, 1, 0, 0, 0, 1};
}

inline Mat3 Mul(const Mat3& a, const Mat3& b) {
    Mat3 out{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            for (int k = 0; k < 3; ++k) {
                out[r * 3 + c] += a[r * 3 + k] * b[k * 3 + c];
            }
        }
    }
    return out;
}

inline Mat3 RotX(double a) {
    const double c = std::cos(a), s = std::sin(a);
    return {1, 0, 0, 0, c, s, 0, -s, c};
}
inline Mat3 RotY(double a) {
    const double c = std::cos(a), s = std::sin(a);
    return {c, 0, -s, 0, 1, 0, s, 0, c};
}
inline Mat3 RotZ(double a) {
    const double c = std::cos(a), s = std::sin(a);
    return {c, s, 0, -s, c, 0, 0, 0, 1};
}

inline Vec3 Transform(const Vec3& v, const Mat3& m) {
    return {v[0] * m[0] + v[1] * m[3] + v[2] * m[6], v[0] * m[1] + v[1] * m[4] + v[2] * m[7],
            v[0] * m[2] + v[1] * m[5] + v[2] * m[8]};
}
inline Vec3 Add(const Vec3& a, const Vec3& b) {
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
inline Vec3 Sub(const Vec3& a, const Vec3& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

// Slot order of the poses and of the records in a key.
inline constexpr const char* kJointNames[6] = {"Body",    "Head",     "RightArm",
                                               "LeftArm", "RightLeg", "LeftLeg"};
// The standing pose, in the files' frame.
inline constexpr Vec3 kRest[6] = {{0, 17.75, 0}, {0, 24.5, 0},   {-5, 13.75, 0},
                                  {5, 13.75, 0}, {-2, 4.75, -1}, {2, 4.75, -1}};
// Where each part turns: the hips for the body, the neck, the shoulders and the hip joints.
inline constexpr Vec3 kPivot[6] = {{0, 13.25, 0}, {0, 22.5, 0},   {-5, 17.75, 0},
                                   {5, 17.75, 0}, {-2, 9.25, -1}, {2, 9.25, -1}};
// The soles, in the files' frame: the whole robot tips over about this line when it dies.
inline constexpr Vec3 kGround = {0, -0.75, 0};

struct JointPose {
    double weight = 1.0;
    Mat3 rotation = Identity3();
    Vec3 position{};
};

struct ClipKey {
    int frame = 0;
    std::array<JointPose, 6> joints;
};

struct Clip {
    std::string name;
    bool loop = false;
    std::vector<ClipKey> keys;
};

// One key described by turns (radians) and shifts of the parts. The head and arms ride on
// the body, every part on the whole robot's tilt.
struct Limbs {
    double pitch = 0, yaw = 0, roll = 0; // body, about its hips
    Vec3 lift{};                         // the upper body's shift (body, head, arms)
    double headPitch = 0, headYaw = 0;
    double rightArmPitch = 0, rightArmRoll = 0;
    double leftArmPitch = 0, leftArmRoll = 0;
    double rightLegPitch = 0, leftLegPitch = 0;
    Vec3 legLift{};                     // both legs' shift
    double tiltPitch = 0, tiltRoll = 0; // the whole robot, about the soles
};

// A turn of a part: roll, then pitch, then yaw (all about the base's axes).
inline Mat3 Turn(double pitch, double yaw, double roll) {
    return Mul(Mul(RotZ(roll), RotX(pitch)), RotY(yaw));
}

inline ClipKey Pose(int frame, const Limbs& l) {
    ClipKey key;
    key.frame = frame;
    const Mat3 body = Turn(l.pitch, l.yaw, l.roll);
    const Mat3 tilt = Mul(RotZ(l.tiltRoll), RotX(l.tiltPitch));
    // A point of a part that hangs from the body: turned with the body about the hips.
    const auto onBody = [&](const Vec3& p) {
        return Add(Add(kPivot[0], Transform(Sub(p, kPivot[0]), body)), l.lift);
    };
    const Mat3 local[6] = {Identity3(),
                           Turn(l.headPitch, l.headYaw, 0),
                           Turn(l.rightArmPitch, 0, l.rightArmRoll),
                           Turn(l.leftArmPitch, 0, l.leftArmRoll),
                           Turn(l.rightLegPitch, 0, 0),
                           Turn(l.leftLegPitch, 0, 0)};
    for (int j = 0; j < 6; ++j) {
        const bool upper = j < 4;
        // The part about its own pivot, then (upper parts) with the body.
        Vec3 position = Add(kPivot[j], Transform(Sub(kRest[j], kPivot[j]), local[j]));
        Mat3 rotation = local[j];
        if (upper) {
            position = j == 0 ? onBody(kRest[0]) : onBody(position);
            rotation = j == 0 ? body : Mul(rotation, body);
        } else {
            position = Add(position, l.legLift);
        }
        position = Add(kGround, Transform(Sub(position, kGround), tilt));
        key.joints[j].rotation = Mul(rotation, tilt);
        key.joints[j].position = position;
    }
    return key;
}

constexpr double kPi = 3.14159265358979323846;

// A loop of the given length in frames with two footfalls: the legs swing in opposite
// phase, the arms against them, the body dips at each footfall.
inline std::vector<ClipKey> Stride(int length, int step, double legSwing, double armSwing,
                                   double lean, double dip) {
    std::vector<ClipKey> keys;
    for (int frame = 0;; frame = std::min(frame + step, length)) {
        const double s = std::sin(2 * kPi * frame / length);
        Limbs l;
        l.pitch = lean;
        l.yaw = 0.08 * s;
        l.lift = {0, -dip * s * s, 0};
        l.headPitch = -lean * 0.5;
        l.headYaw = -0.06 * s;
        l.rightLegPitch = legSwing * s;
        l.leftLegPitch = -legSwing * s;
        l.rightArmPitch = -armSwing * s;
        l.leftArmPitch = armSwing * s;
        l.legLift = {0, -dip * 0.5 * s * s, 0};
        keys.push_back(Pose(frame, l));
        if (frame == length) {
            return keys;
        }
    }
}

// Frame n of the result is the clip's pose at frame last − n.
inline std::vector<ClipKey> Reversed(const std::vector<ClipKey>& keys, int last) {
    std::vector<ClipKey> out(keys.rbegin(), keys.rend());
    for (ClipKey& key : out) {
        key.frame = last - key.frame;
    }
    return out;
}

inline std::vector<Clip> RobotClips() {
    std::vector<Clip> clips;
    const std::vector<ClipKey> walk = Stride(47, 4, 0.45, 0.35, 0.0, 0.6);
    clips.push_back({"Walk", true, walk});

    std::vector<ClipKey> idle;
    for (int frame = 0; frame <= 60; frame += 10) {
        const double s = std::sin(2 * kPi * frame / 60.0);
        Limbs l;
        l.lift = {0, 0.2 * s, 0};
        l.headPitch = 0.04 * s;
        l.rightArmRoll = -0.05 * (1 + s);
        l.leftArmRoll = 0.05 * (1 + s);
        idle.push_back(Pose(frame, l));
    }
    clips.push_back({"Idle", true, idle});

    clips.push_back({"Juggernaut", true, Stride(19, 2, 0.7, 0.6, 0.3, 0.8)});

    Limbs crouch;
    crouch.lift = {0, -1.5, 0};
    crouch.pitch = 0.2;
    crouch.rightArmPitch = crouch.leftArmPitch = -0.4;
    crouch.rightLegPitch = crouch.leftLegPitch = 0.3;
    crouch.legLift = {0, -0.5, 0};
    Limbs reach;
    reach.lift = {0, 0.5, 0};
    reach.rightArmPitch = reach.leftArmPitch = 2.4;
    reach.rightArmRoll = -0.3;
    reach.leftArmRoll = 0.3;
    Limbs tuck = reach;
    tuck.rightLegPitch = tuck.leftLegPitch = 0.6;
    tuck.legLift = {0, 1.0, 0};
    clips.push_back(
        {"Jump", false, {Pose(0, {}), Pose(4, crouch), Pose(8, reach), Pose(12, tuck)}});

    Limbs flail = reach;
    flail.rightArmPitch = 2.0;
    flail.leftArmPitch = 2.8;
    flail.rightArmRoll = -0.7;
    flail.leftArmRoll = 0.7;
    flail.rightLegPitch = 0.3;
    flail.leftLegPitch = -0.2;
    Limbs flail2 = flail;
    flail2.rightArmPitch = 2.8;
    flail2.leftArmPitch = 2.0;
    flail2.rightLegPitch = -0.2;
    flail2.leftLegPitch = 0.3;
    clips.push_back({"Fall", false, {Pose(0, reach), Pose(6, flail), Pose(12, flail2)}});

    Limbs impact = crouch;
    impact.lift = {0, -2.0, 0};
    impact.rightArmRoll = -0.5;
    impact.leftArmRoll = 0.5;
    clips.push_back({"Land", false, {Pose(0, crouch), Pose(4, impact), Pose(12, {})}});

    Limbs stagger;
    stagger.pitch = -0.3;
    stagger.headPitch = -0.4;
    stagger.rightArmPitch = 0.8;
    stagger.leftArmPitch = 0.5;
    stagger.rightArmRoll = -0.6;
    stagger.leftArmRoll = 0.9;
    stagger.rightLegPitch = 0.4;
    Limbs topple = stagger;
    topple.tiltPitch = -0.9;
    topple.tiltRoll = 0.3;
    topple.headYaw = 0.5;
    Limbs down = topple;
    down.tiltPitch = -kPi / 2;
    down.tiltRoll = 0.4;
    down.rightArmRoll = -1.2;
    down.leftArmRoll = 1.4;
    clips.push_back(
        {"Die",
         false,
         {Pose(0, {}), Pose(10, stagger), Pose(25, topple), Pose(38, down), Pose(45, down)}});

    Limbs aim;
    aim.pitch = 0.1;
    aim.headPitch = 0.25;
    aim.rightArmPitch = 1.4;
    aim.leftArmPitch = 1.4;
    aim.rightArmRoll = 0.35;
    aim.leftArmRoll = -0.35;
    aim.lift = {0, -0.5, 0};
    Limbs recoil = aim;
    recoil.pitch = -0.05;
    recoil.headPitch = 0.1;
    clips.push_back({"Laser",
                     false,
                     {Pose(0, {}), Pose(15, aim), Pose(22, recoil), Pose(45, aim), Pose(52, aim),
                      Pose(60, {})}});

    clips.push_back({"WalkBackwards", true, Reversed(walk, 47)});
    return clips;
}

} // namespace robot_clips
