#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/game_object.h"
#include "graphics/render_state_cache.h"
#include "graphics/sprite_batch.h"
#include "graphics/sprite_component.h"
#include "platform/gfx/image.h"
#include "platform/gfx/texture.h"
#include "support/gl_fixture.h"

namespace {

std::unique_ptr<gfx::Texture> SolidTexture(i32 width, i32 height, u8 r = 255, u8 g = 255,
                                           u8 b = 255) {
    gfx::Image image;
    image.width = width;
    image.height = height;
    for (i32 i = 0; i < width * height; ++i) {
        image.pixels.insert(image.pixels.end(), {r, g, b, 255});
    }
    return gfx::Texture::FromImage(image, false);
}

// Where the transform puts a point of the sprite's own pixels.
std::pair<float, float> Place(const float m[16], float x, float y) {
    return {x * m[0] + y * m[4] + m[12], x * m[1] + y * m[5] + m[13]};
}

TEST(SpriteTest, SizesRoundUpToPowersOfTwoAndTheCentreIsHalfTheTexture) {
    auto texture = SolidTexture(100, 60);
    SpriteComponent sprite(nullptr, texture.get());
    EXPECT_EQ(sprite.width, 100u);
    EXPECT_EQ(sprite.height, 60u);
    EXPECT_EQ(sprite.potWidth, 128u);
    EXPECT_EQ(sprite.potHeight, 64u);
    EXPECT_FLOAT_EQ(sprite.rotationCenter[0], 50.0f);
    EXPECT_FLOAT_EQ(sprite.rotationCenter[1], 30.0f);
    // The whole texture, not one column and one row short.
    EXPECT_EQ(sprite.sourceRect, (SpriteRect{0, 0, 100, 60}));
    EXPECT_TRUE(sprite.visible);
    EXPECT_EQ(sprite.color, 0xFFFFFFFFu);

    const std::pair<u32, u32> cases[] = {{0, 2}, {1, 2}, {2, 2}, {3, 4}, {64, 64}, {65, 128}};
    for (const auto& [size, pot] : cases) {
        EXPECT_EQ(SpritePowerOfTwo(size), pot) << size;
    }
}

TEST(SpriteTest, ASpriteWithoutTextureHasNoSize) {
    SpriteComponent sprite(nullptr, static_cast<gfx::Texture*>(nullptr));
    EXPECT_EQ(sprite.width, 0u);
    EXPECT_EQ(sprite.potWidth, 2u);
    EXPECT_EQ(sprite.sourceRect, (SpriteRect{}));
}

TEST(SpriteTest, RotationTurnsAboutTheCentreAndScalingAboutItsOwnCentre) {
    auto texture = SolidTexture(100, 60);
    SpriteComponent sprite(nullptr, texture.get());
    sprite.translation[0] = 10.0f;
    sprite.translation[1] = 20.0f;
    sprite.rotation = static_cast<float>(M_PI);
    sprite.Update(0.0f);
    // Half a turn about (50, 30): the corners swap, the centre stays.
    auto [cx, cy] = Place(sprite.transform, 50.0f, 30.0f);
    EXPECT_NEAR(cx, 60.0f, 1e-4f);
    EXPECT_NEAR(cy, 50.0f, 1e-4f);
    auto [x0, y0] = Place(sprite.transform, 0.0f, 0.0f);
    EXPECT_NEAR(x0, 110.0f, 1e-4f);
    EXPECT_NEAR(y0, 80.0f, 1e-4f);

    sprite.rotation = 0.0f;
    sprite.scaling[0] = 2.0f;
    sprite.scaling[1] = 3.0f;
    sprite.scalingCenter[0] = 10.0f;
    sprite.scalingCenter[1] = 10.0f;
    sprite.Update(0.0f);
    auto [sx, sy] = Place(sprite.transform, 10.0f, 10.0f);
    EXPECT_NEAR(sx, 20.0f, 1e-4f);
    EXPECT_NEAR(sy, 30.0f, 1e-4f);
    auto [tx, ty] = Place(sprite.transform, 11.0f, 11.0f);
    EXPECT_NEAR(tx, 22.0f, 1e-4f);
    EXPECT_NEAR(ty, 33.0f, 1e-4f);
}

TEST(SpriteTest, AnOwnedSpriteFollowsItsOwnerAndTakesItsDepth) {
    auto texture = SolidTexture(8, 8);
    SpriteComponent free(nullptr, texture.get());
    free.translation[0] = 7.0f;
    free.translation[1] = 9.0f;
    free.Update(0.0f);
    EXPECT_FLOAT_EQ(free.translation[0], 7.0f);
    EXPECT_FLOAT_EQ(free.translation[1], 9.0f);
    EXPECT_FLOAT_EQ(free.depth, 0.0f);

    GameObject owner("Button");
    owner.position = Vector(10.0f, 20.0f, 5.0f);
    SpriteComponent owned(nullptr, texture.get());
    owned.owner = &owner;
    owned.offset[0] = 1.0f;
    owned.offset[1] = 2.0f;
    owned.Update(0.0f);
    EXPECT_FLOAT_EQ(owned.translation[0], 11.0f);
    EXPECT_FLOAT_EQ(owned.translation[1], 22.0f);
    EXPECT_FLOAT_EQ(owned.depth, 5.0f);
    EXPECT_FLOAT_EQ(owned.transform[12], 11.0f);
    EXPECT_FLOAT_EQ(owned.transform[13], 22.0f);
    owned.owner = nullptr;
}

// Records what the sprite pass asks of the batch.
class RecordingBatch : public SpriteBatch {
  public:
    RecordingBatch() : SpriteBatch(nullptr) {}
    void Begin(u32 flags) override { calls.push_back("Begin " + std::to_string(flags)); }
    void SetTransform(const float m[16]) override {
        calls.push_back("SetTransform " + std::to_string(static_cast<int>(m[12])));
    }
    void Draw(gfx::Texture*, const SpriteRect& rect, u32) override {
        calls.push_back("Draw " + std::to_string(rect.right));
    }
    void End() override { calls.push_back("End"); }
    std::vector<std::string> calls;
};

TEST(SpriteTest, TheSpritePassDrawsLargerDepthsFirstAndSkipsHiddenSprites) {
    auto texture = SolidTexture(4, 4);
    std::vector<std::unique_ptr<GameObject>> owners;
    std::vector<std::unique_ptr<SpriteComponent>> store;
    std::vector<SpriteComponent*> sprites;
    const float depths[] = {1.0f, 5.0f, 3.0f, 5.0f};
    for (int i = 0; i < 4; ++i) {
        owners.push_back(std::make_unique<GameObject>("S"));
        owners.back()->position = Vector(static_cast<float>(i), 0.0f, depths[i]);
        store.push_back(std::make_unique<SpriteComponent>(nullptr, texture.get()));
        store.back()->owner = owners.back().get();
        sprites.push_back(store.back().get());
    }
    store[2]->visible = false;
    RecordingBatch batch;
    DrawSpriteList(batch, sprites);
    // Depth 5 (sprites 1 and 3 in their order), then 3 (hidden), then 1.
    const std::vector<std::string> expected = {
        "Begin 1", "SetTransform 1", "Draw 4", "SetTransform 3",
        "Draw 4",  "SetTransform 0", "Draw 4", "End"};
    EXPECT_EQ(batch.calls, expected);
    EXPECT_EQ(sprites[0], store[1].get());
    EXPECT_EQ(sprites[3], store[0].get());
    for (auto& sprite : store) {
        sprite->owner = nullptr;
    }
}

using gl_fixture::Rgba;

class SpriteDrawTest : public gl_fixture::DeviceTest {
  protected:
    void SetUp() override {
        gl_fixture::DeviceTest::SetUp();
        RenderStateCache::Restart();
        m_device->SetBackBufferTarget();
        m_device->Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF000000u, 1.0f, 0);
    }
    void TearDown() override {
        RenderStateCache::Restart();
        gl_fixture::DeviceTest::TearDown();
    }
};

TEST_F(SpriteDrawTest, ASourceRectangleLandsAtTheTransformInTheSpriteColour) {
    // Left half red, right half green, 8 x 4.
    gfx::Image image;
    image.width = 8;
    image.height = 4;
    for (int row = 0; row < 4; ++row) {
        for (int x = 0; x < 8; ++x) {
            image.pixels.insert(image.pixels.end(),
                                {u8(x < 4 ? 255 : 0), u8(x < 4 ? 0 : 255), 0, 255});
        }
    }
    auto texture = gfx::Texture::FromImage(image, false);
    SpriteComponent sprite(nullptr, texture.get());
    sprite.sourceRect = {4, 0, 8, 4}; // the green half
    sprite.translation[0] = 10.0f;
    sprite.translation[1] = 6.0f;
    sprite.scaling[0] = 2.0f;
    sprite.scaling[1] = 2.0f;
    sprite.rotationCenter[0] = 0.0f;
    sprite.rotationCenter[1] = 0.0f;
    std::vector<SpriteComponent*> sprites = {&sprite};
    SpriteBatch batch(m_device.get());
    DrawSpriteList(batch, sprites);

    // 4 x 4 texels scaled twice cover pixels 10..17 of rows 6..13; sprites filter linearly,
    // so the first column picks up a little of the red next to the rectangle.
    EXPECT_EQ(BackBufferPixel(12, 8), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(BackBufferPixel(17, 13), (Rgba{0, 255, 0, 255}));
    EXPECT_GT(BackBufferPixel(10, 6).g, 128);
    EXPECT_EQ(BackBufferPixel(9, 6), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(BackBufferPixel(18, 6), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(BackBufferPixel(10, 5), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(BackBufferPixel(10, 14), (Rgba{0, 0, 0, 255}));
    // End gives the depth test back.
    EXPECT_EQ(RenderStateCache::Get(*m_device, gfx::kRsZEnable), 1u);

    // Half-transparent blue over it blends.
    auto blue = SolidTexture(2, 2, 0, 0, 255);
    SpriteComponent over(nullptr, blue.get());
    over.translation[0] = 10.0f;
    over.translation[1] = 6.0f;
    over.color = 0x80FFFFFFu;
    std::vector<SpriteComponent*> top = {&over};
    DrawSpriteList(batch, top);
    const Rgba mixed = BackBufferPixel(11, 7);
    EXPECT_NEAR(mixed.g, 127, 3);
    EXPECT_NEAR(mixed.b, 128, 3);
}

} // namespace
