// Part of make_content.cpp, included after its image and video helpers: the letter images of
// the on-screen text, the images of the film overlays and the maker's logo movie.
#pragma once

// One power-of-two image per character the on-screen text can show, white on transparent,
// under the names the text looks them up by.
void WriteLetters(const fs::path& letters) {
    constexpr int kSide = 32;
    std::vector<std::pair<std::string, std::string>> glyphs;
    for (char c = 'A'; c <= 'Z'; ++c) {
        glyphs.emplace_back(std::string(1, c), std::string(1, c));
    }
    for (char c = '0'; c <= '9'; ++c) {
        glyphs.emplace_back(std::string(1, c), std::string(1, c));
    }
    const std::pair<const char*, const char*> named[] = {
        {"space", " "},    {"x_", "x"},       {"period_formally_known_as_face", "."},
        {"%_", "%"},       {"__", "_"},       {"slash", "/"},
        {"comma", ","},    {"$", "$"},        {"semicolon", ":"},
        {"left_par", "("}, {"right_par", ")"}};
    for (const auto& [file, glyph] : named) {
        glyphs.emplace_back(file, glyph);
    }
    for (const auto& [file, glyph] : glyphs) {
        Image image(kSide, kSide);
        // A dark edge first, so white letters stay readable over bright pictures.
        image.Text(glyph, kSide / 2 + 1, kSide / 2 + 1, 4, {0, 0, 0, 200});
        image.Text(glyph, kSide / 2, kSide / 2, 4, kWhite);
        WritePng(letters / (file + ".png"), image);
    }
}

// The film overlays: a plain white square, the dust atlas (5 x 2 cells of 42 pixels: specks,
// hairs and scratches) and the soft round burn spot.
void WriteFilmImages(const fs::path& textures) {
    const fs::path square = textures / "whitesquare.bmp";
    fs::create_directories(textures);
    const std::vector<std::uint8_t> white(4 * 4 * 3, 255);
    if (stbi_write_bmp(square.string().c_str(), 4, 4, 3, white.data()) == 0) {
        Fail("cannot write " + square.string());
    }

    constexpr int kCell = 42;
    Image dust(256, 128);
    Noise noise;
    for (int cell = 0; cell < 10; ++cell) {
        const float x0 = static_cast<float>(cell % 5 * kCell);
        const float y0 = static_cast<float>(cell / 5 * kCell);
        const Colour ink{255, 255, 255, 230};
        switch (cell % 5) {
        case 0: // a speck
            dust.FillCircle(x0 + 21, y0 + 21, 3.0f + cell / 5, ink);
            break;
        case 1: // a hair
            for (int i = 0; i < 6; ++i) {
                dust.Line(x0 + 6 + i * 5, y0 + 21 + noise.Next() * 8, x0 + 11 + i * 5,
                          y0 + 21 + noise.Next() * 8, 1.2f, ink);
            }
            break;
        case 2: // a scratch
            dust.Line(x0 + 8, y0 + 34, x0 + 34, y0 + 8, 1.5f, ink);
            break;
        case 3: // a cluster of grains
            for (int i = 0; i < 7; ++i) {
                dust.FillCircle(x0 + 21 + noise.Next() * 12, y0 + 21 + noise.Next() * 12, 1.5f,
                                ink);
            }
            break;
        default: // a blot
            dust.FillCircle(x0 + 21, y0 + 21, 8.0f, {255, 255, 255, 120});
            dust.FillCircle(x0 + 23, y0 + 19, 4.0f, ink);
            break;
        }
    }
    WritePng(textures / "filmdust2.png", dust);

    Image burn(128, 128);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            const float d = std::hypot(x + 0.5f - 64.0f, y + 0.5f - 64.0f) / 64.0f;
            const float a = std::clamp(1.0f - d * d, 0.0f, 1.0f);
            burn.Blend(x, y, {255, 255, 255, static_cast<std::uint8_t>(a * 255.0f)});
        }
    }
    WritePng(textures / "filmburnwhite2.png", burn);
}

// The maker's logo, shown before the menu: the name fading in over two seconds.
void WriteLogoVideo(const fs::path& video) {
    constexpr int kWidth = 256;
    constexpr int kHeight = 160;
    constexpr int kFps = 10;
    WriteVideo(video / "kelmorvideo.avi", kWidth, kHeight, kFps, 2 * kFps, [](int frame) {
        Image image(kWidth, kHeight, {0, 0, 0});
        const float t = std::min(1.0f, frame / (1.5f * kFps));
        const auto level = static_cast<std::uint8_t>(255.0f * t);
        image.Text("VANTREL", kWidth / 2, kHeight / 2, 5, {level, level, level});
        return image;
    });
}
