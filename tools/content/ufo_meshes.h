// The flyers that fire lasers: saucers turned on a lathe with a ring of lights under a glass
// dome (the medium UFO, the child UFO and the boss's hull), the winged flying boss, and the
// glowing laser pulses. Included by make_content.cpp after its box geometry and mesh writer.
#pragma once

// Appends other to g; other's material indices are shifted by materialOffset.
void Append(Geometry& g, const Geometry& other, int materialOffset = 0) {
    const int first = static_cast<int>(g.positions.size());
    g.positions.insert(g.positions.end(), other.positions.begin(), other.positions.end());
    g.normals.insert(g.normals.end(), other.normals.begin(), other.normals.end());
    g.uvs.insert(g.uvs.end(), other.uvs.begin(), other.uvs.end());
    for (const auto& t : other.triangles) {
        g.triangles.push_back({t[0] + first, t[1] + first, t[2] + first});
    }
    for (int m : other.triangleMaterials) {
        g.triangleMaterials.push_back(m + materialOffset);
    }
}

// A surface of revolution about the y axis through (cx, cy, cz): the profile runs in
// (radius, height) pairs from the top of the axis outward and down, so that its outward side
// is to its left. Flat-shaded quads, wound as the box faces are.
Geometry Lathe(const std::vector<std::pair<float, float>>& profile, int segments, int material,
               Vec3 centre = {0, 0, 0}) {
    Geometry g;
    for (std::size_t p = 0; p + 1 < profile.size(); ++p) {
        const auto [r0, y0] = profile[p];
        const auto [r1, y1] = profile[p + 1];
        float nr = -(y1 - y0);
        float ny = r1 - r0;
        const float length = std::sqrt(nr * nr + ny * ny);
        if (length <= 0.0f) {
            continue;
        }
        nr /= length;
        ny /= length;
        for (int s = 0; s < segments; ++s) {
            const float a0 = 2.0f * kPi * s / segments;
            const float a1 = 2.0f * kPi * (s + 1) / segments;
            const float am = 0.5f * (a0 + a1);
            const Vec3 normal{nr * std::cos(am), ny, nr * std::sin(am)};
            const auto at = [&](float r, float y, float a) {
                return Vec3{centre.x + r * std::cos(a), centre.y + y, centre.z + r * std::sin(a)};
            };
            const int first = static_cast<int>(g.positions.size());
            g.positions.push_back(at(r0, y0, a0));
            g.positions.push_back(at(r0, y0, a1));
            g.positions.push_back(at(r1, y1, a1));
            g.positions.push_back(at(r1, y1, a0));
            const float u0 = static_cast<float>(s) / segments;
            const float u1 = static_cast<float>(s + 1) / segments;
            const float v0 = static_cast<float>(p) / (profile.size() - 1);
            const float v1 = static_cast<float>(p + 1) / (profile.size() - 1);
            g.uvs.insert(g.uvs.end(), {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}});
            for (int k = 0; k < 4; ++k) {
                g.normals.push_back(normal);
            }
            std::array<int, 3> t0{first, first + 1, first + 2};
            std::array<int, 3> t1{first, first + 2, first + 3};
            const Vec3& p0 = g.positions[first];
            const Vec3& p1 = g.positions[first + 1];
            const Vec3& p2 = g.positions[first + 2];
            const Vec3& p3 = g.positions[first + 3];
            // A quad that closes on the axis has two equal corners: take the far ones.
            const Vec3 e1{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
            const Vec3 e2 = r0 == 0.0f ? Vec3{p3.x - p2.x, p3.y - p2.y, p3.z - p2.z}
                                       : Vec3{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
            const Vec3 turn = r0 == 0.0f ? Cross(e1, e2) : Cross(e2, e1);
            if (Dot(turn, normal) < 0.0f) {
                std::swap(t0[1], t0[2]);
                std::swap(t1[1], t1[2]);
            }
            g.triangles.push_back(t0);
            g.triangles.push_back(t1);
            g.triangleMaterials.push_back(material);
            g.triangleMaterials.push_back(material);
        }
    }
    return g;
}

// A saucer of the given radius: a flat lens of hull with a raised rim band, a glass dome on
// top, a glowing ring underneath and `lights` lamps around the rim. Materials: 0 hull,
// 1 dome, 2 lamps and under-glow.
Geometry Saucer(float radius, int lights) {
    const float r = radius;
    Geometry g = Lathe({{0.0f, 0.16f * r},
                        {0.45f * r, 0.14f * r},
                        {0.85f * r, 0.06f * r},
                        {r, 0.0f},
                        {r, -0.03f * r},
                        {0.8f * r, -0.1f * r},
                        {0.35f * r, -0.14f * r},
                        {0.0f, -0.14f * r}},
                       32, 0);
    Append(g, Lathe({{0.0f, 0.42f * r},
                     {0.14f * r, 0.39f * r},
                     {0.26f * r, 0.3f * r},
                     {0.34f * r, 0.18f * r},
                     {0.36f * r, 0.14f * r}},
                    24, 1));
    Append(g, Lathe({{0.3f * r, -0.14f * r}, {0.22f * r, -0.17f * r}, {0.0f, -0.17f * r}}, 24, 2));
    std::vector<Part> lamps;
    for (int i = 0; i < lights; ++i) {
        const float a = 2.0f * kPi * i / lights;
        const float s = 0.07f * r;
        lamps.push_back({0.93f * r * std::cos(a), 0.03f * r, 0.93f * r * std::sin(a), s, s, s, 2});
    }
    Append(g, BoxGeometry(lamps, 10.0f));
    return g;
}

// The flying boss: a long armoured body along z with its head forward (toward -z) and the
// glowing mouth it fires from, broad swept wings and a tail. Materials: 0 hide, 1 glow,
// 2 dark plates.
Geometry Flythra() {
    Geometry g;
    // The body: a spindle turned about y, then laid along z.
    Geometry body = Lathe({{0.0f, 40.0f},
                           {6.0f, 34.0f},
                           {11.0f, 18.0f},
                           {12.0f, 0.0f},
                           {10.0f, -20.0f},
                           {5.0f, -36.0f},
                           {0.0f, -44.0f}},
                          16, 0);
    for (Vec3& p : body.positions) {
        p = {p.x, 26.0f + p.z * 0.8f, -p.y};
    }
    for (Vec3& n : body.normals) {
        n = {n.x, n.z, -n.y};
    }
    // Laying it down mirrors nothing (a turn), so the winding stays right.
    Append(g, body);
    Append(g, BoxGeometry(
                  {// The head, the jaw and the glowing mouth and eyes.
                   {0, 31, -44, 14, 10, 14, 0},
                   {0, 26, -47, 10, 4, 10, 2},
                   {0, 29, -51.5f, 8, 3, 2, 1},
                   {-4.5f, 34, -50, 2.5f, 2, 2, 1},
                   {4.5f, 34, -50, 2.5f, 2, 2, 1},
                   // Wings, swept back, with dark trailing plates.
                   {-24, 28, 0, 30, 2, 26, 0},
                   {24, 28, 0, 30, 2, 26, 0},
                   {-46, 27, 10, 18, 1.5f, 18, 2},
                   {46, 27, 10, 18, 1.5f, 18, 2},
                   // Glowing vents along the back and the tail with its fin.
                   {0, 36, -10, 3, 2, 20, 1},
                   {0, 26, 52, 4, 3, 28, 0},
                   {0, 31, 62, 1.5f, 10, 8, 2}},
                  10.0f));
    return g;
}

// A laser pulse: a bright spindle along z, scaled by its shooter.
Geometry Pulse() {
    Geometry g = Lathe({{0.0f, 0.3f}, {0.08f, 0.1f}, {0.08f, -0.1f}, {0.0f, -0.3f}}, 8, 0);
    for (Vec3& p : g.positions) {
        p = {p.x, p.z, -p.y};
    }
    for (Vec3& n : g.normals) {
        n = {n.x, n.z, -n.y};
    }
    return g;
}

// The boss's frames: its big saucer with sixteen lamps, and on the turning top frame a crown
// of lamps that spins around the dome.
Geometry UfoBossShape(int bone) {
    if (bone == 0) {
        return Saucer(22.0f, 16);
    }
    std::vector<Part> crown;
    for (int i = 0; i < 8; ++i) {
        const float a = 2.0f * kPi * i / 8;
        crown.push_back({8.2f * std::cos(a), 0.0f, 8.2f * std::sin(a), 1.4f, 1.4f, 1.4f, 2});
    }
    Geometry g = BoxGeometry(crown, 10.0f);
    Append(g, Lathe({{0.0f, 1.6f}, {1.0f, 0.0f}, {0.0f, -0.2f}}, 12, 2, {0.0f, 0.6f, 0.0f}));
    return g;
}

void WriteShapedMesh(const fs::path& folder, const char* name, const Geometry& g,
                     const std::vector<Material>& materials) {
    fs::create_directories(folder);
    const fs::path path = folder / (std::string(name) + ".x");
    std::FILE* file = std::fopen(path.string().c_str(), "w");
    if (file == nullptr) {
        Fail("cannot write " + path.string());
    }
    std::fprintf(file, "xof 0303txt 0032\n\nFrame %s {\n FrameTransformMatrix {\n", name);
    std::fprintf(file, "  %s\n }\n", kIdentityMatrixText);
    WriteMeshObject(file, std::string(name) + "Mesh", g, materials);
    std::fputs("}\n", file);
    if (std::fclose(file) != 0) {
        Fail("cannot write " + path.string());
    }
}

const Material kUfoHull{0.62f, 0.66f, 0.72f, 48.0f, "metal.png"};
const Material kUfoDome{0.35f, 0.85f, 1.0f, 96.0f, ""};
const Material kUfoLamp{1.0f, 0.95f, 0.45f, 64.0f, ""};
const Material kUfoChildLamp{1.0f, 0.35f, 0.25f, 64.0f, ""};

void WriteFlyerMeshes(const fs::path& folder) {
    WriteShapedMesh(folder, "medium_ufo", Saucer(7.0f, 10), {kUfoHull, kUfoDome, kUfoLamp});
    WriteShapedMesh(folder, "ufo_child", Saucer(25.0f, 6), {kUfoHull, kUfoDome, kUfoChildLamp});
    WriteShapedMesh(folder, "flythra", Flythra(),
                    {{0.35f, 0.3f, 0.42f, 24.0f, "metal.png"},
                     {1.0f, 0.4f, 0.15f, 64.0f, ""},
                     {0.12f, 0.1f, 0.16f, 8.0f, ""}});
    WriteShapedMesh(folder, "laser_pulse", Pulse(), {{1.0f, 0.3f, 0.2f, 1.0f, ""}});
    WriteShapedMesh(folder, "laser_pulse_small", Pulse(), {{0.4f, 1.0f, 0.3f, 1.0f, ""}});
}
