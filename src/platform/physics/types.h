#pragma once
// Plain values the physics layer speaks in.
#include <cstdint>

namespace physics {

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

// Rotation quaternion (x, y, z, w), the engine's own handedness.
struct Quat {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;
};

struct Pose {
    Vec3 position;
    Quat orientation;
};

// Body flags, by the values the game stores in its messages.
namespace body_flag {
constexpr std::uint32_t kFrozenPosX = 2;
constexpr std::uint32_t kFrozenPosY = 4;
constexpr std::uint32_t kFrozenPosZ = 8;
constexpr std::uint32_t kFrozenRotX = 16;
constexpr std::uint32_t kFrozenRotY = 32;
constexpr std::uint32_t kFrozenRotZ = 64;
constexpr std::uint32_t kFrozenPos = kFrozenPosX | kFrozenPosY | kFrozenPosZ;
constexpr std::uint32_t kFrozenRot = kFrozenRotX | kFrozenRotY | kFrozenRotZ;
constexpr std::uint32_t kFrozen = kFrozenPos | kFrozenRot; // 126
} // namespace body_flag

// Contact report bits.
namespace contact_event {
constexpr std::uint32_t kStartTouch = 2;
constexpr std::uint32_t kEndTouch = 4;
constexpr std::uint32_t kTouch = 8;
} // namespace contact_event

// Trigger report bits.
namespace trigger_event {
constexpr std::uint32_t kEnter = 1;
constexpr std::uint32_t kLeave = 2;
constexpr std::uint32_t kStay = 4;
} // namespace trigger_event

} // namespace physics
