#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/message.h"
#include "core/message_router.h"
#include "graphics/graphics_process.h"
#include "graphics/render_settings.h"
#include "graphics/sprite_component.h"
#include "graphics/text_graphic.h"
#include "graphics/text_graphic_manager.h"
#include "platform/gfx/image.h"
#include "platform/gfx/texture.h"
#include "platform/input/keys.h"
#include "support/component_fixture.h"

namespace {

class TextGraphicTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_render_settings = RenderSettings{};
        testing::internal::CaptureStdout();
        graphics = std::make_unique<GraphicsProcess>(nullptr, nullptr, 0, 1024.0f, 3);
        testing::internal::GetCapturedStdout();
        graphics->Bind(&router, GraphicsProcess::kHandlerId);
        asker.Bind(&router, 22);
    }
    void TearDown() override { graphics.reset(); }

    // Display with the log captured; the texture loading may log the letter images it cannot
    // find, so only the lines about the text are kept.
    TextGraphic* Display(const char* text, std::vector<std::string>& characterLines) {
        const float topLeft[2] = {100.0f, 50.0f};
        const float bottomRight[2] = {400.0f, 80.0f};
        testing::internal::CaptureStdout();
        TextGraphic* shown = graphics->TextGraphics().Display(text, topLeft, bottomRight);
        const std::string out = testing::internal::GetCapturedStdout();
        std::size_t start = 0;
        while (start < out.size()) {
            const std::size_t end = out.find('\n', start);
            const std::string line = out.substr(start, end - start);
            if (line.rfind("invalid character", 0) == 0 || line.rfind("String provided", 0) == 0) {
                characterLines.push_back(line);
            }
            start = end == std::string::npos ? out.size() : end + 1;
        }
        return shown;
    }

    MessageRouter router;
    std::unique_ptr<GraphicsProcess> graphics;
    component_fixture::MessageRecorder asker;
};

TEST_F(TextGraphicTest, InvalidLettersAreLoggedAndTheRestFillEqualCells) {
    std::vector<std::string> lines;
    TextGraphic* shown = Display("Score: 100", lines);
    ASSERT_NE(shown, nullptr);
    const std::vector<std::string> expected = {"invalid character 'c' in the string: Score: 100",
                                               "invalid character 'o' in the string: Score: 100",
                                               "invalid character 'r' in the string: Score: 100",
                                               "invalid character 'e' in the string: Score: 100"};
    EXPECT_EQ(lines, expected);
    ASSERT_EQ(shown->letters.size(), 6u);
    int i = 0;
    for (const SpriteComponent* letter : shown->letters) {
        EXPECT_FLOAT_EQ(letter->translation[0], 100.0f + 50.0f * static_cast<float>(i)) << i;
        EXPECT_FLOAT_EQ(letter->translation[1], 50.0f);
        ++i;
    }
    // The letters are screen sprites of the renderer.
    EXPECT_EQ(graphics->Sprites().size(), 6u);
}

TEST_F(TextGraphicTest, OnlyTheLowerCaseXHasAnImageOfItsOwn) {
    const TextGraphicManager& manager = graphics->TextGraphics();
    EXPECT_EQ(manager.LetterFile('x'), "assets/art/x_.png");
    EXPECT_EQ(manager.LetterFile('X'), "assets/art/X.png");
    EXPECT_EQ(manager.LetterFile('2'), "assets/art/2.png");
    EXPECT_EQ(manager.LetterFile(':'), "assets/art/semicolon.png");
    EXPECT_EQ(manager.LetterFile('.'), "assets/art/period_formally_known_as_face.png");
    EXPECT_EQ(manager.LetterFile('y'), "");
    EXPECT_EQ(manager.LetterFile(200), "");

    std::vector<std::string> lines;
    EXPECT_EQ(Display("x2", lines)->letters.size(), 2u);
    EXPECT_EQ(Display("X2", lines)->letters.size(), 2u);
    EXPECT_TRUE(lines.empty());
}

TEST_F(TextGraphicTest, EmptyTextIsRefusedAndAllInvalidTextPlacesNothing) {
    std::vector<std::string> lines;
    EXPECT_EQ(Display("", lines), nullptr);
    EXPECT_EQ(lines, std::vector<std::string>{TextGraphicManager::kEmptyTextLog});
    lines.clear();
    TextGraphic* none = Display("abc", lines);
    ASSERT_NE(none, nullptr);
    EXPECT_TRUE(none->letters.empty());
    EXPECT_EQ(lines.size(), 3u);
}

TEST_F(TextGraphicTest, UndisplayingTwiceDeletesOnceAndTheMessagesDoBoth) {
    TextGraphicStruct request;
    request.text = "AB";
    request.topLeft[0] = 0.0f;
    request.bottomRight[0] = 20.0f;
    request.bottomRight[1] = 10.0f;
    testing::internal::CaptureStdout();
    Message<TextGraphicStruct*> display(MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT, &request);
    asker.SendMessage(&display, GraphicsProcess::kHandlerId);
    testing::internal::GetCapturedStdout();
    ASSERT_NE(request.textGraphic, nullptr);
    EXPECT_EQ(graphics->Sprites().size(), 2u);
    EXPECT_EQ(graphics->TextGraphics().Texts().size(), 1u);

    for (int i = 0; i < 2; ++i) {
        Message<TextGraphic*> undisplay(MSG_GRAPHICS_UNDISPLAY_GRAPHICS_TEXT, request.textGraphic);
        asker.SendMessage(&undisplay, GraphicsProcess::kHandlerId);
    }
    EXPECT_TRUE(graphics->Sprites().empty());
    EXPECT_TRUE(graphics->TextGraphics().Texts().empty());
}

TEST_F(TextGraphicTest, LayOutScalesEachLetterToItsCell) {
    gfx::Image image;
    image.width = 16;
    image.height = 32;
    image.pixels.assign(16 * 32 * 4, 255);
    auto texture = gfx::Texture::FromImage(image, false);
    TextGraphic text;
    SpriteComponent a(nullptr, texture.get());
    SpriteComponent b(nullptr, texture.get());
    text.letters = {&a, &b};
    const float topLeft[2] = {10.0f, 20.0f};
    const float bottomRight[2] = {74.0f, 36.0f};
    text.LayOut(topLeft, bottomRight);
    EXPECT_FLOAT_EQ(b.translation[0], 42.0f);
    EXPECT_FLOAT_EQ(b.translation[1], 20.0f);
    EXPECT_FLOAT_EQ(a.scaling[0], 2.0f);
    EXPECT_FLOAT_EQ(a.scaling[1], 0.5f);
}

TEST_F(TextGraphicTest, KeyTShowsMovesAndRemovesTheDebugText) {
    InputState input;
    input.m_keys[input::key::T] = INPUT_HELD;
    input.m_keys[input::key::Enter] = INPUT_PRESSED;
    Message<InputState> keys(MSG_GRAPHIC_INPUT, input);
    asker.SendMessage(&keys, GraphicsProcess::kHandlerId);
    testing::internal::CaptureStdout();
    graphics->Update(0.0f);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(graphics->Sprites().size(), 4u); // "AABC"
    EXPECT_FLOAT_EQ(graphics->Sprites().front()->translation[0], 20.0f);
    EXPECT_FLOAT_EQ(graphics->Sprites().front()->translation[1], 40.0f);

    // Right for half a second moves both corners by 25.
    input.m_keys[input::key::Enter] = INPUT_UP;
    input.m_keys[input::key::Right] = INPUT_HELD;
    Message<InputState> right(MSG_GRAPHIC_INPUT, input);
    asker.SendMessage(&right, GraphicsProcess::kHandlerId);
    graphics->Update(0.5f);
    EXPECT_FLOAT_EQ(graphics->Sprites().front()->translation[0], 45.0f);

    input.m_keys[input::key::Right] = INPUT_UP;
    input.m_keys[input::key::Backspace] = INPUT_PRESSED;
    Message<InputState> erase(MSG_GRAPHIC_INPUT, input);
    asker.SendMessage(&erase, GraphicsProcess::kHandlerId);
    graphics->Update(0.0f);
    EXPECT_TRUE(graphics->Sprites().empty());
}

} // namespace
