#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/gui/imgui_panel.h"
#include "platform/gui/tool_window.h"
#include "platform/window/window.h"

namespace {

constexpr i32 kViewWidth = 320;
constexpr i32 kViewHeight = 240;

class ImGuiPanelTest : public testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        window::g_quit = false;
        window::WindowDesc desc;
        desc.width = kViewWidth;
        desc.height = kViewHeight;
        m_window = window::Window::Create(desc);
        ASSERT_NE(m_window, nullptr);
        m_device = gfx::Device::Create(*m_window);
        ASSERT_NE(m_device, nullptr);
        // The game view: plain red.
        m_device->SetBackBufferTarget();
        m_device->Clear(gfx::kClearTarget, 0xFFFF0000u, 1.0f, 0);
        m_panel = std::make_unique<gui::ImGuiPanel>(*m_window);
        m_panel->SetViewSize(kViewWidth, kViewHeight);
        m_window->Resize(kViewWidth + gui::ImGuiPanel::kWidth, kViewHeight);
    }

    void TearDown() override {
        m_panel.reset();
        m_device.reset();
        m_window.reset();
        window::g_quit = false;
    }

    void Draw() { m_panel->Present(m_device->BackBufferFramebuffer()); }

    // Presses and lets go of the left button in the middle of a drawn control.
    void Click(const gui::ToolWindow& tool, gui::ControlHandle handle, i32 entry = -1) {
        gui::Rect rect;
        ASSERT_TRUE(m_panel->DrawnEntryRect(tool, handle, entry, rect));
        const float x = static_cast<float>(rect.x + rect.w / 2);
        const float y = static_cast<float>(rect.y + rect.h / 2);
        m_panel->SetMouse(x, y, false);
        Draw();
        m_panel->SetMouse(x, y, true);
        Draw();
        m_panel->SetMouse(x, y, false);
        Draw();
    }

    std::unique_ptr<window::Window> m_window;
    std::unique_ptr<gfx::Device> m_device;
    std::unique_ptr<gui::ImGuiPanel> m_panel;
};

TEST_F(ImGuiPanelTest, DrawsTheStripBesideTheGameViewAndAClickQueuesTheButton) {
    gui::ToolWindow tool;
    tool.Create(gui::ControlKind::Label, 0, {10, 10, 100, 20}, "Position (x,y,z):");
    tool.Create(gui::ControlKind::Edit, 2, {10, 30, 75, 18}, "1.000000");
    const auto button = tool.Create(gui::ControlKind::Button, 16, {3, 200, 80, 20}, "&Save Level");
    m_panel->Show(&tool);
    Draw();

    gui::Rect rect;
    ASSERT_TRUE(m_panel->DrawnRect(tool, button, rect));
    EXPECT_EQ(rect.x, kViewWidth + 3) << "controls sit at their rectangles in the strip";
    EXPECT_EQ(rect.y, 200);

    Click(tool, button);
    const std::vector<gui::Command> commands = tool.TakeCommands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].id, 16);
    EXPECT_EQ(commands[0].notification, gui::kNotifyClicked);

    i32 width = 0;
    i32 height = 0;
    const std::vector<u8> picture = m_panel->ReadPicture(width, height);
    ASSERT_EQ(width, kViewWidth + gui::ImGuiPanel::kWidth);
    ASSERT_EQ(height, kViewHeight);
    const auto pixel = [&](i32 x, i32 y) {
        const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 4;
        return std::vector<u8>(picture.begin() + static_cast<std::ptrdiff_t>(at),
                               picture.begin() + static_cast<std::ptrdiff_t>(at + 3));
    };
    EXPECT_EQ(pixel(kViewWidth / 2, kViewHeight / 2), (std::vector<u8>{255, 0, 0}));
    const std::vector<u8> strip = pixel(kViewWidth + 200, kViewHeight - 5);
    EXPECT_NE(strip, (std::vector<u8>{255, 0, 0}));
    EXPECT_GT(strip[0] + strip[1] + strip[2], 3 * 150) << "a light panel";
}

TEST_F(ImGuiPanelTest, ACombosNewSelectionIsKeptAndQueued) {
    gui::ToolWindow tool;
    const auto combo = tool.Create(gui::ControlKind::Combo, 21, {10, 145, 120, 200}, "");
    tool.AddString(combo, "BuildingBlock");
    tool.AddString(combo, "SpawnPointA");
    m_panel->Show(&tool);
    Draw();
    Click(tool, combo); // opens the list below the box
    Draw();             // a new popup is placed in the frame after it opened
    Click(tool, combo, 1);
    EXPECT_EQ(tool.GetCurSel(combo), 1);
    const std::vector<gui::Command> commands = tool.TakeCommands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].id, 21);
    EXPECT_EQ(commands[0].notification, gui::kNotifySelChange);
}

TEST_F(ImGuiPanelTest, AModalDialogEndsWithTheButtonClickedInIt) {
    gui::ToolWindow tool;
    m_panel->Show(&tool);
    Draw();
    gui::ToolWindow dialog;
    const auto ok = dialog.Create(gui::ControlKind::Button, gui::kIdOk, {190, 10, 75, 24}, "OK");
    dialog.Create(gui::ControlKind::Button, gui::kIdCancel, {190, 40, 75, 24}, "Cancel");
    const auto name = dialog.Create(gui::ControlKind::Edit, 1001, {20, 40, 160, 20}, "Crate");
    m_panel->SetModalFrameHook([&](int frame) {
        gui::Rect rect;
        if (frame > 40 || !m_panel->DrawnRect(dialog, ok, rect)) {
            m_panel->SetMouse(-1000, -1000, false);
            if (frame > 40) {
                window::g_quit = true; // never hang
            }
            return;
        }
        const float x = static_cast<float>(rect.x + rect.w / 2);
        const float y = static_cast<float>(rect.y + rect.h / 2);
        m_panel->SetMouse(x, y, frame % 3 == 1);
    });
    EXPECT_EQ(m_panel->RunModal("New object type", dialog), gui::kIdOk);
    EXPECT_EQ(dialog.GetText(name), "Crate");
    EXPECT_FALSE(window::g_quit);
}

} // namespace
