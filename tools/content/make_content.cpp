// Writes the generated part of the game's bundled content into a data folder: the textures
// (PNG, BMP, and DDS for the cube, volume and alpha textures), the meshes (text .X), the
// robot's animation clips (text), the sounds and music (WAV, MP3) and the videos (AVI). The
// object definitions, level scripts and particle definitions are written by hand.
//
// The output is committed, so building the game needs none of this. make_content.sh builds
// and runs it; the output is the same on every run with the same library versions.
#include <stb/stb_easy_font.h>
#include <stb/stb_image_write.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "film_grain.h"
#include "robot_clips.h"

namespace fs = std::filesystem;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what);
}

// A deterministic noise source, so the generated files do not change from run to run.
struct Noise {
    std::uint32_t state = 12345;
    float Next() { // in [-1, 1)
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / static_cast<float>(1u << 23) - 1.0f;
    }
};

// --- images ---

struct Colour {
    std::uint8_t r, g, b, a = 255;
};

Colour Mix(Colour a, Colour b, float t) {
    const auto lerp = [t](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>(std::lround(x + (y - x) * std::clamp(t, 0.0f, 1.0f)));
    };
    return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b), lerp(a.a, b.a)};
}

class Image {
  public:
    Image(int width, int height, Colour fill = {0, 0, 0, 0})
        : m_width(width), m_height(height), m_pixels(static_cast<std::size_t>(width) * height) {
        std::fill(m_pixels.begin(), m_pixels.end(), fill);
    }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    Colour At(int x, int y) const { return m_pixels[Index(x, y)]; }

    // Source-over blending, so text and shapes can be drawn over transparent areas too.
    void Blend(int x, int y, Colour c) {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height || c.a == 0) {
            return;
        }
        Colour& d = m_pixels[Index(x, y)];
        const float sa = c.a / 255.0f;
        const float da = d.a / 255.0f;
        const float oa = sa + da * (1.0f - sa);
        const auto channel = [&](std::uint8_t s, std::uint8_t dd) {
            return static_cast<std::uint8_t>(std::lround((s * sa + dd * da * (1.0f - sa)) / oa));
        };
        d = {channel(c.r, d.r), channel(c.g, d.g), channel(c.b, d.b),
             static_cast<std::uint8_t>(std::lround(oa * 255.0f))};
    }

    void FillRect(int x0, int y0, int x1, int y1, Colour c) {
        for (int y = std::max(y0, 0); y < std::min(y1, m_height); ++y) {
            for (int x = std::max(x0, 0); x < std::min(x1, m_width); ++x) {
                Blend(x, y, c);
            }
        }
    }

    void VerticalGradient(Colour top, Colour bottom) {
        for (int y = 0; y < m_height; ++y) {
            const Colour c = Mix(top, bottom, m_height > 1 ? y / float(m_height - 1) : 0.0f);
            for (int x = 0; x < m_width; ++x) {
                m_pixels[Index(x, y)] = c;
            }
        }
    }

    void FillCircle(float cx, float cy, float radius, Colour c) {
        for (int y = int(cy - radius) - 1; y <= int(cy + radius) + 1; ++y) {
            for (int x = int(cx - radius) - 1; x <= int(cx + radius) + 1; ++x) {
                const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
                const float cover = std::clamp(radius - d + 0.5f, 0.0f, 1.0f);
                Blend(x, y, {c.r, c.g, c.b, static_cast<std::uint8_t>(c.a * cover)});
            }
        }
    }

    void Line(float x0, float y0, float x1, float y1, float width, Colour c) {
        const float length = std::max(std::hypot(x1 - x0, y1 - y0), 1.0f);
        for (float t = 0.0f; t <= length; t += 0.5f) {
            FillCircle(x0 + (x1 - x0) * t / length, y0 + (y1 - y0) * t / length, width * 0.5f, c);
        }
    }

    enum class Align { Left, Centre, Right };

    // The width of the text at scale 1.
    static int TextWidth(const std::string& text) {
        std::string buffer = text;
        return stb_easy_font_width(buffer.data());
    }

    // Text in the small built-in pixel font, every font pixel drawn as a scale x scale block,
    // centred on cy and placed on x as `align` says.
    void Text(const std::string& text, int x, int cy, int scale, Colour c,
              Align align = Align::Centre) {
        std::string buffer = text;
        const int width = TextWidth(text) * scale;
        const int height = 7 * scale; // the capitals' height, which centres better than the line's
        std::vector<char> vertices(buffer.size() * 300 + 1024);
        const int quads = stb_easy_font_print(0, 0, buffer.data(), nullptr, vertices.data(),
                                              static_cast<int>(vertices.size()));
        const int left = align == Align::Left    ? x
                         : align == Align::Right ? x - width
                                                 : x - width / 2;
        const int top = cy - height / 2;
        for (int q = 0; q < quads; ++q) {
            const float* v0 = reinterpret_cast<const float*>(vertices.data() + q * 64);
            const float* v2 = reinterpret_cast<const float*>(vertices.data() + q * 64 + 32);
            FillRect(left + int(std::lround(v0[0] * scale)), top + int(std::lround(v0[1] * scale)),
                     left + int(std::lround(v2[0] * scale)), top + int(std::lround(v2[1] * scale)),
                     c);
        }
    }

    // Text with a drop shadow, for titles over busy backgrounds.
    void Title(const std::string& text, int cx, int cy, int scale, Colour c) {
        const int offset = std::max(scale / 3, 1);
        Text(text, cx + offset, cy + offset, scale, {0, 0, 0, 160});
        Text(text, cx, cy, scale, c);
    }

    const std::vector<Colour>& Pixels() const { return m_pixels; }

  private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * m_width + x; }

    int m_width;
    int m_height;
    std::vector<Colour> m_pixels;
};

void WritePng(const fs::path& path, const Image& image) {
    fs::create_directories(path.parent_path());
    stbi_write_png_compression_level = 9;
    if (stbi_write_png(path.string().c_str(), image.Width(), image.Height(), 4,
                       image.Pixels().data(), image.Width() * 4) == 0) {
        Fail("cannot write " + path.string());
    }
}

// A night skyline along the bottom of an image, scrolled by `shift` pixels; `tall` scales
// the heights of the buildings.
void Skyline(Image& image, int base, int shift, float tall, Colour building, Colour window) {
    Noise noise;
    int x = -shift % 400 - 400;
    while (x < image.Width() + 400) {
        const int width = 24 + int((noise.Next() + 1.0f) * 20.0f);
        const int height = int((40.0f + (noise.Next() + 1.0f) * 70.0f) * tall);
        image.FillRect(x, base - height, x + width - 3, base, building);
        for (int wy = base - height + 6; wy < base - 6; wy += 9) {
            for (int wx = x + 4; wx < x + width - 8; wx += 7) {
                if (noise.Next() > 0.3f) {
                    image.FillRect(wx, wy, wx + 3, wy + 4, window);
                }
            }
        }
        x += width;
    }
    image.FillRect(0, base, image.Width(), image.Height(), building);
}

// --- screens and widgets ---

constexpr Colour kWhite{255, 255, 255};
constexpr Colour kInk{24, 32, 64};
constexpr Colour kOrange{255, 150, 40};
constexpr Colour kNightTop{10, 14, 40};
constexpr Colour kNightBottom{60, 40, 90};

Image Screen(Colour top, Colour bottom) {
    Image image(1024, 640);
    image.VerticalGradient(top, bottom);
    return image;
}

void WriteScreens(const fs::path& ui) {
    WritePng(ui / "white.png", Image(16, 16, kWhite));
    WritePng(ui / "black.png", Image(16, 16, {0, 0, 0}));

    Image maker(984, 246);
    maker.Text("VANTREL", 492, 105, 18, kInk);
    maker.FillRect(180, 200, 804, 208, kOrange);
    WritePng(ui / "vantrel_logo.png", maker);

    Image copyright(745, 41);
    copyright.Text("A VANTREL PRODUCTION", 372, 20, 3, {90, 90, 100});
    WritePng(ui / "copyright.png", copyright);

    Image team = Screen({20, 60, 70}, {5, 20, 30});
    team.Title("THE GORVANE TEAM", 512, 290, 9, kWhite);
    team.Text("PRESENTS", 512, 380, 4, {170, 200, 210});
    WritePng(ui / "team_logo.png", team);

    Image physics(400, 140);
    physics.Text("POWERED BY", 200, 40, 3, {90, 90, 100});
    physics.Text("BULLET", 200, 95, 8, kInk);
    WritePng(ui / "physics_logo.png", physics);

    Image logo = Screen(kNightTop, kNightBottom);
    Skyline(logo, 640, 0, 1.0f, {12, 10, 24}, {250, 210, 110});
    logo.Title("GORVANE", 512, 240, 20, kOrange);
    WritePng(ui / "game_logo.png", logo);

    Image loading(140, 40);
    loading.Text("LOADING", 70, 20, 3, kWhite);
    WritePng(ui / "loading.png", loading);

    Image controls = Screen({30, 30, 40}, {10, 10, 15});
    controls.Title("CONTROLS", 512, 90, 8, kOrange);
    const std::pair<const char*, const char*> lines[] = {
        {"W A S D", "MOVE"},       {"MOUSE", "LOOK"},
        {"SPACE", "JUMP"},         {"LEFT BUTTON", "GRAB, THROW"},
        {"RIGHT BUTTON", "PUNCH"}, {"E", "LASER"},
        {"Q", "OTHER LASER"},      {"ESC", "PAUSE"}};
    int y = 190;
    for (const auto& [keys, action] : lines) {
        controls.Text(keys, 480, y, 4, {250, 200, 120}, Image::Align::Right);
        controls.Text(action, 544, y, 4, kWhite, Image::Align::Left);
        y += 52;
    }
    WritePng(ui / "controls.png", controls);

    Image lose = Screen({60, 0, 0}, {10, 0, 0});
    lose.Title("GAME OVER", 512, 280, 14, {230, 60, 40});
    lose.Text("THE CITY HAS WON", 512, 400, 5, kWhite);
    WritePng(ui / "lose.png", lose);

    Image win = Screen({250, 200, 90}, {200, 90, 30});
    win.Title("VICTORY", 512, 280, 16, kWhite);
    win.Text("THE CITY IS YOURS", 512, 400, 5, kInk);
    WritePng(ui / "win.png", win);
}

// The two looks of a button: normal, and highlighted while it has the focus.
void WriteButton(const fs::path& ui, const std::string& file, const std::string& label) {
    const int scale = Image::TextWidth(label) * 3 <= 180 ? 3 : 2;
    Image normal(200, 50);
    normal.FillRect(0, 0, 200, 50, {15, 15, 30, 170});
    normal.FillRect(0, 46, 200, 50, {120, 120, 140, 200});
    normal.Text(label, 100, 25, scale, {210, 210, 220});
    WritePng(ui / (file + ".png"), normal);

    Image over(200, 50);
    over.FillRect(0, 0, 200, 50, {255, 140, 30, 220});
    over.FillRect(0, 46, 200, 50, kWhite);
    over.Text(label, 100, 25, scale, kWhite);
    WritePng(ui / (file + "_over.png"), over);
}

void WriteButtons(const fs::path& ui) {
    const std::pair<const char*, const char*> buttons[] = {
        {"button_play", "PLAY"},
        {"button_fullscreen", "FULLSCREEN"},
        {"button_3d", "3D"},
        {"button_options", "OPTIONS"},
        {"button_quit", "QUIT"},
        {"button_feature_film", "FEATURE FILM"},
        {"button_endless", "ENDLESS"},
        {"button_tutorial", "TUTORIAL"},
        {"button_back", "BACK"},
        {"button_confirm_quit", "REALLY QUIT"},
        {"button_stay", "STAY"},
        {"button_resume", "RESUME"},
        {"button_main_menu", "MAIN MENU"},
        {"button_how_to_play", "HOW TO PLAY"},
    };
    for (const auto& [file, label] : buttons) {
        WriteButton(ui, file, label);
    }
}

#include "widget_looks.h"

void WriteSurfaceTextures(const fs::path& textures) {
    Noise noise;

    Image windows(64, 64, {150, 140, 130});
    // The same wall with its lights out: every window dark.
    Image windowsDark(64, 64, {150, 140, 130});
    for (int y = 0; y < 64; y += 16) {
        for (int x = 0; x < 64; x += 16) {
            const bool lit = noise.Next() > 0.2f;
            windows.FillRect(x + 3, y + 3, x + 13, y + 12,
                             lit ? Colour{240, 210, 120} : Colour{40, 50, 70});
            windowsDark.FillRect(x + 3, y + 3, x + 13, y + 12, Colour{40, 50, 70});
        }
    }
    WritePng(textures / "windows.png", windows);
    WritePng(textures / "windows_dark.png", windowsDark);

    Image asphalt(64, 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const auto grey = static_cast<std::uint8_t>(70 + 12 * noise.Next());
            asphalt.Blend(x, y, {grey, grey, static_cast<std::uint8_t>(grey + 4)});
        }
    }
    asphalt.FillRect(0, 30, 64, 34, {200, 190, 120}); // a lane marking
    WritePng(textures / "asphalt.png", asphalt);

    Image metal(32, 32, {170, 175, 185});
    metal.FillRect(0, 0, 32, 1, {110, 115, 125});
    metal.FillRect(0, 0, 1, 32, {110, 115, 125});
    metal.FillCircle(4, 4, 1.2f, {90, 95, 105});
    metal.FillCircle(28, 28, 1.2f, {90, 95, 105});
    WritePng(textures / "metal.png", metal);

    Image smoke(64, 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const float d = std::hypot(x - 31.5f, y - 31.5f) / 32.0f;
            const float alpha = std::clamp(1.0f - d, 0.0f, 1.0f);
            smoke.Blend(x, y, {230, 230, 230, static_cast<std::uint8_t>(255 * alpha * alpha)});
        }
    }
    WritePng(textures / "smoke.png", smoke);
}

#include "particle_textures.h"

// --- DDS and BMP textures ---

void PutWord(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

enum class DdsKind { Plain, Cube, Volume };

// An uncompressed DDS without mipmaps: A8R8G8B8 (bytes B, G, R, A) from RGBA colours, or
// 8-bit luminance. `layers` holds the cube faces (+X, -X, +Y, -Y, +Z, -Z) or the volume
// slices one after the other, each width x height.
void WriteDds(const fs::path& path, DdsKind kind, int width, int height, int layers,
              const std::vector<Colour>& pixels, bool luminance) {
    constexpr std::uint32_t kCaps = 0x1, kHeight = 0x2, kWidth = 0x4, kPitch = 0x8,
                            kPixelFormat = 0x1000, kDepth = 0x800000;
    const std::uint32_t bytesPerPixel = luminance ? 1 : 4;
    std::string out = "DDS ";
    PutWord(out, 124);
    PutWord(out, kCaps | kHeight | kWidth | kPitch | kPixelFormat |
                     (kind == DdsKind::Volume ? kDepth : 0));
    PutWord(out, static_cast<std::uint32_t>(height));
    PutWord(out, static_cast<std::uint32_t>(width));
    PutWord(out, static_cast<std::uint32_t>(width) * bytesPerPixel);
    PutWord(out, kind == DdsKind::Volume ? static_cast<std::uint32_t>(layers) : 0);
    PutWord(out, 0); // mipmap count
    for (int i = 0; i < 11; ++i) {
        PutWord(out, 0);
    }
    PutWord(out, 32);
    if (luminance) {
        PutWord(out, 0x20000);
        PutWord(out, 0);
        PutWord(out, 8);
        PutWord(out, 0xFF);
        PutWord(out, 0);
        PutWord(out, 0);
        PutWord(out, 0);
    } else {
        PutWord(out, 0x41); // RGB with alpha
        PutWord(out, 0);
        PutWord(out, 32);
        PutWord(out, 0x00FF0000);
        PutWord(out, 0x0000FF00);
        PutWord(out, 0x000000FF);
        PutWord(out, 0xFF000000);
    }
    PutWord(out, 0x1000 | (kind == DdsKind::Plain ? 0 : 0x8)); // texture, complex
    PutWord(out, kind == DdsKind::Cube ? 0x200 | 0xFC00 : (kind == DdsKind::Volume ? 0x200000 : 0));
    for (int i = 0; i < 3; ++i) {
        PutWord(out, 0);
    }
    for (const Colour& c : pixels) {
        if (luminance) {
            out.push_back(static_cast<char>(c.r));
        } else {
            out.append({static_cast<char>(c.b), static_cast<char>(c.g), static_cast<char>(c.r),
                        static_cast<char>(c.a)});
        }
    }
    fs::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    if (!file.write(out.data(), static_cast<std::streamsize>(out.size()))) {
        Fail("cannot write " + path.string());
    }
}

// The sky around the city: a gradient from the horizon to the zenith, darker ground below
// and the glow of the sun.
void WriteEnvironment(const fs::path& textures) {
    constexpr int kSide = 128;
    const float sun[3] = {0.48f, 0.42f, 0.77f};
    std::vector<Colour> pixels;
    pixels.reserve(kSide * kSide * 6);
    for (int face = 0; face < 6; ++face) {
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                const float s = 2.0f * (x + 0.5f) / kSide - 1.0f;
                const float t = 2.0f * (y + 0.5f) / kSide - 1.0f;
                // The direction of each texel, with the face layout cube maps share.
                const float directions[6][3] = {{1, -t, -s}, {-1, -t, s}, {s, 1, t},
                                                {s, -1, -t}, {s, -t, 1},  {-s, -t, -1}};
                const float* d = directions[face];
                const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
                const float up = d[1] / length;
                Colour c = up >= 0.0f ? Mix({205, 200, 190}, {60, 105, 185}, std::sqrt(up))
                                      : Mix({120, 125, 110}, {55, 60, 50}, std::sqrt(-up));
                const float toSun =
                    std::max(0.0f, (d[0] * sun[0] + d[1] * sun[1] + d[2] * sun[2]) / length);
                c = Mix(c, {255, 240, 200}, std::pow(toSun, 48.0f) + 0.25f * std::pow(toSun, 6.0f));
                pixels.push_back(c);
            }
        }
    }
    WriteDds(textures / "grassenvmap512.dds", DdsKind::Cube, kSide, kSide, 6, pixels, false);
}

void WriteNoiseVolume(const fs::path& textures) {
    constexpr int kSide = 32;
    Noise noise;
    std::vector<Colour> pixels;
    pixels.reserve(kSide * kSide * kSide);
    for (int i = 0; i < kSide * kSide * kSide; ++i) {
        const auto grey = static_cast<std::uint8_t>(std::lround(127.5f + 127.5f * noise.Next()));
        pixels.push_back({grey, grey, grey});
    }
    WriteDds(textures / "noise.dds", DdsKind::Volume, kSide, kSide, kSide, pixels, true);
}

void WriteSmokePuff(const fs::path& textures) {
    constexpr int kSide = 64;
    Noise noise;
    std::vector<Colour> pixels;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const float d = std::hypot(x - 31.5f, y - 31.5f) / 32.0f;
            const float fall = std::clamp(1.0f - d, 0.0f, 1.0f);
            const float alpha = fall * fall * (0.85f + 0.15f * noise.Next());
            const auto grey = static_cast<std::uint8_t>(215 + 25 * fall);
            pixels.push_back({grey, grey, grey,
                              static_cast<std::uint8_t>(std::lround(255 * std::max(alpha, 0.0f)))});
        }
    }
    WriteDds(textures / "smoke.dds", DdsKind::Plain, kSide, kSide, 1, pixels, false);
}

// A 24-bit BMP: a light grid for editor and debug surfaces.
void WriteGrid(const fs::path& textures) {
    constexpr int kSide = 64;
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const bool line = x % 16 == 0 || y % 16 == 0;
            rgb.insert(rgb.end(), {static_cast<std::uint8_t>(line ? 40 : 200),
                                   static_cast<std::uint8_t>(line ? 160 : 205),
                                   static_cast<std::uint8_t>(line ? 60 : 210)});
        }
    }
    const fs::path path = textures / "grid.bmp";
    fs::create_directories(textures);
    if (stbi_write_bmp(path.string().c_str(), kSide, kSide, 3, rgb.data()) == 0) {
        Fail("cannot write " + path.string());
    }
}

// --- meshes ---

struct Material {
    float r, g, b;
    float power;
    const char* texture; // empty: untextured
    // 0 to 1: how much of a light of its own the surface is (a lamp's bulb, a neon tube). It is
    // written as the emissive colour, the material's colour at this strength; the renderer
    // draws an emissive subset brighter, so that it glows in the shade and blooms.
    float emissive = 0.0f;
};

struct Part {
    float cx, cy, cz; // centre
    float sx, sy, sz; // size
    int material;
};

struct Mesh {
    const char* name;
    std::vector<Material> materials;
    std::vector<Part> parts;
    float tile = 10.0f; // world units per texture repeat
};

struct Vec3 {
    float x, y, z;
};

Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The triangles of a set of boxes, four vertices and two triangles per face; faces wind
// clockwise seen from outside, as the renderer expects.
struct Geometry {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<std::pair<float, float>> uvs;
    std::vector<std::array<int, 3>> triangles;
    std::vector<int> triangleMaterials;
};

Geometry BoxGeometry(const std::vector<Part>& parts, float tile) {
    struct Face {
        Vec3 normal, u, v;
    };
    const Face faces[] = {
        {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}},
    };
    Geometry g;
    auto& positions = g.positions;
    for (const Part& part : parts) {
        const Vec3 half{part.sx * 0.5f, part.sy * 0.5f, part.sz * 0.5f};
        for (const Face& face : faces) {
            const auto scaled = [&](Vec3 axis, float sign) {
                return Vec3{axis.x * half.x * sign, axis.y * half.y * sign, axis.z * half.z * sign};
            };
            const Vec3 n = scaled(face.normal, 1.0f);
            const float extentU = std::abs(Dot(face.u, {part.sx, part.sy, part.sz}));
            const float extentV = std::abs(Dot(face.v, {part.sx, part.sy, part.sz}));
            const int first = static_cast<int>(positions.size());
            const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
            for (const auto& corner : corners) {
                const Vec3 a = scaled(face.u, corner[0]);
                const Vec3 b = scaled(face.v, corner[1]);
                positions.push_back({part.cx + n.x + a.x + b.x, part.cy + n.y + a.y + b.y,
                                     part.cz + n.z + a.z + b.z});
                g.normals.push_back(face.normal);
                g.uvs.emplace_back((corner[0] + 1.0f) * 0.5f * extentU / tile,
                                   (1.0f - corner[1]) * 0.5f * extentV / tile);
            }
            std::array<int, 3> t0{first, first + 1, first + 2};
            std::array<int, 3> t1{first, first + 2, first + 3};
            const Vec3 e1{positions[first + 1].x - positions[first].x,
                          positions[first + 1].y - positions[first].y,
                          positions[first + 1].z - positions[first].z};
            const Vec3 e2{positions[first + 2].x - positions[first].x,
                          positions[first + 2].y - positions[first].y,
                          positions[first + 2].z - positions[first].z};
            if (Dot(Cross(e1, e2), face.normal) < 0.0f) {
                std::swap(t0[1], t0[2]);
                std::swap(t1[1], t1[2]);
            }
            g.triangles.push_back(t0);
            g.triangles.push_back(t1);
            g.triangleMaterials.push_back(part.material);
            g.triangleMaterials.push_back(part.material);
        }
    }
    return g;
}

// One Mesh data object; `extra` writes further child objects (skin weights) before its
// closing brace.
void WriteMeshObject(std::FILE* file, const std::string& name, const Geometry& g,
                     const std::vector<Material>& materials,
                     const std::function<void()>& extra = nullptr) {
    const auto list = [file](std::size_t count, const std::function<void(std::size_t)>& item) {
        for (std::size_t i = 0; i < count; ++i) {
            std::fputs("  ", file);
            item(i);
            std::fputs(i + 1 < count ? ",\n" : ";\n", file);
        }
    };
    std::fprintf(file, "\n Mesh %s {\n  %zu;\n", name.c_str(), g.positions.size());
    list(g.positions.size(), [&](std::size_t i) {
        std::fprintf(file, "%f;%f;%f;", g.positions[i].x, g.positions[i].y, g.positions[i].z);
    });
    std::fprintf(file, "  %zu;\n", g.triangles.size());
    const auto writeTriangles = [&] {
        list(g.triangles.size(), [&](std::size_t i) {
            std::fprintf(file, "3;%d,%d,%d;", g.triangles[i][0], g.triangles[i][1],
                         g.triangles[i][2]);
        });
    };
    writeTriangles();
    std::fprintf(file, "\n  MeshNormals {\n  %zu;\n", g.normals.size());
    list(g.normals.size(), [&](std::size_t i) {
        std::fprintf(file, "%f;%f;%f;", g.normals[i].x, g.normals[i].y, g.normals[i].z);
    });
    std::fprintf(file, "  %zu;\n", g.triangles.size());
    writeTriangles();
    std::fprintf(file, "  }\n\n  MeshTextureCoords {\n  %zu;\n", g.uvs.size());
    list(g.uvs.size(),
         [&](std::size_t i) { std::fprintf(file, "%f;%f;", g.uvs[i].first, g.uvs[i].second); });
    std::fprintf(file, "  }\n\n  MeshMaterialList {\n  %zu;\n  %zu;\n", materials.size(),
                 g.triangleMaterials.size());
    list(g.triangleMaterials.size(),
         [&](std::size_t i) { std::fprintf(file, "%d", g.triangleMaterials[i]); });
    for (const Material& m : materials) {
        std::fprintf(file, "\n  Material {\n   %f;%f;%f;1.000000;;\n   %f;\n", m.r, m.g, m.b,
                     m.power);
        std::fprintf(file, "   0.300000;0.300000;0.300000;;\n   %f;%f;%f;;\n", m.r * m.emissive,
                     m.g * m.emissive, m.b * m.emissive);
        if (m.texture[0] != '\0') {
            std::fprintf(file, "   TextureFilename {\n    \"%s\";\n   }\n", m.texture);
        }
        std::fputs("  }\n", file);
    }
    std::fputs("  }\n", file);
    if (extra) {
        extra();
    }
    std::fputs(" }\n", file);
}

const char* const kIdentityMatrixText =
    "1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,"
    "0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,1.000000;;";

// A text .X file with one frame holding one mesh.
void WriteMeshFile(const fs::path& folder, const char* name, const Geometry& geometry,
                   const std::vector<Material>& materials) {
    fs::create_directories(folder);
    const fs::path path = folder / (std::string(name) + ".x");
    std::FILE* file = std::fopen(path.string().c_str(), "w");
    if (file == nullptr) {
        Fail("cannot write " + path.string());
    }
    std::fprintf(file, "xof 0303txt 0032\n\nFrame %s {\n FrameTransformMatrix {\n", name);
    std::fprintf(file, "  %s\n }\n", kIdentityMatrixText);
    WriteMeshObject(file, std::string(name) + "Mesh", geometry, materials);
    std::fputs("}\n", file);
    if (std::fclose(file) != 0) {
        Fail("cannot write " + path.string());
    }
}

// One mesh made of boxes.
void WriteMesh(const fs::path& folder, const Mesh& mesh) {
    WriteMeshFile(folder, mesh.name, BoxGeometry(mesh.parts, mesh.tile), mesh.materials);
}

#include "drive_in_screen.h"
// The flyers' shapes are used by the animated meshes.
#include "ufo_meshes.h"

#include "animated_meshes.h"
#include "mothership_meshes.h"
#include "vehicle_meshes.h"

std::vector<Mesh> Meshes() {
    const Material concrete{0.85f, 0.82f, 0.78f, 8.0f, "windows.png"};
    const Material roof{0.25f, 0.25f, 0.28f, 4.0f, ""};
    const Material steel{0.35f, 0.45f, 0.65f, 32.0f, "metal.png"};
    const Material dark{0.15f, 0.15f, 0.18f, 16.0f, ""};
    const Material glow{1.0f, 0.25f, 0.15f, 64.0f, ""};
    const Material alien{0.55f, 0.6f, 0.65f, 48.0f, "metal.png"};
    const Material green{0.3f, 1.0f, 0.4f, 64.0f, ""};
    const Material bulb{1.0f, 0.9f, 0.6f, 64.0f, "", 1.0f};
    const Material neon{1.0f, 0.12f, 0.75f, 64.0f, "", 1.0f};

    std::vector<Mesh> meshes = {
        {"box", {roof}, {{0, 0, 0, 2, 2, 2, 0}}},
        {"unitcube", {roof}, {{0, 0, 0, 1, 1, 1, 0}}},
        {"building_bowling_alley",
         {concrete, roof},
         {{0, 0, 0, 30, 10, 20, 0}, {0, 5.5f, 0, 31, 1, 21, 1}, {0, 8, -10.5f, 4, 4, 1, 1}}},
        {"bowling_ball", {{0.2f, 0.1f, 0.5f, 64.0f, ""}}, {{0, 0, 0, 2, 2, 2, 0}}},
        {"ground", {{1, 1, 1, 2.0f, "asphalt.png"}}, {{0, -0.5f, 0, 2000, 1, 2000, 0}}, 20.0f},
        {"building_block", {concrete}, {{0, 0, 0, 10, 10, 10, 0}}},
        {"building_apartment",
         {concrete, roof},
         {{0, 0, 0, 20, 40, 20, 0}, {0, 20.5f, 0, 21, 1, 21, 1}}},
        // Neon signs above the awning and on the back wall. The awning reaches as far out
        // in front as the back sign does behind, so the box the renderer centres the mesh on
        // keeps its centre and the store stands where its body's box says.
        {"building_store",
         {concrete, {0.8f, 0.2f, 0.15f, 4.0f, ""}, neon},
         {{0, 0, 0, 30, 12, 20, 0},
          {0, 2, -11.7f, 30, 1, 3.4f, 1},
          {0, 4, -10.2f, 16, 1.6f, 0.4f, 2},
          {0, 3, 10.2f, 18, 3.6f, 0.4f, 2}}},
        {"building_highrise",
         {concrete, roof},
         {{0, 0, 0, 20, 70, 20, 0}, {0, 36, 0, 16, 2, 16, 1}}},
        {"street_light",
         {roof, bulb},
         {{0, 0, 0, 0.6f, 12, 0.6f, 0},
          {1.2f, 6, 0, 3, 0.4f, 0.4f, 0},
          {2.5f, 5.6f, 0, 1.2f, 0.6f, 1.2f, 1}}},
        {"smoke_stack",
         {{0.6f, 0.35f, 0.3f, 4.0f, ""}, roof},
         {{0, -9, 0, 8, 6, 8, 0}, {0, 6, 0, 3, 24, 3, 0}, {0, 18.5f, 0, 3.6f, 1, 3.6f, 1}}},

        {"robot_body", {steel, glow}, {{0, 0, 0, 8, 9, 5, 0}, {0, 1.5f, 2.6f, 4, 3, 0.4f, 1}}},
        {"robot_head", {steel, glow}, {{0, 0, 0, 4, 4, 4, 0}, {0, 0.5f, 2.1f, 3, 0.8f, 0.3f, 1}}},
        {"robot_arm_right",
         {steel, dark},
         {{0, 0, 0, 2.5f, 8, 2.5f, 0}, {0, -4.5f, 0, 3, 2, 3, 1}}},
        {"robot_arm_left", {steel, dark}, {{0, 0, 0, 2.5f, 8, 2.5f, 0}, {0, -4.5f, 0, 3, 2, 3, 1}}},
        {"robot_leg", {steel, dark}, {{0, 0, 0, 3, 9, 3.5f, 0}, {0, -5, 0.75f, 3.4f, 1, 5, 1}}},
        {"robot_health", {green}, {{0, 0, 0, 0.5f, 0.3f, 0.2f, 0}}},

        {"transport",
         {{0.45f, 0.47f, 0.5f, 16.0f, "metal.png"}, dark},
         {{0, 0, 0, 8, 6, 18, 0}, {0, 3.6f, 5, 16, 0.2f, 1, 1}, {0, 3.6f, -5, 16, 0.2f, 1, 1}}},
        {"citizen_cardboard", {{0.7f, 0.55f, 0.35f, 2.0f, ""}}, {{0, 0, 0, 1, 2, 0.2f, 0}}},
        {"mothership_bfg_core", {glow}, {{0, 0, 0, 30, 30, 30, 0}, {0, 0, 0, 36, 12, 12, 0}}},
        {"mothership_turret",
         {alien, dark},
         {{0, 0, 0, 22, 14, 22, 0}, {0, -9, 0, 14, 4, 14, 1}, {0, -4, 16, 5, 5, 16, 1}}},
        // One unit long along x and centred: the renderer stretches it between a beam's ends
        // (with a negative x scale, so it is closed all round and shows from either side).
        {"laser_beam", {{1.0f, 0.3f, 0.2f, 1.0f, ""}}, {{0, 0, 0, 1, 0.3f, 0.3f, 0}}},
    };
    // The mothership's turrets hang on tubes, and the robot's body cables are tubes too.
    static const char* const kTubeNames[] = {"mothership_tube0",
                                             "mothership_tube1",
                                             "mothership_tube2",
                                             "mothership_tube3",
                                             "mothership_tube4",
                                             "mothership_tube5",
                                             "tube0",
                                             "tube1",
                                             "tube2",
                                             "tube3",
                                             "tube4"};
    for (const char* name : kTubeNames) {
        const bool mothership = name[0] == 'm';
        const float length = mothership ? 30.0f : 10.0f;
        // A bent tube is drawn half as thick as it is modelled.
        const float width = mothership ? 6.0f : 1.6f;
        // Short segments along the length, so the tube bends smoothly.
        constexpr int kSegments = 12;
        std::vector<Part> segments;
        for (int i = 0; i < kSegments; ++i) {
            const float centre = -length / 2 + length * (static_cast<float>(i) + 0.5f) / kSegments;
            segments.push_back({0, centre, 0, width, length / kSegments, width, 0});
        }
        meshes.push_back({name, {dark}, segments});
    }
    AddVehicleMeshes(meshes);
    return meshes;
}

// --- sounds ---

struct Sound {
    int rate;
    std::vector<float> samples;

    Sound(int sampleRate, float seconds)
        : rate(sampleRate), samples(static_cast<std::size_t>(sampleRate * seconds)) {}

    // Adds a note with a quick attack and an exponential decay; `bright` mixes in odd
    // harmonics for a reedy, old-record colour.
    void Note(float start, float length, float frequency, float volume, float bright) {
        const std::size_t first = static_cast<std::size_t>(start * rate);
        const std::size_t count = static_cast<std::size_t>(length * rate);
        for (std::size_t i = 0; i < count && first + i < samples.size(); ++i) {
            const float t = static_cast<float>(i) / rate;
            const float envelope = std::min(t / 0.01f, 1.0f) * std::exp(-3.0f * t / length);
            const float phase = 2.0f * kPi * frequency * t;
            const float wave = std::sin(phase) +
                               bright * (std::sin(3 * phase) / 3.0f + std::sin(5 * phase) / 5.0f);
            samples[first + i] += volume * envelope * wave;
        }
    }

    // Surface noise and clicks of a worn record or a running projector.
    void Crackle(float volume, float clicksPerSecond) {
        Noise noise;
        const int every = static_cast<int>(rate / clicksPerSecond);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] += volume * 0.3f * noise.Next();
            if (i % every < 12) {
                samples[i] += volume * noise.Next();
            }
        }
    }
};

float NoteFrequency(int semitonesFromA4) {
    return 440.0f * std::pow(2.0f, semitonesFromA4 / 12.0f);
}

// A tune given as (semitones from A4, beats) pairs; a rest is a pitch below -100.
Sound Tune(const std::vector<std::pair<int, float>>& melody, float beatSeconds, int bassRoot) {
    float total = 0.0f;
    for (const auto& note : melody) {
        total += note.second * beatSeconds;
    }
    Sound sound(22050, total + 0.5f);
    float time = 0.0f;
    int beat = 0;
    for (const auto& [pitch, beats] : melody) {
        if (pitch > -100) {
            sound.Note(time, beats * beatSeconds * 1.2f, NoteFrequency(pitch), 0.35f, 0.6f);
        }
        for (float b = 0.0f; b < beats; b += 1.0f, ++beat) {
            // An oom-pah bass under the melody: root on the strong beats, fifth between.
            const int bass = bassRoot + (beat % 2 == 0 ? 0 : 7);
            sound.Note(time + b * beatSeconds, beatSeconds * 0.8f, NoteFrequency(bass), 0.25f,
                       0.2f);
        }
        time += beats * beatSeconds;
    }
    return sound;
}

void WriteWav(const fs::path& path, const Sound& sound) {
    fs::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    const auto u32 = [&](std::uint32_t v) {
        const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        file.write(b, 4);
    };
    const auto u16 = [&](std::uint16_t v) {
        const char b[2] = {char(v), char(v >> 8)};
        file.write(b, 2);
    };
    const std::uint32_t bytes = static_cast<std::uint32_t>(sound.samples.size() * 2);
    file.write("RIFF", 4);
    u32(36 + bytes);
    file.write("WAVEfmt ", 8);
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(sound.rate);
    u32(sound.rate * 2);
    u16(2);
    u16(16);
    file.write("data", 4);
    u32(bytes);
    for (const float s : sound.samples) {
        u16(static_cast<std::uint16_t>(
            static_cast<std::int16_t>(std::clamp(s, -1.0f, 1.0f) * 32000)));
    }
    if (!file) {
        Fail("cannot write " + path.string());
    }
}

void Check(int result, const char* what) {
    if (result < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(result, text, sizeof(text));
        Fail(std::string(what) + ": " + text);
    }
}

// Sends one frame (or the end of the stream, for null) and hands every packet that comes out.
void Encode(AVCodecContext* codec, AVFrame* frame, const std::function<void(AVPacket*)>& sink) {
    Check(avcodec_send_frame(codec, frame), "send frame");
    AVPacket* packet = av_packet_alloc();
    while (true) {
        const int result = avcodec_receive_packet(codec, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
            break;
        }
        Check(result, "receive packet");
        sink(packet);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
}

// An MP3 file: the encoder's frames one after the other, which is all an MP3 stream is.
void WriteMp3(const fs::path& path, const Sound& sound, int bitRate) {
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_MP3);
    if (encoder == nullptr) {
        Fail("no MP3 encoder in this FFmpeg");
    }
    AVCodecContext* codec = avcodec_alloc_context3(encoder);
    codec->sample_rate = sound.rate;
    codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    codec->bit_rate = bitRate;
    codec->flags |= AV_CODEC_FLAG_BITEXACT;
    av_channel_layout_default(&codec->ch_layout, 1);
    Check(avcodec_open2(codec, encoder, nullptr), "open MP3 encoder");

    fs::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    const auto write = [&](AVPacket* packet) {
        file.write(reinterpret_cast<const char*>(packet->data), packet->size);
    };
    AVFrame* frame = av_frame_alloc();
    frame->format = codec->sample_fmt;
    frame->nb_samples = codec->frame_size;
    frame->sample_rate = codec->sample_rate;
    av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout);
    Check(av_frame_get_buffer(frame, 0), "frame buffer");
    std::int64_t position = 0;
    while (position < static_cast<std::int64_t>(sound.samples.size())) {
        Check(av_frame_make_writable(frame), "frame writable");
        float* out = reinterpret_cast<float*>(frame->data[0]);
        for (int i = 0; i < frame->nb_samples; ++i) {
            const std::size_t at = static_cast<std::size_t>(position + i);
            out[i] = at < sound.samples.size() ? std::clamp(sound.samples[at], -1.0f, 1.0f) : 0.0f;
        }
        frame->pts = position;
        position += frame->nb_samples;
        Encode(codec, frame, write);
    }
    Encode(codec, nullptr, write);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    if (!file) {
        Fail("cannot write " + path.string());
    }
}

// A short effect: a tone sliding from one pitch to another under a noise burst, with its own
// envelope (attack, then exponential decay over the length).
Sound Effect(float seconds, float fromHz, float toHz, float tone, float noise, float decay,
             std::uint32_t seed) {
    Sound sound(22050, seconds);
    Noise random;
    random.state = seed;
    float phase = 0.0f;
    float smoothed = 0.0f;
    for (std::size_t i = 0; i < sound.samples.size(); ++i) {
        const float t = static_cast<float>(i) / sound.rate;
        const float hz = fromHz + (toHz - fromHz) * t / seconds;
        phase += 2.0f * kPi * hz / sound.rate;
        // Low-passed noise gives rumble rather than hiss.
        smoothed += 0.2f * (random.Next() - smoothed);
        const float envelope = std::min(t / 0.005f, 1.0f) * std::exp(-decay * t / seconds);
        sound.samples[i] = envelope * (tone * std::sin(phase) + noise * smoothed * 2.0f);
    }
    return sound;
}

// A steady sound that loops without a click: whole periods of its tones, and a noise loop
// that is cross-faded into its own start.
Sound Drone(float seconds, float baseHz, float wobbleHz, float tone, float noise,
            std::uint32_t seed) {
    Sound sound(22050, seconds);
    const std::size_t count = sound.samples.size();
    // Round the frequencies so a whole number of periods fits the length.
    const float base = std::max(1.0f, std::round(baseHz * seconds)) / seconds;
    const float wobble = std::max(1.0f, std::round(wobbleHz * seconds)) / seconds;
    Noise random;
    random.state = seed;
    std::vector<float> rumble(count);
    float smoothed = 0.0f;
    for (float& r : rumble) {
        smoothed += 0.15f * (random.Next() - smoothed);
        r = smoothed * 2.0f;
    }
    const std::size_t fade = count / 8;
    for (std::size_t i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / sound.rate;
        float r = rumble[i];
        if (i >= count - fade) {
            const float k = static_cast<float>(i - (count - fade)) / fade;
            r = r * (1.0f - k) + rumble[i - (count - fade)] * k;
        }
        const float beat = 0.6f + 0.4f * std::sin(2.0f * kPi * wobble * t);
        sound.samples[i] =
            beat *
            (tone * (std::sin(2.0f * kPi * base * t) + 0.3f * std::sin(4.0f * kPi * base * t)) +
             noise * r);
    }
    // The faded tail now leads into the head; start from the cross-faded part.
    std::rotate(sound.samples.begin(), sound.samples.begin() + (count - fade), sound.samples.end());
    return sound;
}

// Fades the ends of a looping tune to silence so the loop point does not click.
void FadeEnds(Sound& sound, float seconds) {
    const std::size_t count = static_cast<std::size_t>(seconds * sound.rate);
    for (std::size_t i = 0; i < count && i < sound.samples.size(); ++i) {
        const float k = static_cast<float>(i) / count;
        sound.samples[i] *= k;
        sound.samples[sound.samples.size() - 1 - i] *= k;
    }
}

// The effects and tunes the game asks for by name: short, distinct placeholders.
void WriteEffectsAndTunes(const fs::path& sounds) {
    struct OneShot {
        const char* name;
        float seconds, fromHz, toHz, tone, noise, decay;
    };
    const std::vector<OneShot> effects = {
        {"tank_shot", 0.6f, 180, 60, 0.3f, 0.6f, 5},
        {"helicopter_shot", 0.25f, 900, 500, 0.3f, 0.4f, 6},
        {"building_demolition_2", 2.0f, 80, 30, 0.2f, 0.7f, 3},
        {"medium_explosion", 1.2f, 120, 40, 0.2f, 0.7f, 4},
        {"laser", 0.5f, 1800, 400, 0.5f, 0.05f, 3},
        {"bfg_open", 0.8f, 200, 400, 0.4f, 0.2f, 2},
        {"bfg_charge", 1.5f, 150, 1500, 0.5f, 0.05f, 0.5f},
        {"bfg_shot", 0.9f, 600, 80, 0.4f, 0.5f, 4},
        {"mothership_explosion", 3.0f, 60, 20, 0.2f, 0.8f, 2},
        {"minigun_5shot", 0.5f, 300, 300, 0.2f, 0.5f, 1},
        {"citizen_fire1", 0.2f, 1200, 900, 0.2f, 0.4f, 6},
        {"citizen_fire2", 0.2f, 1000, 700, 0.2f, 0.4f, 6},
        {"punch", 0.3f, 220, 120, 0.3f, 0.4f, 6},
        {"punch_impact", 0.4f, 120, 50, 0.3f, 0.6f, 5},
        {"walk", 0.4f, 70, 40, 0.5f, 0.4f, 6},
        {"electrical_explosion", 0.9f, 2400, 200, 0.3f, 0.6f, 4},
        {"building_impact1", 0.7f, 140, 60, 0.2f, 0.6f, 5},
        {"building_impact2", 0.8f, 110, 50, 0.2f, 0.6f, 5},
        {"building_impact3", 0.9f, 90, 40, 0.2f, 0.6f, 5},
    };
    std::uint32_t seed = 1;
    for (const OneShot& e : effects) {
        Sound sound = Effect(e.seconds, e.fromHz, e.toHz, e.tone, e.noise, e.decay, seed++);
        // The minigun's five shots.
        if (std::string(e.name) == "minigun_5shot") {
            const std::size_t every = sound.samples.size() / 5;
            for (std::size_t i = 0; i < sound.samples.size(); ++i) {
                const float t = static_cast<float>(i % every) / sound.rate;
                sound.samples[i] *= std::exp(-40.0f * t);
            }
        }
        WriteMp3(sounds / "sound fx" / (std::string(e.name) + ".mp3"), sound, 64000);
    }
    // Engines and the hum loop.
    WriteMp3(sounds / "sound fx" / "helicopter.mp3", Drone(1.0f, 55, 12, 0.3f, 0.3f, 101), 64000);
    WriteMp3(sounds / "sound fx" / "tank.mp3", Drone(1.0f, 40, 3, 0.3f, 0.4f, 102), 64000);
    WriteMp3(sounds / "sound fx" / "hum.mp3", Drone(1.0f, 60, 1, 0.3f, 0.05f, 103), 64000);

    struct Music {
        const char* name;
        std::vector<std::pair<int, float>> melody;
        float beat;
        int bass;
    };
    const std::vector<Music> tunes = {
        {"A Robot's Afoot [in game].mp3",
         {{0, 1}, {3, 1}, {7, 1}, {10, 1}, {8, 2}, {7, 2}, {3, 2}, {5, 2}},
         0.3f,
         -24},
        {"Attack The City [in game].mp3",
         {{0, 1}, {0, 1}, {6, 1}, {5, 1}, {3, 2}, {1, 2}, {0, 4}},
         0.25f,
         -27},
        {"Flight Of The UFO [in game].mp3",
         {{12, 2}, {11, 2}, {15, 2}, {18, 2}, {17, 4}, {13, 4}},
         0.3f,
         -21},
        {"Game Intro [in game].mp3",
         {{0, 2}, {7, 2}, {12, 4}, {10, 2}, {7, 2}, {5, 4}},
         0.35f,
         -24},
        {"Mothership [in game].mp3",
         {{-5, 2}, {-4, 2}, {-5, 2}, {1, 2}, {0, 4}, {-2, 4}},
         0.4f,
         -29},
        {"UFO Boom and Mothership Intro [in game].mp3",
         {{19, 1}, {14, 1}, {10, 1}, {7, 1}, {2, 4}, {-5, 8}},
         0.3f,
         -29},
        {"UFO Intro [in game].mp3",
         {{7, 1}, {14, 1}, {7, 1}, {15, 1}, {7, 1}, {17, 1}, {14, 2}},
         0.3f,
         -17},
        {"music.mp3", {{0, 2}, {4, 2}, {7, 2}, {4, 2}, {5, 2}, {9, 2}, {7, 4}}, 0.3f, -24},
    };
    for (const Music& music : tunes) {
        Sound tune = Tune(music.melody, music.beat, music.bass);
        FadeEnds(tune, 0.05f);
        WriteMp3(sounds / "music" / music.name, tune, 48000);
    }
}

void WriteSounds(const fs::path& sounds) {
    // The menu's march, played as if from an old gramophone record.
    Sound march =
        Tune({{-2, 1}, {2, 1},  {5, 1},  {10, 2},   {9, 1},  {5, 1}, {2, 2},  {3, 1},   {2, 1},
              {0, 1},  {-2, 1}, {0, 2},  {-200, 2}, {-2, 1}, {2, 1}, {5, 1},  {10, 2},  {12, 1},
              {14, 1}, {15, 2}, {14, 1}, {12, 1},   {10, 1}, {9, 1}, {10, 2}, {-200, 2}},
             0.25f, -26);
    march.Crackle(0.02f, 3.0f);
    WriteMp3(sounds / "music" / "gramophone_stars_and_stripes.mp3", march, 48000);

    Sound credits = Tune({{0, 2},
                          {4, 2},
                          {7, 2},
                          {12, 4},
                          {11, 2},
                          {7, 2},
                          {9, 4},
                          {5, 2},
                          {9, 2},
                          {12, 2},
                          {16, 4},
                          {14, 2},
                          {11, 2},
                          {12, 6}},
                         0.2f, -33);
    WriteMp3(sounds / "music" / "credits_music.mp3", credits, 48000);

    // The film leader: a projector running, with a beep on each of the three counts.
    Sound leader(11025, 3.0f);
    leader.Crackle(0.08f, 24.0f);
    for (int count = 0; count < 3; ++count) {
        leader.Note(count * 1.0f, 0.15f, 1000.0f, 0.5f, 0.0f);
    }
    WriteWav(sounds / "music" / "filmleader.wav", leader);

    WriteEffectsAndTunes(sounds);
}

// --- videos ---

// An AVI of MPEG-4 video built frame by frame from images.
void WriteVideo(const fs::path& path, int width, int height, int fps, int frames,
                const std::function<Image(int)>& draw) {
    fs::create_directories(path.parent_path());
    AVFormatContext* format = nullptr;
    Check(avformat_alloc_output_context2(&format, nullptr, "avi", path.string().c_str()),
          "AVI muxer");
    format->flags |= AVFMT_FLAG_BITEXACT;
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    AVStream* stream = avformat_new_stream(format, nullptr);
    AVCodecContext* codec = avcodec_alloc_context3(encoder);
    codec->width = width;
    codec->height = height;
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->time_base = {1, fps};
    codec->framerate = {fps, 1};
    codec->gop_size = fps;
    codec->max_b_frames = 0;
    codec->flags |= AV_CODEC_FLAG_QSCALE | AV_CODEC_FLAG_BITEXACT;
    codec->global_quality = FF_QP2LAMBDA * 6;
    Check(avcodec_open2(codec, encoder, nullptr), "open MPEG-4 encoder");
    Check(avcodec_parameters_from_context(stream->codecpar, codec), "stream parameters");
    stream->time_base = codec->time_base;
    Check(avio_open(&format->pb, path.string().c_str(), AVIO_FLAG_WRITE), "open AVI file");
    Check(avformat_write_header(format, nullptr), "AVI header");

    const auto write = [&](AVPacket* packet) {
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        Check(av_interleaved_write_frame(format, packet), "write frame");
    };
    AVFrame* frame = av_frame_alloc();
    frame->format = codec->pix_fmt;
    frame->width = width;
    frame->height = height;
    Check(av_frame_get_buffer(frame, 0), "frame buffer");
    for (int index = 0; index < frames; ++index) {
        const Image image = draw(index);
        Check(av_frame_make_writable(frame), "frame writable");
        // BT.601 studio range, the chroma averaged over each 2 x 2 block.
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const Colour c = image.At(x, y);
                frame->data[0][y * frame->linesize[0] + x] = static_cast<std::uint8_t>(
                    16 + (65.738f * c.r + 129.057f * c.g + 25.064f * c.b) / 256.0f);
            }
        }
        for (int y = 0; y < height / 2; ++y) {
            for (int x = 0; x < width / 2; ++x) {
                float r = 0, g = 0, b = 0;
                for (int k = 0; k < 4; ++k) {
                    const Colour c = image.At(2 * x + k % 2, 2 * y + k / 2);
                    r += c.r / 4.0f;
                    g += c.g / 4.0f;
                    b += c.b / 4.0f;
                }
                frame->data[1][y * frame->linesize[1] + x] = static_cast<std::uint8_t>(
                    128 + (-37.945f * r - 74.494f * g + 112.439f * b) / 256.0f);
                frame->data[2][y * frame->linesize[2] + x] = static_cast<std::uint8_t>(
                    128 + (112.439f * r - 94.154f * g - 18.285f * b) / 256.0f);
            }
        }
        frame->pts = index;
        Encode(codec, frame, write);
    }
    Encode(codec, nullptr, write);
    Check(av_write_trailer(format), "AVI trailer");
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    avio_closep(&format->pb);
    avformat_free_context(format);
}

void WriteVideos(const fs::path& video) {
    constexpr int kWidth = 256;
    constexpr int kHeight = 160;

    // The menu's backdrop: the city skyline drifting under a night sky.
    WriteVideo(video / "introscreen.avi", kWidth, kHeight, 10, 40, [](int frame) {
        Image image(kWidth, kHeight);
        image.VerticalGradient(kNightTop, kNightBottom);
        image.FillCircle(200, 30, 12, {240, 240, 220});
        Skyline(image, 150, frame * 2, 0.5f, {12, 10, 24}, {250, 210, 110});
        return image;
    });

    // A film leader counting down 3, 2, 1 with a sweeping hand, one count a second.
    constexpr int kLeaderFps = 12;
    WriteVideo(
        video / "FilmLeader.avi", kWidth, kHeight, kLeaderFps, 3 * kLeaderFps, [](int frame) {
            Image image(kWidth, kHeight, {170, 165, 150});
            const float cx = kWidth / 2.0f;
            const float cy = kHeight / 2.0f;
            const float sweep = 2.0f * kPi * (frame % kLeaderFps) / kLeaderFps;
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    float angle = std::atan2(x + 0.5f - cx, cy - y - 0.5f);
                    if (angle < 0) {
                        angle += 2.0f * kPi;
                    }
                    if (angle < sweep) {
                        image.Blend(x, y, {90, 85, 75, 255});
                    }
                }
            }
            image.Line(cx, 0, cx, kHeight, 1.5f, {30, 30, 30});
            image.Line(0, cy, kWidth, cy, 1.5f, {30, 30, 30});
            for (const float radius : {60.0f, 66.0f}) {
                for (int step = 0; step < 360; ++step) {
                    const float a = step * kPi / 180.0f;
                    image.FillCircle(cx + radius * std::cos(a), cy + radius * std::sin(a), 1.0f,
                                     {240, 240, 230});
                }
            }
            image.Title(std::to_string(3 - frame / kLeaderFps), int(cx), int(cy), 10, kWhite);
            return image;
        });

    // The credits rolling up the screen for 33 seconds, so the black screen and the fade that
    // come 31.5 seconds in fall inside them.
    WriteVideo(video / "Credits.avi", kWidth, kHeight, 10, 330, [](int frame) {
        Image image(kWidth, kHeight, {0, 0, 0});
        const char* const lines[] = {
            "GORVANE",           "", "MADE BY", "THE GORVANE TEAM", "", "A VANTREL PRODUCTION", "",
            "THANKS FOR PLAYING"};
        int y = kHeight + 10 - frame;
        for (const char* line : lines) {
            image.Text(line, kWidth / 2, y, line == lines[0] ? 4 : 2, kWhite);
            y += 22;
        }
        return image;
    });
}

// The angle the clip loader measures in a record once it has stood the matrix upright:
// asin(2(q.y q.w − q.x q.z)) of the quaternion of m, which is −m13.
double MeasuredAngle(const robot_clips::Mat3& m) {
    return std::asin(std::clamp(-m[2], -1.0, 1.0));
}

// The record matrix that the loader turns into the rotation d. The loader stands the
// record upright with a quarter turn about x, measures an angle θ and turns back by 2θ
// about y, so the record is X(π/2) · Y(2θ) · d with θ the angle measured in Y(2θ) · d. The
// difference between the two angles is ≥ 0 at −π/2 and ≤ 0 at π/2, so a root exists; one
// near 0 is found by bisection (plain iteration runs away from it).
robot_clips::Mat3 RecordMatrix(const robot_clips::Mat3& d) {
    using robot_clips::Mul;
    using robot_clips::RotX;
    using robot_clips::RotY;
    constexpr double kHalfTurn = robot_clips::kPi / 2;
    const auto excess = [&d](double theta) {
        return MeasuredAngle(Mul(RotY(2 * theta), d)) - theta;
    };
    // The bracket nearest 0 among 64 steps on each side where the difference changes sign.
    constexpr int kSteps = 64;
    const auto changes = [&excess](double a, double b) {
        return (excess(a) <= 0.0) != (excess(b) <= 0.0);
    };
    double lo = 0.0, hi = 0.0;
    if (excess(0.0) != 0.0) {
        for (int i = 0; i < kSteps; ++i) {
            const double a = kHalfTurn * i / kSteps, b = kHalfTurn * (i + 1) / kSteps;
            if (changes(a, b)) {
                lo = a, hi = b;
                break;
            }
            if (changes(-b, -a)) {
                lo = -b, hi = -a;
                break;
            }
        }
    }
    const bool rising = excess(lo) <= 0.0;
    for (int i = 0; i < 80 && lo != hi; ++i) {
        const double mid = 0.5 * (lo + hi);
        ((excess(mid) <= 0.0) == rising ? lo : hi) = mid;
    }
    return Mul(RotX(kHalfTurn), Mul(RotY(lo + hi), d));
}

// Each clip as "animation_<name>.txt", lowercased as the art package stores it: first and
// last frame, key count and loop word, then per key its label, frame number and six joint
// records of name, weight, 3×3 rotation in row order and position.
void WriteAnimations(const fs::path& folder) {
    fs::create_directories(folder);
    for (const robot_clips::Clip& clip : robot_clips::RobotClips()) {
        std::string file = "animation_" + clip.name + ".txt";
        std::transform(file.begin(), file.end(), file.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::FILE* out = std::fopen((folder / file).c_str(), "w");
        if (out == nullptr) {
            throw std::runtime_error("cannot write " + file);
        }
        std::fprintf(out, "%d %d %zu %s\n", clip.keys.front().frame, clip.keys.back().frame,
                     clip.keys.size(), clip.loop ? "true" : "false");
        for (const robot_clips::ClipKey& key : clip.keys) {
            std::fprintf(out, "Frame %d\n", key.frame);
            for (int j = 0; j < 6; ++j) {
                const robot_clips::JointPose& joint = key.joints[j];
                const robot_clips::Mat3 m = RecordMatrix(joint.rotation);
                std::fprintf(out, "  %s %.9g", robot_clips::kJointNames[j], joint.weight);
                for (const double value : m) {
                    std::fprintf(out, " %.9g", std::abs(value) < 1e-12 ? 0.0 : value);
                }
                std::fprintf(out, "  %.9g %.9g %.9g\n", joint.position[0], joint.position[1],
                             joint.position[2]);
            }
        }
        std::fclose(out);
    }
}

} // namespace

// The deferred-lighting effects for 2, 3 and 4 shadow splits from one template: "@N@" is
// the split count, and a line starting "@each " is written once per split with "@i@" the
// split's index.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

void WriteDeferredLighting(const fs::path& templatePath, const fs::path& shaders) {
    std::ifstream in(templatePath, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + templatePath.string());
    }
    const std::string each = "@each ";
    for (int splits = 2; splits <= 4; ++splits) {
        std::string out;
        in.clear();
        in.seekg(0);
        for (std::string line; std::getline(in, line);) {
            if (line.rfind(each, 0) == 0) {
                for (int i = 0; i < splits; ++i) {
                    out += ReplaceAll(line.substr(each.size()), "@i@", std::to_string(i)) + "\n";
                }
                continue;
            }
            out += ReplaceAll(line, "@N@", std::to_string(splits)) + "\n";
        }
        const fs::path path = shaders / ("deferredlighting" + std::to_string(splits) + ".fxo");
        std::ofstream(path, std::ios::binary) << out;
    }
}

#include "overlays.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DATA-FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path data = argv[1];
    try {
        av_log_set_level(AV_LOG_ERROR);
        WriteScreens(data / "art" / "ui");
        WriteButtons(data / "art" / "ui");
        WriteWidgetLooks(data / "art" / "ui");
        WriteSurfaceTextures(data / "art" / "textures");
        WriteEnvironment(data / "art" / "textures");
        WriteNoiseVolume(data / "art" / "textures");
        WriteSmokePuff(data / "art" / "textures");
        WriteParticleTextures(data / "art" / "textures");
        WriteGrid(data / "art" / "textures");
        if (!WriteFilmGrain(data / "art")) {
            Fail("cannot write the film grain");
        }
        for (const Mesh& mesh : Meshes()) {
            WriteMesh(data / "art" / "meshes", mesh);
        }
        for (const AnimatedMesh& mesh : AnimatedMeshes()) {
            WriteAnimatedMesh(data / "art" / "meshes", mesh);
        }
        for (const AnimatedMesh& mesh : mothership_content::MothershipMeshes()) {
            WriteAnimatedMesh(data / "art" / "meshes", mesh);
        }
        WriteFlyerMeshes(data / "art" / "meshes");
        WriteUnitSphere(data / "art" / "meshes", {0.25f, 0.25f, 0.28f, 4.0f, ""});
        WriteDriveInScreen(data / "art" / "meshes");
        WriteAnimations(data / "art" / "animations");
        WriteSounds(data / "sounds");
        WriteVideos(data / "video");
        WriteLetters(data / "art" / "letters");
        WriteFilmImages(data / "art" / "textures");
        WriteLogoVideo(data / "video");
        WriteDeferredLighting(data.parent_path() / "tools" / "content" / "deferredlighting.fxt",
                              data / "shaders");
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "make_content: %s\n", failure.what());
        return 1;
    }
    return 0;
}
