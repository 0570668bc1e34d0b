// Meshes with frame hierarchies, skin weights and animation sets, written as text .X files,
// and the two unit shapes the renderer draws over collision shapes. Included by
// make_content.cpp after its box geometry and mesh writer.
#pragma once

// One frame of a hierarchy: its parent (-1 for the root's children) and its place in the
// parent's space.
struct BoneFrame {
    const char* name;
    int parent;
    Vec3 position;
};

// A box that moves with one frame; its centre is in model space.
struct BonePart {
    Part box;
    int bone;
};

// One frame turning about an axis: (tick, angle) keys, about the frame's own place.
struct Turn {
    int bone;
    Vec3 axis;
    std::vector<std::pair<int, float>> keys;
};

struct AnimSet {
    const char* name;
    std::vector<Turn> turns;
};

struct AnimatedMesh {
    const char* name;
    std::vector<Material> materials;
    std::vector<BoneFrame> bones;
    std::vector<BonePart> parts;
    // Skinned: one mesh on the root frame weighted to the bones. Otherwise each frame
    // holds a mesh of its own boxes.
    bool skinned;
    std::vector<AnimSet> sets;
    // When set, a frame's mesh (not skinned) is this shape instead of its boxes.
    std::function<Geometry(int bone)> shape = nullptr;
};

// Ticks of the animation keys per second, as the animation library reads them.
constexpr int kTicksPerSecond = 3600;

Vec3 BoneWorldPosition(const AnimatedMesh& mesh, int bone) {
    Vec3 sum{0, 0, 0};
    for (int b = bone; b >= 0; b = mesh.bones[b].parent) {
        sum = {sum.x + mesh.bones[b].position.x, sum.y + mesh.bones[b].position.y,
               sum.z + mesh.bones[b].position.z};
    }
    return sum;
}

// Row-vector matrix: rotation by angle about the unit axis, then the translation.
std::array<float, 16> TurnMatrix(Vec3 axis, float angle, Vec3 position) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float t = 1.0f - c;
    const float x = axis.x, y = axis.y, z = axis.z;
    return {t * x * x + c,     t * x * y + s * z, t * x * z - s * y, 0,
            t * x * y - s * z, t * y * y + c,     t * y * z + s * x, 0,
            t * x * z + s * y, t * y * z - s * x, t * z * z + c,     0,
            position.x,        position.y,        position.z,        1};
}

void WriteMatrix(std::FILE* file, const std::array<float, 16>& m) {
    for (int i = 0; i < 16; ++i) {
        std::fprintf(file, "%f%s", m[i], i < 15 ? "," : "");
    }
}

void WriteAnimatedMesh(const fs::path& folder, const AnimatedMesh& mesh) {
    fs::create_directories(folder);
    const fs::path path = folder / (std::string(mesh.name) + ".x");
    std::FILE* file = std::fopen(path.string().c_str(), "w");
    if (file == nullptr) {
        Fail("cannot write " + path.string());
    }
    const auto partsOf = [&mesh](int bone, bool local) {
        std::vector<Part> parts;
        const Vec3 at = local ? BoneWorldPosition(mesh, bone) : Vec3{0, 0, 0};
        for (const BonePart& part : mesh.parts) {
            if (part.bone == bone || (bone < 0 && !local)) {
                Part box = part.box;
                box.cx -= at.x;
                box.cy -= at.y;
                box.cz -= at.z;
                parts.push_back(box);
            }
        }
        return parts;
    };
    std::function<void(int, int)> writeFrame = [&](int bone, int depth) {
        const std::string indent(static_cast<std::size_t>(depth), ' ');
        const BoneFrame& frame = mesh.bones[bone];
        std::fprintf(file, "%sFrame %s {\n%s FrameTransformMatrix {\n%s  ", indent.c_str(),
                     frame.name, indent.c_str(), indent.c_str());
        WriteMatrix(file, TurnMatrix({0, 1, 0}, 0.0f, frame.position));
        std::fprintf(file, ";;\n%s }\n", indent.c_str());
        if (!mesh.skinned && mesh.shape) {
            WriteMeshObject(file, std::string(frame.name) + "Mesh", mesh.shape(bone),
                            mesh.materials);
        } else if (!mesh.skinned) {
            const std::vector<Part> own = partsOf(bone, true);
            if (!own.empty()) {
                WriteMeshObject(file, std::string(frame.name) + "Mesh", BoxGeometry(own, 10.0f),
                                mesh.materials);
            }
        }
        for (int child = 0; child < static_cast<int>(mesh.bones.size()); ++child) {
            if (mesh.bones[child].parent == bone) {
                writeFrame(child, depth + 1);
            }
        }
        std::fprintf(file, "%s}\n", indent.c_str());
    };

    std::fprintf(file, "xof 0303txt 0032\n\nFrame %s {\n FrameTransformMatrix {\n  %s\n }\n",
                 mesh.name, kIdentityMatrixText);
    for (int bone = 0; bone < static_cast<int>(mesh.bones.size()); ++bone) {
        if (mesh.bones[bone].parent < 0) {
            writeFrame(bone, 1);
        }
    }
    if (mesh.skinned) {
        // Boxes in order, 24 vertices each: bone b moves the vertices of its boxes.
        std::vector<Part> all;
        std::vector<int> owner;
        for (const BonePart& part : mesh.parts) {
            all.push_back(part.box);
            owner.push_back(part.bone);
        }
        WriteMeshObject(
            file, std::string(mesh.name) + "Skin", BoxGeometry(all, 10.0f), mesh.materials, [&] {
                for (int bone = 0; bone < static_cast<int>(mesh.bones.size()); ++bone) {
                    std::vector<int> vertices;
                    for (std::size_t p = 0; p < owner.size(); ++p) {
                        for (int v = 0; v < 24 && owner[p] == bone; ++v) {
                            vertices.push_back(static_cast<int>(p) * 24 + v);
                        }
                    }
                    std::fprintf(file, "  SkinWeights {\n   \"%s\";\n   %zu;\n   ",
                                 mesh.bones[bone].name, vertices.size());
                    for (std::size_t i = 0; i < vertices.size(); ++i) {
                        std::fprintf(file, "%d%s", vertices[i], i + 1 < vertices.size() ? "," : "");
                    }
                    std::fputs(";\n   ", file);
                    for (std::size_t i = 0; i < vertices.size(); ++i) {
                        std::fprintf(file, "1.000000%s", i + 1 < vertices.size() ? "," : "");
                    }
                    const Vec3 at = BoneWorldPosition(mesh, bone);
                    std::fputs(";\n   ", file);
                    WriteMatrix(file, TurnMatrix({0, 1, 0}, 0.0f, {-at.x, -at.y, -at.z}));
                    std::fputs(";;\n  }\n", file);
                }
            });
    }
    std::fputs("}\n", file);

    for (const AnimSet& set : mesh.sets) {
        std::fprintf(file, "\nAnimationSet %s {\n", set.name);
        for (const Turn& turn : set.turns) {
            const BoneFrame& frame = mesh.bones[turn.bone];
            std::fprintf(file, " Animation {\n  { %s }\n  AnimationKey {\n   4;\n   %zu;\n",
                         frame.name, turn.keys.size());
            for (std::size_t k = 0; k < turn.keys.size(); ++k) {
                std::fprintf(file, "   %d;16;", turn.keys[k].first);
                WriteMatrix(file, TurnMatrix(turn.axis, turn.keys[k].second, frame.position));
                std::fputs(k + 1 < turn.keys.size() ? ";;,\n" : ";;;\n", file);
            }
            std::fputs("  }\n }\n", file);
        }
        std::fputs("}\n", file);
    }
    if (std::fclose(file) != 0) {
        Fail("cannot write " + path.string());
    }
}

// A sphere of radius 1 of rings and segments, one material.
void WriteUnitSphere(const fs::path& folder, const Material& material) {
    constexpr int kRings = 8;
    constexpr int kSegments = 12;
    Geometry g;
    for (int ring = 0; ring <= kRings; ++ring) {
        const float theta = std::numbers::pi_v<float> * static_cast<float>(ring) / kRings;
        for (int segment = 0; segment <= kSegments; ++segment) {
            const float phi =
                2.0f * std::numbers::pi_v<float> * static_cast<float>(segment) / kSegments;
            const Vec3 p{std::sin(theta) * std::cos(phi), std::cos(theta),
                         std::sin(theta) * std::sin(phi)};
            g.positions.push_back(p);
            g.normals.push_back(p);
            g.uvs.emplace_back(static_cast<float>(segment) / kSegments,
                               static_cast<float>(ring) / kRings);
        }
    }
    for (int ring = 0; ring < kRings; ++ring) {
        for (int segment = 0; segment < kSegments; ++segment) {
            const int a = ring * (kSegments + 1) + segment;
            const int b = a + kSegments + 1;
            // Skip the triangles that collapse at the poles.
            if (ring != 0) {
                g.triangles.push_back({a, a + 1, b});
                g.triangleMaterials.push_back(0);
            }
            if (ring != kRings - 1) {
                g.triangles.push_back({a + 1, b + 1, b});
                g.triangleMaterials.push_back(0);
            }
        }
    }
    fs::create_directories(folder);
    const fs::path path = folder / "unitsphere.x";
    std::FILE* file = std::fopen(path.string().c_str(), "w");
    if (file == nullptr) {
        Fail("cannot write " + path.string());
    }
    std::fprintf(file,
                 "xof 0303txt 0032\n\nFrame unitsphere {\n FrameTransformMatrix {\n  %s\n }\n",
                 kIdentityMatrixText);
    WriteMeshObject(file, "unitsphereMesh", g, {material});
    std::fputs("}\n", file);
    if (std::fclose(file) != 0) {
        Fail("cannot write " + path.string());
    }
}

// A full turn about the axis over the given seconds, in four keys.
std::vector<std::pair<int, float>> FullTurn(float seconds) {
    std::vector<std::pair<int, float>> keys;
    for (int k = 0; k <= 4; ++k) {
        keys.emplace_back(static_cast<int>(seconds * kTicksPerSecond * k / 4),
                          std::numbers::pi_v<float> * 0.5f * static_cast<float>(k));
    }
    return keys;
}

// Swings between -angle and angle and back over the given seconds.
std::vector<std::pair<int, float>> Swing(float seconds, float angle, float phase = 1.0f) {
    return {{0, 0.0f},
            {static_cast<int>(seconds * kTicksPerSecond / 4), angle * phase},
            {static_cast<int>(seconds * kTicksPerSecond / 2), 0.0f},
            {static_cast<int>(seconds * kTicksPerSecond * 3 / 4), -angle * phase},
            {static_cast<int>(seconds * kTicksPerSecond), 0.0f}};
}

std::vector<AnimatedMesh> AnimatedMeshes() {
    const Material dark{0.15f, 0.15f, 0.18f, 16.0f, ""};
    const Material olive{0.35f, 0.4f, 0.2f, 16.0f, "metal.png"};
    const Material alien{0.55f, 0.6f, 0.65f, 48.0f, "metal.png"};
    const Material glow{1.0f, 0.25f, 0.15f, 64.0f, ""};
    const Material skin{0.8f, 0.6f, 0.45f, 4.0f, ""};
    const Material cloth{0.2f, 0.3f, 0.6f, 4.0f, ""};
    const Material pink{0.85f, 0.45f, 0.55f, 8.0f, ""};
    const Vec3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};

    std::vector<AnimatedMesh> meshes;
    meshes.push_back({"tank",
                      {olive, dark},
                      {{"Hull", -1, {0, 0, 0}},
                       {"Turret", 0, {0, 2.5f, -1}},
                       {"Barrel", 1, {0, 0, 2}},
                       {"TreadLeft", 0, {-4.5f, -0.5f, 0}},
                       {"TreadRight", 0, {4.5f, -0.5f, 0}}},
                      {{{0, 0, 0, 8, 3, 10, 0}, 0},
                       {{0, 2.5f, -1, 5, 2, 5, 0}, 1},
                       {{0, 2.5f, 4.5f, 1, 1, 6, 1}, 2},
                       {{-4.5f, -0.5f, 0, 1, 2, 10, 1}, 3},
                       {{4.5f, -0.5f, 0, 1, 2, 10, 1}, 4}},
                      false,
                      {{"Shoot", {{2, z, {{0, 0.0f}, {360, 0.0f}, {1800, 0.0f}}}}},
                       {"tred_rotation", {{3, x, FullTurn(1.0f)}, {4, x, FullTurn(1.0f)}}}}});
    // The recoil: the barrel jumps back and returns.
    meshes.back().sets[0].turns[0] = {2, x, {{0, 0.0f}, {360, -0.25f}, {1800, 0.0f}}};
    meshes.push_back({"helicopter",
                      {olive, dark},
                      {{"Body", -1, {0, 0, 0}}, {"Rotor", 0, {0, 2.6f, 0}}},
                      {{{0, 0, 0, 4, 4, 10, 0}, 0},
                       {{0, 1, -8, 1, 1, 8, 0}, 0},
                       {{0, 2.6f, 0, 14, 0.2f, 1, 1}, 1}},
                      false,
                      {{"Idle", {{1, y, FullTurn(0.5f)}}}}});
    // A stepped saucer 620 across: the hatches sit under the rim 72 below its centre, the
    // turrets' tubes hang from the lower deck, and a ring of lights turns underneath.
    meshes.push_back({"mothership_base",
                      {alien, dark, glow},
                      {{"Hull", -1, {0, 0, 0}}, {"Ring", 0, {0, -86, 0}}},
                      {{{0, -35, 0, 620, 70, 620, 0}, 0},
                       {{0, -77, 0, 430, 14, 430, 1}, 0},
                       {{0, 15, 0, 470, 30, 470, 0}, 0},
                       {{0, 45, 0, 300, 30, 300, 1}, 0},
                       {{0, 72, 0, 150, 24, 150, 0}, 0},
                       {{0, -35, 311, 240, 10, 3, 2}, 0},
                       {{0, -35, -311, 240, 10, 3, 2}, 0},
                       {{311, -35, 0, 3, 10, 240, 2}, 0},
                       {{-311, -35, 0, 3, 10, 240, 2}, 0},
                       {{0, -86, 0, 150, 4, 20, 2}, 1},
                       {{0, -86, 0, 20, 4, 150, 2}, 1}},
                      false,
                      {{"Idle", {{1, y, FullTurn(20.0f)}}}}});
    meshes.push_back({"ufo_boss",
                      {kUfoHull, kUfoDome, kUfoLamp},
                      {{"Saucer", -1, {0, 0, 0}}, {"Dome", 0, {0, 5, 0}}},
                      {{{0, 0, 0, 40, 6, 40, 0}, 0}, {{0, 5, 0, 14, 6, 14, 1}, 1}},
                      false,
                      {{"Idle", {{1, y, FullTurn(4.0f)}, {0, z, Swing(6.0f, 0.05f)}}}},
                      UfoBossShape});
    // A small walker: "Walk" sorts first of its sets.
    meshes.push_back({"citizen",
                      {skin, cloth},
                      {{"Pelvis", -1, {0, 1, 0}},
                       {"Torso", 0, {0, 0.1f, 0}},
                       {"LegLeft", 0, {-0.15f, 0, 0}},
                       {"LegRight", 0, {0.15f, 0, 0}}},
                      {{{0, 1.45f, 0, 0.5f, 0.7f, 0.3f, 1}, 1},
                       {{0, 1.95f, 0, 0.3f, 0.3f, 0.3f, 0}, 1},
                       {{-0.15f, 0.5f, 0, 0.2f, 1, 0.2f, 1}, 2},
                       {{0.15f, 0.5f, 0, 0.2f, 1, 0.2f, 1}, 3}},
                      true,
                      {{"Walk", {{2, x, Swing(1.0f, 0.5f)}, {3, x, Swing(1.0f, 0.5f, -1.0f)}}},
                       {"Wave", {{1, z, Swing(1.0f, 0.2f)}}}}});
    // The giant: five sets at least, played together.
    meshes.push_back({"tiny",
                      {pink, dark},
                      {{"Hips", -1, {0, 10, 0}},
                       {"Chest", 0, {0, 3, 0}},
                       {"ArmLeft", 1, {-4, 3, 0}},
                       {"ArmRight", 1, {4, 3, 0}},
                       {"LegLeft", 0, {-2, 0, 0}},
                       {"LegRight", 0, {2, 0, 0}}},
                      {{{0, 14, 0, 7, 8, 4, 0}, 1},
                       {{0, 19.5f, 0, 3, 3, 3, 0}, 1},
                       {{-5, 12, 0, 2, 7, 2, 0}, 2},
                       {{5, 12, 0, 2, 7, 2, 0}, 3},
                       {{-2, 5, 0, 2.5f, 10, 2.5f, 1}, 4},
                       {{2, 5, 0, 2.5f, 10, 2.5f, 1}, 5}},
                      true,
                      {{"Attack", {{3, x, Swing(1.5f, 1.2f)}}},
                       {"Breathe", {{1, x, Swing(3.0f, 0.05f)}}},
                       {"Idle", {{0, y, Swing(4.0f, 0.1f)}}},
                       {"Roar", {{1, x, Swing(2.0f, -0.3f)}}},
                       {"Walk", {{4, x, Swing(2.0f, 0.4f)}, {5, x, Swing(2.0f, 0.4f, -1.0f)}}}}});
    // The bowling alley broken: its walls, its roof and the big ball on the roof, each a
    // piece of its own.
    const Material concrete{0.85f, 0.82f, 0.78f, 8.0f, "windows.png"};
    meshes.push_back(
        {"building_bowling_alley_pieces",
         {concrete, dark},
         {{"Walls", -1, {0, 0, 0}}, {"Roof", -1, {0, 5.5f, 0}}, {"BallSphere", -1, {0, 8, -10.5f}}},
         {{{0, 0, 0, 30, 10, 20, 0}, 0},
          {{0, 5.5f, 0, 31, 1, 21, 1}, 1},
          {{0, 8, -10.5f, 4, 4, 1, 1}, 2}},
         false,
         {}});
    return meshes;
}
