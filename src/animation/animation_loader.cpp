// Clips read from the art package's animation text files. A file is whitespace-separated
// tokens: first frame number, a second frame number (unused), the key frame count and the
// loop word, then per key frame a label, its frame number and six joint records of name,
// weight, 3×3 rotation in row order and position.
#include <algorithm>
#include <array>
#include <cmath>
#include <istream>
#include <sstream>

#include "animation/animation.h"
#include "content/file_package.h"
#include "core/math_functions.h"
#include "core/matrix.h"
#include "platform/system/log.h"

namespace {

constexpr float kPi = 3.1415927f;
// The files count frames at 30 per second.
constexpr float kSecondsPerFrame = 0.033333335f;
// The files' positions stand 6 higher than the poses are played.
constexpr float kDrop = 6.0f;

int SlotOf(const std::string& name) {
    static const char* const kNames[Skeleton::kSlotCount] = {"Body",    "Head",     "RightArm",
                                                             "LeftArm", "RightLeg", "LeftLeg"};
    for (int slot = 0; slot < Skeleton::kSlotCount; ++slot) {
        if (name == kNames[slot]) {
            return slot;
        }
    }
    return -1;
}

// A record's matrix in the game's frame: a quarter turn about x stands it upright, then the
// turn about the vertical measured from it is mirrored (turned back by twice its angle).
Quaternion RecordRotation(const std::array<float, 9>& m) {
    Float4x4 matrix = Matrix::FromRotation(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]);
    matrix = Math::MatrixMultiply(Math::MatrixRotationX(kPi * -0.5f), matrix);
    const Quaternion measured = Math::QuaternionRotationMatrix(matrix);
    const double sine = 2.0 * (static_cast<double>(measured.y) * measured.w -
                               static_cast<double>(measured.x) * measured.z);
    // Rounding can carry the sine of a quarter turn just past 1.
    const double theta = std::asin(std::clamp(sine, -1.0, 1.0));
    matrix = Math::MatrixMultiply(Math::MatrixRotationY(static_cast<float>(theta * -2.0)), matrix);
    return Math::QuaternionRotationMatrix(matrix);
}

struct Record {
    std::string name;
    float weight = 0.0f;
    std::array<float, 9> rotation{};
    Vector position;
};

bool ReadRecord(std::istream& text, Record& record) {
    text >> record.name >> record.weight;
    for (float& value : record.rotation) {
        text >> value;
    }
    text >> record.position.x >> record.position.y >> record.position.z;
    return static_cast<bool>(text);
}

} // namespace

void Animation::Read(std::istream& text) {
    m_frames.clear();
    // The aim joint belonged to the frames just dropped.
    m_aim_joint = nullptr;

    int firstFrame = 0;
    int unused = 0;
    int count = 0;
    std::string loop;
    text >> firstFrame >> unused >> count >> loop;
    m_looping = loop == "true";
    if (!text) {
        return;
    }

    // A slot that a frame does not name keeps the weight it had in the frame before; in the
    // first frame it has none.
    std::array<float, Skeleton::kSlotCount> weights{};
    for (int i = 0; i < count; ++i) {
        std::string label;
        int frameNumber = 0;
        if (!(text >> label >> frameNumber)) {
            // The header promised more frames than the text holds.
            return;
        }
        const float time =
            static_cast<float>(static_cast<long long>(frameNumber) - firstFrame) * kSecondsPerFrame;
        std::array<Vector, Skeleton::kSlotCount> positions;
        std::array<Quaternion, Skeleton::kSlotCount> rotations;
        for (int r = 0; r < Skeleton::kSlotCount; ++r) {
            Record record;
            if (!ReadRecord(text, record)) {
                // A frame cut short is dropped with the rest of the text.
                return;
            }
            const int slot = SlotOf(record.name);
            if (slot < 0) {
                continue;
            }
            weights[slot] = record.weight;
            rotations[slot] = RecordRotation(record.rotation);
            positions[slot] =
                Vector(record.position.x, record.position.y - kDrop, record.position.z);
        }
        Skeleton pose(true);
        for (int slot = 0; slot < Skeleton::kSlotCount; ++slot) {
            pose.AddJoint(new AnimationJoint(rotations[slot], positions[slot], weights[slot]));
        }
        AddKeyFrame(time, pose);
    }
}

boost::shared_ptr<Animation> Animation::FromText(const std::string& name, const std::string& text) {
    boost::shared_ptr<Animation> animation(new Animation(name));
    std::istringstream stream(text);
    animation->Read(stream);
    if (animation->m_frames.empty()) {
        sys::LogLine("Animation: no key frames for " + name);
    }
    return animation;
}

boost::shared_ptr<Animation> Animation::Load(const std::string& name,
                                             const std::string& packagePath) {
    const std::string path = "./assets/art/animation_" + name + ".txt";
    u32 size = 0;
    const std::unique_ptr<u8[]> bytes =
        FilePackage::Get(packagePath)->GetFile(FilePackage::SplitPath(path), size);
    const std::string text =
        bytes != nullptr ? std::string(reinterpret_cast<const char*>(bytes.get()), size) : "";
    return FromText(name, text);
}
