// The ten clips built in code: the punches, grab, hold, throw and victory pose. Each key
// frame is the rest pose with a few joints moved; the weights make a clip layered over the
// walk move only the parts it names (the legs stay with the clips beneath).
#include <array>
#include <string>
#include <vector>

#include "animation/animation.h"
#include "core/math_functions.h"

namespace {

constexpr float kPi = 3.1415927f;
// The table positions are built 5 higher than the poses are played.
constexpr float kDrop = 5.0f;

enum class Turn { None, X, Y, XZ };

struct Move {
    int slot;
    Vector position;
    Turn turn;
    // The angle as a multiple of pi.
    float k;
};

struct KeyRow {
    float time;
    std::array<float, Skeleton::kSlotCount> weights;
    std::vector<Move> moves;
};

const Vector& RestPosition(int slot) {
    static const Vector rest[Skeleton::kSlotCount] = {
        Vector(0.0f, 16.75f, 0.0f), Vector(0.0f, 23.5f, 0.0f),   Vector(-5.0f, 12.75f, 0.0f),
        Vector(5.0f, 12.75f, 0.0f), Vector(-2.0f, 3.75f, -1.0f), Vector(2.0f, 3.75f, -1.0f)};
    return rest[slot];
}

Quaternion Rotation(Turn turn, float k) {
    switch (turn) {
    case Turn::X:
        return Math::QuaternionRotationMatrix(Math::MatrixRotationX(kPi * k));
    case Turn::Y:
        return Math::QuaternionRotationMatrix(Math::MatrixRotationY(kPi * k));
    case Turn::XZ:
        return Math::QuaternionRotationMatrix(
            Math::MatrixMultiply(Math::MatrixRotationX(-kPi), Math::MatrixRotationZ(kPi * 0.125f)));
    case Turn::None:
        break;
    }
    return Quaternion{};
}

Skeleton Pose(const KeyRow& frame) {
    Quaternion rotations[Skeleton::kSlotCount];
    Vector positions[Skeleton::kSlotCount];
    for (int slot = 0; slot < Skeleton::kSlotCount; ++slot) {
        positions[slot] = RestPosition(slot);
    }
    for (const Move& move : frame.moves) {
        positions[move.slot] = move.position;
        rotations[move.slot] = Rotation(move.turn, move.k);
    }
    Skeleton pose(true);
    for (int slot = 0; slot < Skeleton::kSlotCount; ++slot) {
        pose.AddJoint(new AnimationJoint(rotations[slot], positions[slot], frame.weights[slot]));
    }
    return pose;
}

constexpr int kBody = Skeleton::kBody;
constexpr int kRightArm = Skeleton::kRightArm;
constexpr int kLeftArm = Skeleton::kLeftArm;

Move Body(Turn turn, float k) {
    return Move{kBody, RestPosition(kBody), turn, k};
}

using ClipFrames = std::vector<KeyRow>;

// The key frames of a clip built in code; none for any other name.
const ClipFrames& FramesOf(const std::string& name) {
    // Weights: Body, Head, RightArm, LeftArm, RightLeg, LeftLeg.
    static const std::array<float, 6> kRightCharge = {0.45f, 0.25f, 0.95f, 0.0f, 0.0f, 0.0f};
    static const std::array<float, 6> kRightFollow = {0.15f, 0.25f, 0.95f, 0.0f, 0.0f, 0.0f};
    static const std::array<float, 6> kLeftCharge = {0.4f, 0.25f, 0.0f, 0.95f, 0.0f, 0.0f};
    static const std::array<float, 6> kLeftFollow = {0.15f, 0.25f, 0.0f, 0.95f, 0.0f, 0.0f};
    static const std::array<float, 6> kGrab = {0.25f, 0.25f, 1.0f, 0.0f, 0.0f, 0.0f};
    static const std::array<float, 6> kHold = {0.0f, 0.25f, 1.0f, 0.0f, 0.0f, 0.0f};
    static const std::array<float, 6> kSwing = {0.75f, 0.25f, 1.0f, 0.0f, 0.0f, 0.0f};
    static const std::array<float, 6> kAll = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    static const std::array<float, 6> kArms = {0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f};

    static const Move kHeldUp{kRightArm, Vector(-10.0f, 20.75f, 0.0f), Turn::XZ, 0.0f};

    static const ClipFrames kRightPunchCharge = {
        {0.0f, kRightCharge, {}},
        {0.2f,
         kRightCharge,
         {Body(Turn::Y, -0.1f), {kRightArm, Vector(-6.0f, 16.75f, 2.0f), Turn::X, -0.5f}}},
        {0.4f,
         kRightCharge,
         {Body(Turn::Y, -0.16666667f),
          {kRightArm, Vector(-6.0f, 16.75f, 10.0f), Turn::X, -0.6666667f}}},
    };
    static const ClipFrames kRightPunchRelease = {
        {0.0f,
         kRightCharge,
         {Body(Turn::Y, -0.16666667f),
          {kRightArm, Vector(-6.0f, 16.75f, 10.0f), Turn::X, -0.6666667f}}},
        {0.1f,
         kRightFollow,
         {Body(Turn::Y, 0.16666667f), {kRightArm, Vector(-5.0f, 14.75f, -15.0f), Turn::X, -0.5f}}},
    };
    static const ClipFrames kRightPunchRest = {
        {0.0f,
         kRightFollow,
         {Body(Turn::Y, 0.16666667f), {kRightArm, Vector(-5.0f, 14.75f, -15.0f), Turn::X, -0.5f}}},
        {0.2f,
         kRightFollow,
         {Body(Turn::Y, 0.0625f),
          {kRightArm, Vector(-5.0f, 13.75f, -5.0f), Turn::X, -0.33333334f}}},
        {0.5f, kRightFollow, {}},
    };
    static const ClipFrames kLeftPunchCharge = {
        {0.0f, kLeftCharge, {}},
        {0.2f,
         kLeftCharge,
         {Body(Turn::Y, 0.1f), {kLeftArm, Vector(6.0f, 16.75f, 2.0f), Turn::X, -0.5f}}},
        {0.4f,
         kLeftCharge,
         {Body(Turn::Y, 0.16666667f),
          {kLeftArm, Vector(6.0f, 16.75f, 10.0f), Turn::X, -0.6666667f}}},
    };
    static const ClipFrames kLeftPunchRelease = {
        {0.0f,
         kLeftCharge,
         {Body(Turn::Y, 0.16666667f),
          {kLeftArm, Vector(6.0f, 16.75f, 10.0f), Turn::X, -0.6666667f}}},
        {0.1f,
         kLeftFollow,
         {Body(Turn::Y, 0.16666667f), {kLeftArm, Vector(5.0f, 14.75f, -15.0f), Turn::X, -0.5f}}},
    };
    static const ClipFrames kLeftPunchRest = {
        {0.0f,
         kLeftFollow,
         {Body(Turn::Y, 0.16666667f), {kLeftArm, Vector(5.0f, 14.75f, -15.0f), Turn::X, -0.5f}}},
        {0.2f,
         kLeftFollow,
         {Body(Turn::Y, -0.0625f), {kLeftArm, Vector(5.0f, 13.75f, -5.0f), Turn::X, -0.33333334f}}},
        {0.5f, kLeftFollow, {}},
    };
    static const ClipFrames kGrabFrames = {
        {0.0f, kGrab, {}},
        {0.15f, kGrab, {}},
        {0.5f, kGrab, {kHeldUp}},
    };
    static const ClipFrames kHoldFrames = {
        {0.0f, kHold, {kHeldUp}},
    };
    static const ClipFrames kThrowFrames = {
        {0.0f, kHold, {kHeldUp}},
        {0.2f,
         kSwing,
         {Body(Turn::Y, -0.0625f),
          {kRightArm, Vector(-8.0f, 15.75f, 12.0f), Turn::X, -1.3333334f}}},
        {0.3f,
         kSwing,
         {Body(Turn::Y, 0.0625f), {kRightArm, Vector(-6.0f, 17.75f, -15.0f), Turn::X, -0.5f}}},
        {0.6f, kHold, {}},
    };
    static const ClipFrames kVictoryFrames = {
        {0.0f, kAll, {}},
        {0.18f,
         kArms,
         {{kRightArm, Vector(-6.0f, 26.75f, 0.0f), Turn::X, -1.0f},
          {kLeftArm, Vector(6.0f, 26.75f, 0.0f), Turn::X, -1.0f}}},
    };

    struct Clip {
        const char* name;
        const ClipFrames& frames;
    };
    static const Clip kClips[] = {
        {"Right Punch Charge", kRightPunchCharge},
        {"Right Punch Release", kRightPunchRelease},
        {"Right Punch Rest", kRightPunchRest},
        {"Left Punch Charge", kLeftPunchCharge},
        {"Left Punch Release", kLeftPunchRelease},
        {"Left Punch Rest", kLeftPunchRest},
        {"Grab", kGrabFrames},
        {"Hold", kHoldFrames},
        {"Throw", kThrowFrames},
        {"Victory", kVictoryFrames},
    };
    static const ClipFrames kNone;
    for (const Clip& clip : kClips) {
        if (name == clip.name) {
            return clip.frames;
        }
    }
    return kNone;
}

} // namespace

bool Animation::BuildCombatFrames(const std::string& name) {
    const ClipFrames& frames = FramesOf(name);
    if (frames.empty()) {
        return false;
    }
    for (const KeyRow& frame : frames) {
        AddKeyFrame(frame.time, Pose(frame));
    }
    if (name == "Grab") {
        // The reaching arm of the frame at 0.15 s is re-posed towards what is grabbed.
        m_aim_joint = m_frames[1].skeleton->PoseJoint(Skeleton::kRightArm);
    }
    for (const KeyFrame& frame : m_frames) {
        for (std::size_t slot = 0; slot < frame.skeleton->m_joints.size(); ++slot) {
            frame.skeleton->PoseJoint(slot)->m_position.y -= kDrop;
        }
    }
    return true;
}
