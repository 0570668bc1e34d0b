// The menu scene's drive-in screen: a wide panel on two posts. The panel's material is
// textured so that the renderer can show the menu's video on it; each of its faces maps the
// whole picture, rows from the top. Included by make_content.cpp after its mesh writer.
#pragma once

void WriteDriveInScreen(const fs::path& folder) {
    const Material frame{0.12f, 0.12f, 0.14f, 8.0f, ""};
    const Material picture{1.0f, 1.0f, 1.0f, 2.0f, "metal.png"};
    // Panel 32 x 18 (16:9), its lower edge 10 units up; the posts stand behind it.
    const std::vector<Part> parts = {
        {0, 19, 0, 32, 18, 0.6f, 1},      {-12, 5, 0.8f, 1.2f, 10, 1.2f, 0},
        {12, 5, 0.8f, 1.2f, 10, 1.2f, 0}, {0, 28.4f, 0, 33, 0.8f, 1.0f, 0},
        {0, 9.6f, 0, 33, 0.8f, 1.0f, 0},
    };
    Geometry g = BoxGeometry(parts, 1.0f);
    // Four vertices a face: stretch the picture's faces over the whole texture.
    for (std::size_t face = 0; face * 4 < g.uvs.size(); ++face) {
        float maxU = 0.0f;
        float maxV = 0.0f;
        for (std::size_t k = face * 4; k < face * 4 + 4; ++k) {
            maxU = std::max(maxU, g.uvs[k].first);
            maxV = std::max(maxV, g.uvs[k].second);
        }
        for (std::size_t k = face * 4; k < face * 4 + 4; ++k) {
            g.uvs[k].first = maxU > 0.0f ? g.uvs[k].first / maxU : 0.0f;
            g.uvs[k].second = maxV > 0.0f ? g.uvs[k].second / maxV : 0.0f;
        }
    }
    WriteMeshFile(folder, "drive_in_screen", g, {frame, picture});
}
