// The ground vehicles and the enemies' projectiles, built of boxes like the city. Each faces
// +z (the way the units drive and the projectiles fly) and stands on its wheels at y = 0 minus
// half its hull, as the tank does.
#pragma once

void AddVehicleMeshes(std::vector<Mesh>& meshes) {
    const Material khaki{0.55f, 0.5f, 0.3f, 8.0f, "metal.png"};
    const Material olive{0.3f, 0.36f, 0.2f, 8.0f, "metal.png"};
    const Material tyre{0.08f, 0.08f, 0.08f, 2.0f, ""};
    const Material glass{0.3f, 0.45f, 0.6f, 64.0f, ""};
    const Material red{0.75f, 0.12f, 0.1f, 32.0f, ""};
    const Material white{0.9f, 0.9f, 0.88f, 32.0f, ""};
    const Material flame{1.0f, 0.55f, 0.1f, 64.0f, ""};
    const Material tracer{1.0f, 0.85f, 0.3f, 64.0f, ""};

    // Four wheels at the corners of a wheelbase.
    const auto wheels = [](std::vector<Part>& parts, float halfTrack, float y, float front,
                           float back, float size, int material) {
        for (const float x : {-halfTrack, halfTrack}) {
            for (const float z : {front, back}) {
                parts.push_back({x, y, z, 0.8f, size, size, material});
            }
        }
    };

    // The rocket truck: cab in front, a flat bed with a launcher rack of four tubes.
    Mesh truck{"truck", {khaki, glass, tyre, olive}, {}};
    truck.parts = {{0, 0, 3.5f, 4.4f, 3.2f, 3.0f, 0},   {0, 0.6f, 5.05f, 3.8f, 1.4f, 0.2f, 1},
                   {0, -0.6f, -2, 4.6f, 1.0f, 8.0f, 0}, {0, 0.6f, -2.5f, 3.2f, 1.4f, 5.0f, 3},
                   {-0.8f, 1.8f, -2, 0.7f, 0.7f, 5, 3}, {0.8f, 1.8f, -2, 0.7f, 0.7f, 5, 3},
                   {-0.8f, 2.6f, -2, 0.7f, 0.7f, 5, 3}, {0.8f, 2.6f, -2, 0.7f, 0.7f, 5, 3}};
    wheels(truck.parts, 2.3f, -1.4f, 3.5f, -4.0f, 1.6f, 2);
    truck.parts.push_back({-2.3f, -1.4f, -1.8f, 0.8f, 1.6f, 1.6f, 2});
    truck.parts.push_back({2.3f, -1.4f, -1.8f, 0.8f, 1.6f, 1.6f, 2});
    meshes.push_back(truck);

    // The jeep: low open body, windscreen, roll bar and a gun on a post.
    Mesh jeep{"jeep", {olive, glass, tyre, khaki}, {}};
    jeep.parts = {
        {0, -0.3f, 0, 3.4f, 1.4f, 6.0f, 0},         {0, 0.9f, 1.3f, 3.2f, 1.0f, 0.15f, 1},
        {0, 1.3f, -1.2f, 3.2f, 0.25f, 0.25f, 3},    {-1.5f, 0.7f, -1.2f, 0.25f, 1.4f, 0.25f, 3},
        {1.5f, 0.7f, -1.2f, 0.25f, 1.4f, 0.25f, 3}, {0, 1.0f, -2.0f, 0.3f, 1.2f, 0.3f, 3},
        {0, 1.7f, -1.4f, 0.35f, 0.35f, 2.0f, 2}};
    wheels(jeep.parts, 1.8f, -1.0f, 2.0f, -2.0f, 1.3f, 2);
    meshes.push_back(jeep);

    // The civilian car: red body, glass cabin, wheels.
    Mesh car{"car", {red, glass, tyre, white}, {}};
    car.parts = {{0, -0.2f, 0, 3.4f, 1.2f, 7.0f, 0},
                 {0, 0.85f, -0.3f, 3.0f, 1.0f, 3.6f, 1},
                 {-1.2f, -0.1f, 3.52f, 0.6f, 0.4f, 0.1f, 3},
                 {1.2f, -0.1f, 3.52f, 0.6f, 0.4f, 0.1f, 3}};
    wheels(car.parts, 1.7f, -0.8f, 2.3f, -2.3f, 1.2f, 2);
    meshes.push_back(car);

    // The homing missile: white body, red nose, four fins and a burning tail.
    meshes.push_back({"missile",
                      {white, red, flame},
                      {{0, 0, 0, 0.8f, 0.8f, 6.0f, 0},
                       {0, 0, 3.4f, 0.5f, 0.5f, 0.8f, 1},
                       {0, 0, -2.4f, 2.4f, 0.1f, 1.2f, 1},
                       {0, 0, -2.4f, 0.1f, 2.4f, 1.2f, 1},
                       {0, 0, -3.3f, 0.5f, 0.5f, 0.6f, 2}}});
    // The rocket the tanks, helicopters and trucks fire: shorter, olive, a flame behind.
    meshes.push_back({"rocket",
                      {olive, flame},
                      {{0, 0, 0, 0.5f, 0.5f, 2.5f, 0},
                       {0, 0, -1.0f, 1.2f, 0.08f, 0.5f, 0},
                       {0, 0, -1.0f, 0.08f, 1.2f, 0.5f, 0},
                       {0, 0, -1.55f, 0.35f, 0.35f, 0.6f, 1}}});
    // The jeep's bullet: a glowing tracer streak.
    meshes.push_back({"bullet", {tracer}, {{0, 0, 0, 0.2f, 0.2f, 1.5f, 0}}});
}
