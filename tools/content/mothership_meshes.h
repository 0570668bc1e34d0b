// The mothership's animated parts: the main gun, a spire through the hull whose four petals
// open below the ship to bare the core, and the hatches whose doors swing open to let a
// saucer out. Included by make_content.cpp after animated_meshes.h.
#pragma once

namespace mothership_content {

int Ticks(float seconds) {
    return static_cast<int>(seconds * kTicksPerSecond);
}

// A petal's angle held from start to end, or moving between the two over the clip.
std::vector<std::pair<int, float>> Hold(float seconds, float angle) {
    return {{0, angle}, {Ticks(seconds), angle}};
}

std::vector<std::pair<int, float>> Move(float seconds, float from, float to) {
    return {{0, from}, {Ticks(seconds), to}};
}

// The four petals, each turned by its own sign so that all open outward.
AnimSet Petals(const char* name, const std::vector<std::pair<int, float>>& keys) {
    const Vec3 x{1, 0, 0}, z{0, 0, 1};
    const auto negated = [&keys] {
        std::vector<std::pair<int, float>> out = keys;
        for (auto& key : out) {
            key.second = -key.second;
        }
        return out;
    }();
    return {name, {{1, z, keys}, {2, z, negated}, {3, x, negated}, {4, x, keys}}};
}

std::vector<AnimatedMesh> MothershipMeshes() {
    const Material dark{0.15f, 0.15f, 0.18f, 16.0f, ""};
    const Material alien{0.55f, 0.6f, 0.65f, 48.0f, "metal.png"};
    const Material plate{0.3f, 0.34f, 0.38f, 32.0f, "metal.png"};
    const Vec3 z{0, 0, 1};
    constexpr float kOpen = 1.1f;
    constexpr float kHinge = -130.0f;

    std::vector<AnimatedMesh> meshes;
    // The spire: 260 tall and centred, so its foot hangs 88 below the hull when the gun sits
    // 42 above the base's centre. Clip lengths are in seconds at normal speed; the gun plays
    // them at half speed ("Open" takes about 2 s).
    meshes.push_back(
        {"mothership_bfg",
         {alien, dark},
         {{"Spire", -1, {0, 0, 0}},
          {"PetalEast", 0, {25, kHinge, 0}},
          {"PetalWest", 0, {-25, kHinge, 0}},
          {"PetalSouth", 0, {0, kHinge, 25}},
          {"PetalNorth", 0, {0, kHinge, -25}}},
         {{{0, 0, 0, 50, 260, 50, 0}, 0},
          {{0, 125, 0, 70, 10, 70, 1}, 0},
          {{0, -60, 0, 62, 12, 62, 1}, 0},
          {{23, kHinge - 22, 0, 4, 44, 46, 1}, 1},
          {{-23, kHinge - 22, 0, 4, 44, 46, 1}, 2},
          {{0, kHinge - 22, 23, 46, 44, 4, 1}, 3},
          {{0, kHinge - 22, -23, 46, 44, 4, 1}, 4}},
         false,
         {Petals("Charge", {{0, kOpen}, {Ticks(0.5f), kOpen + 0.1f}, {Ticks(1.0f), kOpen}}),
          Petals("Idle", Hold(2.0f, 0.0f)), Petals("Open", Move(1.0f, 0.0f, kOpen)),
          Petals("Rest", Hold(1.0f, kOpen)), Petals("Retract", Move(1.0f, kOpen, 0.0f)),
          Petals("Shoot", {{0, kOpen}, {Ticks(0.15f), kOpen + 0.35f}, {Ticks(0.75f), kOpen}})}});
    // A hatch: a frame in the hull with a door hinged on one side.
    meshes.push_back(
        {"mothership_hatch",
         {plate, dark},
         {{"Frame", -1, {0, 0, 0}}, {"Door", 0, {-14, -2, 0}}},
         {{{0, 2, 0, 32, 3, 32, 1}, 0}, {{0, -2, 0, 28, 2, 28, 0}, 1}},
         false,
         {{"Idle", {{1, z, Hold(1.0f, 0.0f)}}},
          {"Spawn",
           {{1,
             z,
             {{0, 0.0f}, {Ticks(0.4f), -1.4f}, {Ticks(1.2f), -1.4f}, {Ticks(1.6f), 0.0f}}}}}}});
    return meshes;
}

} // namespace mothership_content
